// The host's language and help file readers: format, quoting, choice of file, and errors.
#include "engine/status.h"
#include "far/calculator_contract.h"
#include "hostsim/help_file.h"
#include "hostsim/host_error.h"
#include "hostsim/language_file.h"
#include "hostsim/text_util.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace numo::hostsim;
namespace fs = std::filesystem;

namespace {
// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        path_ = fs::temp_directory_path() /
                ("numo-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string Write(const std::string& name, const std::string& contents) const {
        std::ofstream(path_ / name, std::ios::binary) << contents;
        return (path_ / name).string();
    }
    std::string Path() const { return path_.string(); }

private:
    fs::path path_;
};

std::string Messages(int count, const std::string& prefix = "m") {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "\"" + prefix + std::to_string(i) + "\"\n";
    return text;
}

std::string ThrownBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const HostError& error) {
        return error.what();
    }
    return "";
}
} // namespace

// --- Quoting: one message line, already trimmed.
struct QuoteCase {
    const char* name;
    const char* line;
    const char* text;
};

class Quoting : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(Quoting, GivesTheMessageText) {
    EXPECT_EQ(UnquoteMessage(GetParam().line), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Lng, Quoting,
    ::testing::Values(QuoteCase{"Plain", "\"Formula:\"", "Formula:"},
                      QuoteCase{"NoClosingQuote", "\"Formula:", "Formula:"},
                      QuoteCase{"EscapedQuotes", R"("Say \"hi\"")", "Say \"hi\""},
                      QuoteCase{"DoubledQuotes", R"("Say ""hi""")", "Say \"hi\""},
                      QuoteCase{"LoneQuoteStays", R"("Copy "x" to")", "Copy \"x\" to"},
                      QuoteCase{"Backslash", R"("a\\b")", "a\\b"},
                      QuoteCase{"ControlEscapes", R"("1\n2\r3\b4\t5")", "1\n2\r3\b4\t5"},
                      QuoteCase{"OtherBackslashStays", R"("C:\temp\x")", "C:\temp\\x"},
                      QuoteCase{"TrailingBackslash", R"("end\")", "end\\"},
                      QuoteCase{"EmptyPair", "\"\"", ""}, QuoteCase{"OneQuote", "\"", ""},
                      QuoteCase{"InnerSpacesKept", "\"  two  spaces  \"", "  two  spaces  "}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Whole files: which lines count, and the header.
TEST(LanguageFile, CountsOnlyQuotedLinesAfterTrimming) {
    LanguageFile file = ParseLanguageFile(".Language=English,English (UK)\r\n"
                                          "// a comment \"not\" a message\r\n"
                                          "\r\n"
                                          "   \"first\"   \r\n"
                                          "\t\"second\"\r\n"
                                          ".Directive=\"no\"\r\n"
                                          "x\"not a message\"\r\n"
                                          "\"third",
                                          "t.lng");
    EXPECT_EQ(file.name, "English");
    EXPECT_EQ(file.description, "English (UK)");
    EXPECT_EQ(file.messages, (std::vector<std::string>{"first", "second", "third"}));
}

TEST(LanguageFile, ReadsLongLinesWhole) {
    std::string longText(5000, 'x');
    LanguageFile file =
        ParseLanguageFile(".Language=English,English\n\"" + longText + "\"\n\"next\"\n", "t.lng");
    ASSERT_EQ(file.messages.size(), 2u);
    EXPECT_EQ(file.messages[0], longText);
    EXPECT_EQ(file.messages[1], "next");
}

struct BadFileCase {
    const char* name;
    const char* contents;
};

class MalformedLanguageFile : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(MalformedLanguageFile, IsRefusedNamingTheFile) {
    std::string error = ThrownBy([] { ParseLanguageFile(GetParam().contents, "dir/bad.lng"); });
    EXPECT_NE(error.find("dir/bad.lng"), std::string::npos) << error;
    EXPECT_NE(error.find("malformed"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Lng, MalformedLanguageFile,
    ::testing::Values(BadFileCase{"Empty", ""}, BadFileCase{"NoHeader", "\"Calculator\"\n"},
                      BadFileCase{"HeaderNotFirst", "\"Calculator\"\n.Language=English,English\n"},
                      BadFileCase{"EmptyName", ".Language=,English\n\"x\"\n"},
                      BadFileCase{"OtherDirective", ".Lang=English\n\"x\"\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageFile, MissingOrUnreadableFileIsNamed) {
    TempFolder folder;
    std::string missing = folder.Path() + "/none.lng";
    EXPECT_NE(ThrownBy([&] { ReadLanguageFile(missing); }).find(missing), std::string::npos);
    fs::create_directory(folder.Path() + "/dir.lng");
    std::string error = ThrownBy([&] { ReadLanguageFile(folder.Path() + "/dir.lng"); });
    EXPECT_NE(error.find("dir.lng"), std::string::npos) << error;
}

TEST(LanguageFile, ModuleNeedsEveryMessage) {
    TempFolder folder;
    std::string path =
        folder.Write("numo_en.lng", ".Language=English,English\n" + Messages(kMessageCount - 1));
    std::string error =
        ThrownBy([&] { LoadModuleLanguage(folder.Path(), "English", kMessageCount); });
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("33 messages"), std::string::npos) << error;

    folder.Write("numo_en.lng", ".Language=English,English\n" + Messages(kMessageCount));
    EXPECT_EQ(LoadModuleLanguage(folder.Path(), "English", kMessageCount).messages.size(),
              static_cast<std::size_t>(kMessageCount));
}

// --- The choice among a folder's files.
struct ChoiceCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files; // file name, header language
    const char* language;
    const char* chosen;
};

class LanguageChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(LanguageChoice, FollowsTheHostsRules) {
    TempFolder folder;
    for (const auto& [name, language] : GetParam().files) {
        std::string header =
            language[0] != '\0' ? std::string(".Language=") + language + ",x\n" : "";
        folder.Write(name, header + Messages(1));
    }
    std::string chosen = ChooseLanguageFile(folder.Path(), ".lng", GetParam().language);
    EXPECT_EQ(fs::path(chosen).filename().string(), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Lng, LanguageChoice,
    ::testing::Values(
        ChoiceCase{"CurrentLanguageIgnoringCase",
                   {{"a_en.lng", "English"}, {"b_ru.lng", "Russian"}},
                   "RUSSIAN",
                   "b_ru.lng"},
        ChoiceCase{"EnglishWhenNoneMatches",
                   {{"a_de.lng", "German"}, {"b_en.lng", "english"}, {"c_ru.lng", "Russian"}},
                   "Polish",
                   "b_en.lng"},
        ChoiceCase{"LastWhenNeitherMatches",
                   {{"a_de.lng", "German"}, {"b_ru.lng", "Russian"}},
                   "Polish",
                   "b_ru.lng"},
        // Two files of one language: the first in name order wins, whatever order the folder
        // lists them in, both for the current language and for the English fallback.
        ChoiceCase{"SameLanguageTwiceFirstInNameOrder",
                   {{"b_ru.lng", "Russian"}, {"a_ru2.lng", "russian"}, {"c_en.lng", "English"}},
                   "Russian",
                   "a_ru2.lng"},
        ChoiceCase{"EnglishTwiceFirstInNameOrder",
                   {{"z_en.lng", "English"}, {"m_en.lng", "English"}, {"a_de.lng", "German"}},
                   "Polish",
                   "m_en.lng"},
        ChoiceCase{"ExtensionIgnoringCase",
                   {{"A.LNG", "German"}, {"b.txt", "English"}},
                   "English",
                   "A.LNG"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageChoice, NoFileIsAnErrorNamingTheFolder) {
    TempFolder folder;
    folder.Write("readme.txt", ".Language=English,English\n");
    std::string error = ThrownBy([&] { ChooseLanguageFile(folder.Path(), ".lng", "English"); });
    EXPECT_NE(error.find(folder.Path()), std::string::npos) << error;
    std::string bad = folder.Write("numo_en.lng", "\"no header\"\n");
    error = ThrownBy([&] { ChooseLanguageFile(folder.Path(), ".lng", "English"); });
    EXPECT_NE(error.find(bad), std::string::npos) << error;
    // Beside a good file too: the damaged one is named, never passed over for the other.
    folder.Write("numo_ru.lng", ".Language=Russian,Russian\n");
    error = ThrownBy([&] { ChooseLanguageFile(folder.Path(), ".lng", "Russian"); });
    EXPECT_NE(error.find(bad), std::string::npos) << error;
}

// A UTF-8 byte-order mark before a header that is right otherwise: still refused (the host reads
// these files in its 8-bit code page and would not see the header either), but the error names
// the mark and the file, where "its first line must be .Language=" would contradict what an
// editor shows.
TEST(FileHeaders, AByteOrderMarkIsNamedWithTheFile) {
    const std::string bom = "\xEF\xBB\xBF";
    TempFolder folder;
    std::string chosen = folder.Write("numo_en.lng", bom + ".Language=English,English\n\"x\"\n");
    const std::pair<std::string, std::function<void()>> kCases[] = {
        {"dir/bom.lng",
         [&] { ParseLanguageFile(bom + ".Language=English,English\n\"x\"\n", "dir/bom.lng"); }},
        {"dir/bom.hlf",
         [&] { ParseHelpFile(bom + ".Language=English,English\n@Contents\n", "dir/bom.hlf"); }},
        {chosen, [&] { ChooseLanguageFile(folder.Path(), ".lng", "English"); }},
    };
    for (const auto& [path, parse] : kCases) {
        std::string error = ThrownBy(parse);
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find("byte-order mark"), std::string::npos) << error;
    }
}

TEST(LanguageChoice, FolderListsEachLanguageOnce) {
    TempFolder folder;
    EXPECT_TRUE(LanguagesInFolder(folder.Path()).empty());
    folder.Write("b_ru.lng", ".Language=Russian,Russian\n");
    folder.Write("a_en.LNG", ".Language=English,English\n");
    folder.Write("c_ru.lng", ".Language=RUSSIAN,again\n");
    folder.Write("d.lng", "\"no header\"\n");
    folder.Write("e_de.hlf", ".Language=German,German\n");
    EXPECT_EQ(LanguagesInFolder(folder.Path()), (std::vector<std::string>{"English", "Russian"}));
    EXPECT_TRUE(LanguagesInFolder(folder.Path() + "/missing").empty());
}

// --- Help files.
namespace {
const char kHelp[] = ".Language=English,English\n"
                     ".Options TabSize=4\n"
                     ".PluginContents=Test\n"
                     "\n"
                     "@Contents\n"
                     "$ #Title# here\n"
                     "$^Centred\n"
                     " First #bold# and ~a link~@Other@ and ~~ ## @@.\n"
                     "continued on the next line\n"
                     "\n"
                     "^Middle\n"
                     "@-\n"
                     " kept as it\n"
                     "is written\n"
                     "@+\n"
                     "\tTab\n"
                     "@Other\n"
                     " other topic\n";

std::vector<std::string> Texts(const std::vector<HelpLine>& lines) {
    std::vector<std::string> texts;
    for (const HelpLine& line : lines)
        texts.push_back(line.text);
    return texts;
}
} // namespace

TEST(HelpFile, RendersMarkupAsWritten) {
    HelpFile file = ParseHelpFile(kHelp, "t.hlf");
    EXPECT_EQ(HelpTopics(file), (std::vector<std::string>{"Contents", "Other"}));
    std::vector<HelpLine> lines = RenderHelpTopic(file, "contents", 0);
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{" Title here", "Centred",
                                                      " First bold and a link and ~ # @.",
                                                      "continued on the next line", "", "Middle",
                                                      " kept as it", "is written", "    Tab"}));
    EXPECT_TRUE(lines[0].title);
    EXPECT_TRUE(lines[1].title && lines[1].centred);
    EXPECT_FALSE(lines[2].title);
    EXPECT_EQ(lines[0].marks, " #####     ") << "the highlighted title word";
    EXPECT_EQ(lines[2].marks.substr(7, 4), "####");
    EXPECT_EQ(lines[2].marks.substr(16, 6), "~~~~~~") << "the link's text";
    EXPECT_TRUE(lines[5].centred);
}

TEST(HelpFile, ReflowsAndCentresToAWidth) {
    HelpFile file = ParseHelpFile(kHelp, "t.hlf");
    std::vector<HelpLine> lines = RenderHelpTopic(file, "Contents", 20);
    EXPECT_EQ(Texts(lines),
              (std::vector<std::string>{" Title here", "      Centred", " First bold and a",
                                        "link and ~ # @.", "continued on the", "next line", "",
                                        "       Middle", " kept as it", "is written", "    Tab"}));
    for (const HelpLine& line : lines) {
        EXPECT_LE(line.text.size(), 20u) << line.text;
        EXPECT_EQ(line.marks.size(), line.text.size()) << line.text;
    }
}

// A help file of any size is read only up to a fixed amount: past it, a sentence naming the file
// (a 60 MB file once made F1 take seconds and the program grow by hundreds of megabytes).
TEST(HelpFile, AHugeFileIsRefusedUnread) {
    TempFolder folder;
    std::string path = folder.Write("numo_en.hlf", ".Language=English,English\n@Contents\n x\n");
    fs::resize_file(path, 60u << 20); // sparse: no disk space used
    std::string error = ThrownBy([&] { ReadHelpFile(path); });
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("reads at most"), std::string::npos) << error;
    // Choosing among files reads their header lines only.
    EXPECT_EQ(ChooseLanguageFile(folder.Path(), ".hlf", "English"), path);
}

// The limit itself: a file of exactly 1 MiB is read, one byte more is refused.
TEST(HelpFile, ExactlyOneMebibyteIsRead) {
    TempFolder folder;
    std::string text = ".Language=English,English\n@Contents\n";
    text += std::string((1u << 20) - text.size() - 2, 'x') + "\n\n";
    ASSERT_EQ(text.size(), 1u << 20);
    std::string path = folder.Write("numo_en.hlf", text);
    EXPECT_EQ(HelpTopics(ReadHelpFile(path)), std::vector<std::string>{"Contents"});
    folder.Write("numo_en.hlf", text + "\n");
    std::string error = ThrownBy([&] { ReadHelpFile(path); });
    EXPECT_NE(error.find("reads at most 1048576"), std::string::npos) << error;
}

// A row of a two-column table too long for the window goes on under its right column, at every
// width of a terminal from 64 to 79 columns (the help window's text is 4 narrower).
TEST(HelpFile, TwoColumnRowsWrapUnderTheirRightColumn) {
    HelpFile file = ParseHelpFile(".Language=English,English\n@Contents\n"
                                  " #Numbers#    decimal, with a point: 12, 0.5, 3.25 (not .5 or "
                                  "5.) and some more words to wrap twice\n",
                                  "t.hlf");
    std::vector<std::string> lines = Texts(RenderHelpTopic(file, "Contents", 36));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].find("decimal"), 12u); // the markup takes no room
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].find_first_not_of(' '), 12u) << lines[i];
        EXPECT_LE(lines[i].size(), 36u) << lines[i];
    }

    HelpFile shipped = ReadHelpFile(NUMO_LANG_DIR "/numo_en.hlf");
    for (int width = 60; width <= 75; ++width) {
        for (const std::string& line : Texts(RenderHelpTopic(shipped, "Contents", width))) {
            EXPECT_LE(line.size(), static_cast<std::size_t>(width)) << line;
            if (line.find("5.)") != std::string::npos &&
                line.find("Numbers") == std::string::npos) {
                EXPECT_EQ(line.find_first_not_of(' '), 12u) << "width " << width << ": " << line;
            }
        }
    }
}

TEST(HelpFile, MissingTopicOrFileIsNamed) {
    HelpFile file = ParseHelpFile(kHelp, "dir/t.hlf");
    std::string error = ThrownBy([&] { RenderHelpTopic(file, "Config", 0); });
    EXPECT_NE(error.find("dir/t.hlf"), std::string::npos) << error;
    EXPECT_NE(error.find("Config"), std::string::npos) << error;
    error = ThrownBy([] { ReadHelpFile("/nonexistent/numo_en.hlf"); });
    EXPECT_NE(error.find("/nonexistent/numo_en.hlf"), std::string::npos) << error;
    error = ThrownBy([] { ParseHelpFile("@Contents\n", "nohead.hlf"); });
    EXPECT_NE(error.find("nohead.hlf"), std::string::npos) << error;
}

// --- The module's own files, as shipped (and converted to the host's code pages by the build).
class ShippedLanguage : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedLanguage, HoldsDistinctNonNumericMessagesThatFit) {
    LanguageFile file = LoadModuleLanguage(NUMO_LANG_DIR, GetParam(), kMessageCount);
    ASSERT_TRUE(EqualsIgnoringCase(file.name, GetParam())) << file.path;
    // The result field spans columns 5 to 58 of the dialog; in the host's code page one byte is
    // one column. The variables' labels stand in two columns before their fields.
    constexpr std::size_t kResultColumns = 54;
    for (int n : {int{MsgLabelA}, int{MsgLabelB}, int{MsgLabelC}})
        EXPECT_LE(file.messages[static_cast<std::size_t>(n)].size(), 2u) << n;
    // `numo eval` tells a message from a result by its text: no fault message may read as a
    // number or equal another.
    for (int n = 9; n <= 33; ++n) {
        const std::string& text = file.messages[static_cast<std::size_t>(n)];
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        EXPECT_FALSE(!text.empty() && *end == '\0') << "message " << n << " reads as a number";
        EXPECT_FALSE(text.empty()) << n;
        for (int m = 9; m < n; ++m)
            EXPECT_NE(text, file.messages[static_cast<std::size_t>(m)]) << m << " and " << n;
    }
    // Every message fits the result field: a longer one would scroll the host's edit line.
    for (std::size_t n = 0; n < file.messages.size(); ++n)
        EXPECT_LE(file.messages[n].size(), kResultColumns)
            << "message " << n << ": " << file.messages[n];
    char* end = nullptr;
    std::strtod(file.messages[MsgVarDefault].c_str(), &end);
    EXPECT_EQ(*end, '\0') << "message 7 is the variables' first value: a number";
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, ::testing::Values("English", "Russian"));

TEST(ShippedFiles, LanguagesMatchEachOther) {
    LanguageFile english = LoadModuleLanguage(NUMO_LANG_DIR, "English", kMessageCount);
    LanguageFile russian = LoadModuleLanguage(NUMO_LANG_DIR, "Russian", kMessageCount);
    EXPECT_EQ(russian.messages.size(), english.messages.size());
    // The host's code pages share ASCII: the Russian texts are in code page 866, not UTF-8 (which
    // would take two bytes a letter and show as two wrong characters each).
    EXPECT_EQ(russian.messages[MsgDivByZero],
              "\x84\xA5\xAB\xA5\xAD\xA8\xA5 \xAD\xA0 \xAD\xAE\xAB\xEC");
    HelpFile englishHelp = ReadHelpFile(ChooseLanguageFile(NUMO_LANG_DIR, ".hlf", "English"));
    HelpFile russianHelp = ReadHelpFile(ChooseLanguageFile(NUMO_LANG_DIR, ".hlf", "Russian"));
    EXPECT_EQ(russianHelp.language, "Russian");
    EXPECT_EQ(HelpTopics(russianHelp), HelpTopics(englishHelp));
    ASSERT_FALSE(HelpTopics(russianHelp).empty());
    EXPECT_EQ(HelpTopics(russianHelp).front(), "Contents");
}

TEST(ShippedFiles, HelpFileHasTheContentsTopic) {
    HelpFile file = ReadHelpFile(std::string(NUMO_LANG_DIR) + "/numo_en.hlf");
    std::vector<HelpLine> lines = RenderHelpTopic(file, "Contents", 0);
    std::string all;
    for (const HelpLine& line : lines)
        all += line.text + "\n";
    for (const char* name : {"sin", "acot", "sqrt", "round", "floor", "Grey +", "Grey -"})
        EXPECT_NE(all.find(name), std::string::npos) << name;
}

// A help file as built, and the heading of its table of keys in the file's code page.
struct KeyTable {
    const char* file;
    const char* heading;
};

class ShippedHelp : public ::testing::TestWithParam<KeyTable> {};

TEST_P(ShippedHelp, KeyTableLinesUpOnceTheMarkupIsHidden) {
    HelpFile file = ReadHelpFile(std::string(NUMO_LANG_DIR) + "/" + GetParam().file);
    std::vector<HelpLine> lines = RenderHelpTopic(file, "Contents", 0);
    auto heading = std::find_if(lines.begin(), lines.end(), [](const HelpLine& line) {
        return line.text == GetParam().heading;
    });
    ASSERT_NE(heading, lines.end());
    // Each row: the keys, two spaces or more, what they do; every row's second column starts
    // where the first row's does.
    std::size_t column = std::string::npos;
    int rows = 0;
    for (auto line = heading + 1; line != lines.end() && !line->text.empty(); ++line, ++rows) {
        std::size_t gap = line->text.find("  ", 2);
        ASSERT_NE(gap, std::string::npos) << line->text;
        std::size_t start = line->text.find_first_not_of(' ', gap);
        if (column == std::string::npos)
            column = start;
        EXPECT_EQ(start, column) << line->text;
    }
    EXPECT_GE(rows, 2);
}

// The host joins a topic's lines when it reflows them to its window, and draws a #highlight#
// that spans a line break wrongly: every line of the shipped help opens and closes its own
// highlights ("##" is a literal '#').
TEST_P(ShippedHelp, EveryHighlightStaysOnItsLine) {
    std::ifstream in(std::string(NUMO_LANG_DIR) + "/" + GetParam().file, std::ios::binary);
    ASSERT_TRUE(in) << GetParam().file;
    std::string line;
    int number = 0, highlights = 0;
    while (std::getline(in, line)) {
        ++number;
        int marks = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '#')
                continue;
            if (i + 1 < line.size() && line[i + 1] == '#')
                ++i; // a literal '#'
            else
                ++marks;
        }
        EXPECT_EQ(marks % 2, 0) << GetParam().file << " line " << number << ": " << line;
        highlights += marks / 2;
    }
    EXPECT_GT(highlights, 10) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedHelp,
                         ::testing::Values(KeyTable{"numo_en.hlf", " Keys"},
                                           KeyTable{"numo_ru.hlf",
                                                    " \x8A\xAB\xA0\xA2\xA8\xE8\xA8"}));

// The tab size a help file's header asks for: 1..16 taken, anything else (a number beyond int
// among them, which atoi would read with undefined behaviour) leaves the default of 8.
TEST(HelpFile, TabSizeIsReadCheckedAndBounded) {
    const struct {
        const char* value;
        int tabSize;
    } cases[] = {
        {"4", 4},         {" 16 ", 16}, {"1", 1}, {"0", 8},      {"17", 8},
        {"-3", 8},        {"", 8},      {"x", 8}, {"12abc", 12}, {"99999999999999999999", 8},
        {"2147483648", 8}};
    for (const auto& c : cases) {
        std::string text = std::string(".Language=English,English\n.Options TabSize=") + c.value +
                           "\n@Contents\nText\n";
        EXPECT_EQ(numo::hostsim::ParseHelpFile(text, "t.hlf").tabSize, c.tabSize)
            << "'" << c.value << "'";
    }
}
