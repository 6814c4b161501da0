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

TEST(CodePage, UnknownCodePagesAndCharsetsAreRefused) {
    EXPECT_TRUE(CodePage::Known(866));
    EXPECT_TRUE(CodePage::Known(437));
    EXPECT_FALSE(CodePage::Known(12345));
    EXPECT_FALSE(CodePage::Known(0));
    EXPECT_FALSE(CodePage::Known(-866));
    EXPECT_THROW(CodePage(12345, "UTF-8"), HostError);
    EXPECT_THROW(CodePage(866, "NO-SUCH-CHARSET"), HostError);
}
} // namespace
