// The host's code page and the local character set: tables for the 256 host bytes, built once,
// and the system's converter for the local side.
#include "hostsim/code_page.h"

#include "hostsim/host_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#endif

#include <utility>
#include <vector>

namespace numo::hostsim {

namespace {
#ifndef _WIN32
std::string IconvName(int number) {
    return "CP" + std::to_string(number);
}

// One iconv conversion descriptor, closed with its owner.
class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (Open())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Open() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `in` as fits into `room` bytes of output: the conversion's errno (0
    // when all of `in` went), with `in` advanced past what was converted and the output in
    // `out`.
    int Step(std::string_view& in, std::string& out, std::size_t room) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // a fresh state for each step
        out.assign(room, '\0');
        char* source = const_cast<char*>(in.data());
        std::size_t left = in.size();
        char* target = out.data();
        std::size_t space = room;
        std::size_t result = iconv(cd_, &source, &left, &target, &space);
        int error = result == static_cast<std::size_t>(-1) ? errno : 0;
        in.remove_prefix(in.size() - left);
        out.resize(room - space);
        return error;
    }

private:
    iconv_t cd_;
};

char32_t FromUtf32(const std::string& bytes) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[0])) |
           static_cast<char32_t>(static_cast<unsigned char>(bytes[1])) << 8 |
           static_cast<char32_t>(static_cast<unsigned char>(bytes[2])) << 16 |
           static_cast<char32_t>(static_cast<unsigned char>(bytes[3])) << 24;
}

std::string ToUtf32(char32_t ch) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((ch >> (8 * i)) & 0xFF);
    return bytes;
}
#endif
} // namespace

#ifndef _WIN32
bool CodePage::Known(int number) {
    return number > 0 && Converter("UTF-32LE", IconvName(number)).Open();
}

std::string LocaleCharset() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && *codeset != '\0' ? codeset : "ANSI_X3.4-1968";
}

CodePage::CodePage(int number, const std::string& localCharset)
    : number_(number), local_charset_(localCharset.empty() ? LocaleCharset() : localCharset) {
    if (!Known(number))
        throw HostError("code page " + std::to_string(number) + " is unknown to iconv");
    Converter decode("UTF-32LE", IconvName(number));
    Converter encode(local_charset_, "UTF-32LE");
    if (!encode.Open())
        throw HostError("the character set " + local_charset_ + " is unknown to iconv");
    for (int byte = 0; byte < 256; ++byte) {
        std::string in(1, static_cast<char>(byte)), unicode, local;
        std::string_view rest = in;
        to_local_[static_cast<std::size_t>(byte)].assign(1, '?');
        if (decode.Step(rest, unicode, 4) != 0 || unicode.size() != 4)
            continue; // no character in this code page
        char32_t ch = FromUtf32(unicode);
        to_host_.emplace(ch, static_cast<unsigned char>(byte)); // the first byte of a character
        std::string utf32 = ToUtf32(ch);
        std::string_view source = utf32;
        if (encode.Step(source, local, 16) == 0 && !local.empty())
            to_local_[static_cast<std::size_t>(byte)] = local;
    }
}

std::string CodePage::ToHost(std::string_view local, bool* incomplete) const {
    if (incomplete != nullptr)
        *incomplete = false;
    Converter decode("UTF-32LE", local_charset_);
    std::string host, unicode;
    while (!local.empty()) {
        // One character at a time: room for one UTF-32 unit.
        std::string_view before = local;
        int error = decode.Step(local, unicode, 4);
        if (unicode.size() == 4) {
            auto found = to_host_.find(FromUtf32(unicode));
            host += found != to_host_.end() ? static_cast<char>(found->second) : '?';
            continue;
        }
        if (error == EINVAL) { // a character cut off at the end
            if (incomplete != nullptr) {
                *incomplete = true;
                return host;
            }
            host += '?';
            break;
        }
        if (local.size() == before.size()) // an invalid byte (or nothing converted): skip it
            local.remove_prefix(1);
        host += '?';
    }
    return host;
}
#else
bool CodePage::Known(int number) {
    return number > 0 && IsValidCodePage(static_cast<UINT>(number));
}

std::string LocaleCharset() {
    return "";
}

CodePage::CodePage(int number, const std::string& localCharset)
    : number_(number), local_charset_(localCharset) {
    if (!Known(number))
        throw HostError("code page " + std::to_string(number) + " is unknown to the system");
    for (int byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        wchar_t ch = 0;
        // Host text goes out as it is: the console shows the host's OEM code page.
        to_local_[static_cast<std::size_t>(byte)] = std::string(1, in);
        if (MultiByteToWideChar(static_cast<UINT>(number), MB_ERR_INVALID_CHARS, &in, 1, &ch, 1) ==
            1)
            to_host_.emplace(static_cast<char32_t>(ch), static_cast<unsigned char>(byte));
    }
}

std::string CodePage::ToHost(std::string_view local, bool* incomplete) const {
    // Typed text and arguments come in the ANSI code page.
    if (incomplete != nullptr)
        *incomplete = false;
    std::string host;
    if (local.empty())
        return host;
    int size = static_cast<int>(local.size());
    int count = MultiByteToWideChar(CP_ACP, 0, local.data(), size, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(count > 0 ? count : 0));
    if (count > 0)
        MultiByteToWideChar(CP_ACP, 0, local.data(), size, wide.data(), count);
    for (wchar_t ch : wide) {
        auto found = to_host_.find(static_cast<char32_t>(ch));
        host += found != to_host_.end() ? static_cast<char>(found->second) : '?';
    }
    return host;
}
#endif

std::string CodePage::ToLocal(std::string_view host) const {
    std::string local;
    local.reserve(host.size());
    for (char byte : host)
        local += to_local_[static_cast<unsigned char>(byte)];
    return local;
}

} // namespace numo::hostsim
