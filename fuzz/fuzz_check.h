// The fuzz targets' one assertion: a broken property is a crash, so that libFuzzer keeps the input
// and the replay test fails on it, in every build (assert() would vanish under NDEBUG).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace numo::fuzz {

// The bytes of text with everything outside printable ASCII written as \xHH, so that the input
// behind a finding can be read in the report.
inline std::string Escaped(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (char ch : text) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            out += ch;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

[[noreturn]] inline void Fail(const char* file, int line, const char* condition,
                              const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, condition,
                 detail.c_str());
    std::abort();
}

} // namespace numo::fuzz

// FUZZ_CHECK(condition, detail): detail is a std::string built only when the check fails.
#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::numo::fuzz::Fail(__FILE__, __LINE__, #condition, (detail));                          \
    } while (0)
