// Small text helpers shared by the file readers: 8-bit text, ASCII rules only, so the answers
// never depend on the C library's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace numo::hostsim {

// Without leading and trailing blanks (space, tab) and line ends (CR, LF).
std::string_view Trim(std::string_view text);
// Equal ignoring the case of ASCII letters.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
// The lines of a text split at LF; a CR before the LF stays in the line (Trim removes it). A
// final line without LF counts; the empty text after a final LF does not.
std::vector<std::string_view> SplitLines(std::string_view text);
// The whole contents of a file as bytes. Throws HostError naming the file when it is missing,
// a folder, or cannot be read.
// At most maxBytes are read: a larger file is refused with its size, before anything is read.
std::string ReadWholeFile(const std::string& path, const char* what,
                          std::uintmax_t maxBytes = UINTMAX_MAX);

} // namespace numo::hostsim
