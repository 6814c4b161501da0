// The host's language files (*.lng) and the choice of one of them in a module's folder.
//
// Format: the first line is ".Language=<Name>,<Description>"; every line is trimmed of blanks;
// only lines that then start with '"' are messages, numbered from 0 in order of appearance.
// The opening quote is dropped, and a closing quote when present; inside, \\ \" \n \r \b \t are
// escapes, "" is one quote, a lone quote stays a quote and a backslash before anything else
// stays a backslash. Lines are read whole, however long.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace numo::hostsim {

struct LanguageFile {
    std::string path;        // as given to the reader, for messages about the file
    std::string name;        // "English": what the host's language is compared with
    std::string description; // the text after the comma, "" when there is none
    std::vector<std::string> messages;
};

// Parses the contents of a language file; `path` only names it in errors.
// Throws HostError for a missing or malformed header.
LanguageFile ParseLanguageFile(std::string_view contents, const std::string& path);

// Reads and parses one file. Throws HostError (naming the file) when it is missing, unreadable
// or malformed.
LanguageFile ReadLanguageFile(const std::string& path);

// The message text of one quoted line (already trimmed, starting with '"').
std::string UnquoteMessage(std::string_view line);

// The language name of a file's header line ("English" from ".Language=English,English"), or
// "" when the line is no such header.
std::string HeaderLanguage(std::string_view firstLine);

// The language name of a file whose lines are given; throws HostError naming the file (`kind`
// says which: "language file", "help file") when its first line is no such header.
std::string RequireHeaderLanguage(const std::vector<std::string_view>& lines, const char* kind,
                                  const std::string& path);

// Chooses among the files with the given extension (".lng" or ".hlf", compared ignoring case) in
// folder as the host does: the one whose language name equals `language` ignoring case, else the
// one named "English", else the last one in name order. Throws HostError naming the folder when
// there is no such file at all, and naming the file when one of them has no header (empty,
// unreadable, a byte-order mark): such a file is not passed over for another.
std::string ChooseLanguageFile(const std::string& folder, const std::string& extension,
                               const std::string& language);

// The language names of the language files (*.lng) in a module's folder, each once (compared
// ignoring case), in file name order; files without a header are left out.
std::vector<std::string> LanguagesInFolder(const std::string& folder);

// The number among first..last of the message that an item's text shows, or `none`. An
// item holds at most Dialog::kMaxTextLength characters of a message, so a longer message counts
// as shown when the item holds its beginning.
int FindShownMessage(const LanguageFile& language, const std::string& itemText, int first, int last,
                     int none);

// ChooseLanguageFile + ReadLanguageFile, and a check that the file holds at least `needed`
// messages (error naming the file otherwise).
LanguageFile LoadModuleLanguage(const std::string& folder, const std::string& language, int needed);

} // namespace numo::hostsim
