// The host's 8-bit code page, and the text between it and the user's character set.
//
// The host and its modules speak one 8-bit code page (the system's OEM code page: 866 for a
// Russian host, 437 for an English one); the user's terminal speaks the locale's character set,
// UTF-8 as a rule. Each host byte is one character and one screen cell, so layout is done in host
// bytes and only the text on its way out is converted (ToLocal), and typed text on its way in
// (ToHost), one character to one byte.
//
// On Linux both directions go through iconv. On Windows the system converts
// (MultiByteToWideChar, WideCharToMultiByte): typed text and arguments come in the ANSI code
// page, and host text goes out as it is, since a Windows console shows the OEM code page, which
// is the host's.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

namespace numo::hostsim {

class CodePage {
public:
    // The code page of that number, between it and localCharset (an iconv name; "" for the
    // locale's, see LocaleCharset). Throws HostError when either is unknown to the system.
    explicit CodePage(int number, const std::string& localCharset = "");

    int Number() const { return number_; }
    // Whether the system can convert text of code page `number`.
    static bool Known(int number);

    // Host text in the local character set: every byte as its character, or '?' where the local
    // set has none (or the code page gives the byte no character).
    std::string ToLocal(std::string_view host) const;
    // One host byte as local text: what one screen cell shows.
    const std::string& CellText(unsigned char byte) const { return to_local_[byte]; }

    // Local text in host bytes: each character becomes its one byte, or '?' when the code page
    // lacks it; each byte of an invalid sequence becomes '?'. With `incomplete` given, a
    // character cut off at the end of the text is left out and *incomplete set (the rest of it
    // may still come from the keyboard); without it, such an end is one '?'.
    std::string ToHost(std::string_view local, bool* incomplete = nullptr) const;

private:
    int number_;
    std::array<std::string, 256> to_local_;
    std::unordered_map<char32_t, unsigned char> to_host_; // beyond ASCII
    std::string local_charset_;
};

// The character set of the process's locale (LC_CTYPE), which the host program sets once from
// the environment (LC_ALL, LC_CTYPE, LANG) at start-up: "UTF-8", "ANSI_X3.4-1968" for the C
// locale. "" on Windows, where host text is written as it is.
std::string LocaleCharset();

} // namespace numo::hostsim
