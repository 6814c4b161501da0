// The host's language from the locale's variables, and its code page.
#include "hostsim/host_language.h"

#include <gtest/gtest.h>

using namespace numo::hostsim;

namespace {
struct LocaleCase {
    const char* name;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* language;
};

class LanguageOfLocaleTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LanguageOfLocaleTest, FirstSetVariableDecides) {
    const LocaleCase& c = GetParam();
    EXPECT_EQ(LanguageOfLocale(c.lcAll, c.lcMessages, c.lang), c.language);
}

INSTANTIATE_TEST_SUITE_P(
    Host, LanguageOfLocaleTest,
    ::testing::Values(
        LocaleCase{"NothingSet", nullptr, nullptr, nullptr, "English"},
        LocaleCase{"LangAlone", nullptr, nullptr, "ru_RU.UTF-8", "Russian"},
        LocaleCase{"LanguageOnly", nullptr, nullptr, "ru", "Russian"},
        LocaleCase{"OtherTerritory", nullptr, nullptr, "ru_UA.KOI8-U", "Russian"},
        LocaleCase{"Modifier", nullptr, nullptr, "ru@petr1708", "Russian"},
        LocaleCase{"MessagesBeforeLang", nullptr, "en_GB.UTF-8", "ru_RU.UTF-8", "English"},
        LocaleCase{"AllBeforeMessages", "ru_RU.UTF-8", "en_US.UTF-8", nullptr, "Russian"},
        LocaleCase{"CLocaleOverridesLang", "C", nullptr, "ru_RU.UTF-8", "English"},
        LocaleCase{"EmptyCountsAsUnset", "", "", "ru_RU.UTF-8", "Russian"},
        LocaleCase{"OtherLanguage", nullptr, nullptr, "de_DE.UTF-8", "English"},
        LocaleCase{"RuIsAWholeCode", nullptr, nullptr, "rue_UA", "English"},
        LocaleCase{"CaseOfTheCode", nullptr, nullptr, "RU_RU", "Russian"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultCodePage, RussianHas866AndEveryOther437) {
    EXPECT_EQ(DefaultCodePage("Russian"), 866);
    EXPECT_EQ(DefaultCodePage("rUSSIAN"), 866);
    EXPECT_EQ(DefaultCodePage("English"), 437);
    EXPECT_EQ(DefaultCodePage("German"), 437);
}
} // namespace
