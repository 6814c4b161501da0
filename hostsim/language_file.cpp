// The host's language files: reading one, and choosing one in a module's folder.
#include "hostsim/language_file.h"

#include "hostsim/dialog.h"
#include "hostsim/host_error.h"
#include "hostsim/text_util.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace numo::hostsim {

namespace {
constexpr std::string_view kHeader = ".Language=";

char Unescape(char ch) {
    switch (ch) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 'b':
        return '\b';
    case 't':
        return '\t';
    default: // '\\' and '"' stand for themselves
        return ch;
    }
}
} // namespace

std::string UnquoteMessage(std::string_view line) {
    // The opening quote always goes; the last character goes when it is a quote too (so a line
    // of one quote is the empty text, and "" is the empty text as well).
    std::string_view inside = line.substr(1);
    if (!inside.empty() && inside.back() == '"')
        inside.remove_suffix(1);
    std::string text;
    text.reserve(inside.size());
    for (std::size_t i = 0; i < inside.size(); ++i) {
        char ch = inside[i];
        char next = i + 1 < inside.size() ? inside[i + 1] : '\0';
        if (ch == '\\' && (next == '\\' || next == '"' || next == 'n' || next == 'r' ||
                           next == 'b' || next == 't')) {
            text += Unescape(next);
            ++i;
        } else if (ch == '"' && next == '"') {
            text += '"';
            ++i;
        } else {
            text += ch; // a lone quote, or a backslash before any other character
        }
    }
    return text;
}

std::string HeaderLanguage(std::string_view firstLine) {
    std::string_view line = Trim(firstLine);
    if (!StartsWithIgnoringCase(line, kHeader))
        return "";
    std::string_view rest = line.substr(kHeader.size());
    return std::string(Trim(rest.substr(0, rest.find(','))));
}

namespace {
// Why a file's first line is no header. A UTF-8 byte-order mark before ".Language=" is named: the
// line looks right in an editor, but the host reads these files in its 8-bit code page, where
// the mark is three characters of the line, and would not read the header either.
std::string BadHeader(const std::string& kind, const std::string& path, std::string_view first) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (first.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        return kind + " " + path +
               " starts with a UTF-8 byte-order mark (bytes EF BB BF) before its first line, "
               "which must be .Language=<Name>,<Description>: save it without the mark, in the "
               "host's code page";
    return kind + " " + path +
           " is malformed: its first line must be .Language=<Name>,<Description>";
}
} // namespace

std::string RequireHeaderLanguage(const std::vector<std::string_view>& lines, const char* kind,
                                  const std::string& path) {
    std::string name = lines.empty() ? "" : HeaderLanguage(lines.front());
    if (name.empty())
        throw HostError(BadHeader(kind, path, lines.empty() ? "" : lines.front()));
    return name;
}

LanguageFile ParseLanguageFile(std::string_view contents, const std::string& path) {
    std::vector<std::string_view> lines = SplitLines(contents);
    LanguageFile file;
    file.path = path;
    file.name = RequireHeaderLanguage(lines, "language file", path);
    std::string_view header = Trim(lines.front()).substr(kHeader.size());
    std::size_t comma = header.find(',');
    if (comma != std::string_view::npos)
        file.description = std::string(Trim(header.substr(comma + 1)));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = Trim(lines[i]);
        if (!line.empty() && line.front() == '"')
            file.messages.push_back(UnquoteMessage(line));
    }
    return file;
}

LanguageFile ReadLanguageFile(const std::string& path) {
    return ParseLanguageFile(ReadWholeFile(path, "language file"), path);
}

namespace {
struct FoundFile {
    std::string path;
    std::string firstLine; // "" when the file cannot be read
    std::string language;  // of its header; "" for a file without one
};

// The files with the given extension in folder, in name order: the host takes the last file it
// finds, and name order makes "last" the same on every system.
std::vector<FoundFile> FilesWithLanguages(const std::string& folder, const std::string& extension) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<FoundFile> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsIgnoringCase(it->path().extension().string(), extension) &&
            it->is_regular_file(ec))
            files.push_back({it->path().string(), "", ""});
    }
    std::sort(files.begin(), files.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.path < b.path; });
    for (FoundFile& file : files) {
        // Only the header line matters here: the file is not read whole.
        std::ifstream in(file.path, std::ios::binary);
        if (in && std::getline(in, file.firstLine))
            file.language = HeaderLanguage(file.firstLine);
    }
    return files;
}
} // namespace

std::vector<std::string> LanguagesInFolder(const std::string& folder) {
    std::vector<std::string> names;
    for (const FoundFile& file : FilesWithLanguages(folder, ".lng")) {
        bool known = std::any_of(names.begin(), names.end(), [&](const std::string& other) {
            return EqualsIgnoringCase(other, file.language);
        });
        if (!file.language.empty() && !known)
            names.push_back(file.language);
    }
    return names;
}

std::string ChooseLanguageFile(const std::string& folder, const std::string& extension,
                               const std::string& language) {
    std::vector<FoundFile> files = FilesWithLanguages(folder, extension);
    std::string kind = EqualsIgnoringCase(extension, ".hlf") ? "help file" : "language file";
    std::string matching, english, last;
    for (const FoundFile& file : files) {
        // A file that is there but cannot be read as one (empty, unreadable, a byte-order mark
        // before its header) is an error naming it: passing it over would show another
        // language, or another file's text undecoded, without a word.
        if (file.language.empty())
            throw HostError(BadHeader(kind, file.path, file.firstLine));
        if (matching.empty() && EqualsIgnoringCase(file.language, language))
            matching = file.path;
        if (english.empty() && EqualsIgnoringCase(file.language, "English"))
            english = file.path;
        last = file.path;
    }
    if (!matching.empty())
        return matching;
    if (!english.empty())
        return english;
    if (!last.empty())
        return last;
    throw HostError("no " + kind + " (*" + extension + ") in " + folder);
}

LanguageFile LoadModuleLanguage(const std::string& folder, const std::string& language,
                                int needed) {
    LanguageFile file = ReadLanguageFile(ChooseLanguageFile(folder, ".lng", language));
    if (static_cast<int>(file.messages.size()) < needed)
        throw HostError("language file " + file.path + " is malformed: it holds " +
                        std::to_string(file.messages.size()) + " messages, the module needs " +
                        std::to_string(needed));
    return file;
}

int FindShownMessage(const LanguageFile& language, const std::string& itemText, int first, int last,
                     int none) {
    for (int n = std::max(first, 0); n <= last && n < static_cast<int>(language.messages.size());
         ++n) {
        // Compared in place: this runs once per message for every formula of a batch.
        if (language.messages[static_cast<std::size_t>(n)].compare(0, Dialog::kMaxTextLength,
                                                                   itemText) == 0)
            return n;
    }
    return none;
}

} // namespace numo::hostsim
