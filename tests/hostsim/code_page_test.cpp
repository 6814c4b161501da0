// The host's code page against the local character set: both directions, characters inside and
// outside the code page, invalid and cut-off input.
#include "hostsim/code_page.h"
#include "hostsim/host_error.h"

#include <gtest/gtest.h>

#include <string>

using namespace numo::hostsim;

namespace {
struct Conversion {
    const char* name;
    int codePage;
    const char* local; // the local character set
    std::string hostText;
    std::string localText;
};

void PrintTo(const Conversion& c, std::ostream* os) {
    *os << c.name;
}

class HostToLocal : public ::testing::TestWithParam<Conversion> {};

TEST_P(HostToLocal, ShowsEachByteAsItsCharacter) {
    const Conversion& c = GetParam();
    CodePage page(c.codePage, c.local);
    EXPECT_EQ(page.ToLocal(c.hostText), c.localText);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, HostToLocal,
    ::testing::Values(Conversion{"AsciiStaysAsItIs", 866, "UTF-8", "a+1=?", "a+1=?"},
                      Conversion{"CyrillicInUtf8", 866, "UTF-8", "\x84\xA5\xAB\xA5\xAD\xA8\xA5",
                                 "Деление"},
                      Conversion{"LatinOf437InUtf8", 437, "UTF-8", "caf\x82", "café"},
                      Conversion{"SameByteOtherPage", 437, "UTF-8", "\xA6", "ª"},
                      Conversion{"CyrillicInKoi8", 866, "KOI8-R", "\xA6", "\xD6"},
                      Conversion{"LocalSetLacksIt", 866, "ANSI_X3.4-1968", "x\xA6y", "x?y"},
                      Conversion{"FrameOf437InLatin1", 437, "ISO-8859-1", "\xCD\x82", "?\xE9"}));

class LocalToHost : public ::testing::TestWithParam<Conversion> {};

TEST_P(LocalToHost, TypesEachCharacterAsOneByte) {
    const Conversion& c = GetParam();
    CodePage page(c.codePage, c.local);
    EXPECT_EQ(page.ToHost(c.localText), c.hostText);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, LocalToHost,
    ::testing::Values(Conversion{"Ascii", 866, "UTF-8", "2*(a+1)", "2*(a+1)"},
                      Conversion{"CyrillicIn866", 866, "UTF-8", "\xA6\x86", "жЖ"},
                      Conversion{"CyrillicOutside437", 437, "UTF-8", "?1", "ж1"},
                      Conversion{"AccentIn437", 437, "UTF-8", "\x82", "é"},
                      Conversion{"AccentOutside866", 866, "UTF-8", "?", "é"},
                      Conversion{"BeyondTheBasicPlane", 866, "UTF-8", "a?b", "a\U0001F600b"},
                      Conversion{"StrayContinuationByte", 866, "UTF-8", "?1",
                                 "\x80"
                                 "1"},
                      Conversion{"LeadByteWithoutItsRest", 866, "UTF-8", "?(", "\xD0("},
                      Conversion{"ByteNeverInUtf8", 866, "UTF-8", "a??b",
                                 "a\xFF\xFE"
                                 "b"},
                      Conversion{"CutOffAtTheEnd", 866, "UTF-8", "1?", "1\xD0"},
                      Conversion{"FromKoi8", 866, "KOI8-R", "\xA6", "\xD6"}));

TEST(CodePage, ACharacterCutOffAtTheEndWaitsForItsRest) {
    CodePage page(866, "UTF-8");
    bool incomplete = false;
    EXPECT_EQ(page.ToHost("a\xD0", &incomplete), "a");
    EXPECT_TRUE(incomplete);
    EXPECT_EQ(page.ToHost("a\xD0\xB6", &incomplete), "a\xA6");
    EXPECT_FALSE(incomplete);
    EXPECT_EQ(page.ToHost("\xE2\x82", &incomplete), "");
    EXPECT_TRUE(incomplete);
}

TEST(CodePage, OneByteIsOneCell) {
    CodePage page(866, "UTF-8");
    EXPECT_EQ(page.CellText(0xA6), "ж");
    EXPECT_EQ(page.CellText('A'), "A");
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_FALSE(page.CellText(static_cast<unsigned char>(byte)).empty()) << byte;
}

// Only a code page of one byte a character that keeps ASCII can be the host's.
struct FitRow {
    const char* name;
    int number;
    const char* unfit; // "" when fit
};

void PrintTo(const FitRow& row, std::ostream* os) {
    *os << row.name;
}

class Fitness : public ::testing::TestWithParam<FitRow> {};

TEST_P(Fitness, OnlyEightBitPagesThatKeepAsciiAreFit) {
    const FitRow& row = GetParam();
    EXPECT_EQ(CodePage::Unfit(row.number), row.unfit);
    if (row.unfit[0] != '\0')
        EXPECT_THROW(CodePage(row.number, "UTF-8"), HostError);
    else
        EXPECT_EQ(CodePage(row.number, "UTF-8").ToHost("a+1"), "a+1");
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, Fitness,
    ::testing::Values(FitRow{"Oem866", 866, ""}, FitRow{"Oem437", 437, ""},
                      FitRow{"Windows1251", 1251, ""},
                      // Windows-1255 holds a letter back to see whether a point follows it.
                      FitRow{"Windows1255", 1255, ""},
                      FitRow{"Unknown", 12345, "is unknown to iconv"},
                      FitRow{"Zero", 0, "is not a code page number"},
                      FitRow{"Negative", -866, "is not a code page number"},
                      FitRow{"Ebcdic500", 500, "does not read the bytes 0 to 127 as ASCII"},
                      FitRow{"Ebcdic1047", 1047, "does not read the bytes 0 to 127 as ASCII"},
                      FitRow{"EbcdicGreek875", 875, "does not read the bytes 0 to 127 as ASCII"},
                      FitRow{"ShiftJis932", 932, "has characters of more than one byte"},
                      FitRow{"Gbk936", 936, "has characters of more than one byte"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePage, UnknownCharsetsAreRefused) {
    EXPECT_THROW(CodePage(866, "NO-SUCH-CHARSET"), HostError);
}

// One converter serves every text: texts after an invalid byte or a cut-off character convert
// as if they were the first.
TEST(CodePage, EachTextConvertsOnItsOwn) {
    CodePage page(866, "UTF-8");
    bool incomplete = false;
    EXPECT_EQ(page.ToHost("\xD0", &incomplete), "");
    EXPECT_TRUE(incomplete);
    EXPECT_EQ(page.ToHost("\xB6"), "?");
    EXPECT_EQ(page.ToHost("ж\xFFж"), "\xA6?\xA6");
    EXPECT_EQ(page.ToHost("ж"), "\xA6");
}

// Through a stateful local set (ISO-2022-JP shifts in and out with escapes), a text that
// stops in the shifted state leaves none of it to the next.
TEST(CodePage, AShiftStateEndsWithItsText) {
    CodePage page(1251, "ISO-2022-JP");
    EXPECT_EQ(page.ToHost("\x1B$B\x24\x22"), "?"); // a kana: not in 1251
    EXPECT_EQ(page.ToHost("AB"), "AB");
}
} // namespace
