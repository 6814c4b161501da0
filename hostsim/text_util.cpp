// Small text helpers shared by the file readers.
#include "hostsim/text_util.h"

#include "hostsim/host_error.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace numo::hostsim {

namespace {
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

char LowerAscii(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}
} // namespace

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string ReadWholeFile(const std::string& path, const char* what, std::uintmax_t maxBytes) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw HostError(std::string(what) + " " + path + " is missing");
    if (std::filesystem::is_directory(path, ec))
        throw HostError(std::string(what) + " " + path + " is a folder, not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw HostError(std::string("cannot read ") + what + " " + path + ": " +
                        std::strerror(errno));
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > maxBytes)
        throw HostError(std::string(what) + " " + path + " is " + std::to_string(size) +
                        " bytes long; numo reads at most " + std::to_string(maxBytes));
    std::string contents;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        contents.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (contents.size() > maxBytes) // grew while being read
            throw HostError(std::string(what) + " " + path + " is longer than the " +
                            std::to_string(maxBytes) + " bytes numo reads");
    }
    if (in.bad())
        throw HostError(std::string("cannot read ") + what + " " + path);
    return contents;
}

} // namespace numo::hostsim
