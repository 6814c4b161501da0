// The host's standard functions: itoa as the C runtime's _itoa, case mapping over the 8-bit
// character set, and sprintf.
#include "hostsim/host.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

using namespace numo::hostsim;

struct ItoaCase {
    int value;
    int radix;
    const char* text;
};

class Itoa : public ::testing::TestWithParam<ItoaCase> {};

TEST_P(Itoa, WritesTheRuntimesDigits) {
    char buffer[40];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(services::Itoa(GetParam().value, buffer, GetParam().radix), buffer);
    EXPECT_STREQ(buffer, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Services, Itoa,
    ::testing::Values(ItoaCase{0, 10, "0"}, ItoaCase{0, 2, "0"}, ItoaCase{7, 2, "111"},
                      ItoaCase{255, 16, "ff"}, ItoaCase{-123, 10, "-123"},
                      ItoaCase{INT_MIN, 10, "-2147483648"}, ItoaCase{INT_MAX, 10, "2147483647"},
                      // Other radixes: the value as unsigned 32 bits, no sign.
                      ItoaCase{-1, 16, "ffffffff"}, ItoaCase{-255, 16, "ffffff01"},
                      ItoaCase{-255, 2, "11111111111111111111111100000001"},
                      ItoaCase{INT_MIN, 16, "80000000"}, ItoaCase{-1, 8, "37777777777"},
                      ItoaCase{35, 36, "z"}, ItoaCase{-1, 36, "1z141z3"},
                      // Radixes the runtime does not know write nothing.
                      ItoaCase{7, 1, ""}, ItoaCase{7, 37, ""}, ItoaCase{7, 0, ""}));

TEST(Services, ItoaOfNullIsNull) {
    EXPECT_EQ(services::Itoa(5, nullptr, 10), nullptr);
}

TEST(Services, CaseMappingTouchesOnlyAsciiLetters) {
    // Every byte once: only A-Z and a-z may change.
    char text[256];
    for (int i = 1; i < 256; ++i)
        text[i - 1] = static_cast<char>(i);
    text[255] = '\0';
    char upper[256], lower[256];
    std::memcpy(upper, text, sizeof text);
    std::memcpy(lower, text, sizeof text);
    services::LStrupr(upper);
    services::LStrlwr(lower);
    for (int i = 1; i < 256; ++i) {
        char ch = static_cast<char>(i);
        char up = (i >= 'a' && i <= 'z') ? static_cast<char>(i - 32) : ch;
        char low = (i >= 'A' && i <= 'Z') ? static_cast<char>(i + 32) : ch;
        EXPECT_EQ(upper[i - 1], up) << "byte " << i;
        EXPECT_EQ(lower[i - 1], low) << "byte " << i;
    }
    services::LStrupr(nullptr); // nothing to do, and no crash
    services::LStrlwr(nullptr);
}

TEST(Services, SprintfIsTheCLibrarys) {
    char format[32], text[64];
    EXPECT_EQ(services::Sprintf(format, "%%.%dlf", 3), 5);
    EXPECT_STREQ(format, "%.3lf");
    EXPECT_EQ(services::Sprintf(text, format, 7.0), 5);
    EXPECT_STREQ(text, "7.000");
    services::Sprintf(text, "%.0lf|%s|%d", 2.75, "x", -4);
    EXPECT_STREQ(text, "3|x|-4");
    EXPECT_EQ(services::Sprintf(nullptr, "%d", 1), -1);
}
