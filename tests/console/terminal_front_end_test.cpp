// The interactive front end on a terminal kept in memory: how items are drawn (place, glyphs,
// colours, cursor), the keys the dialog procedure receives, closing, a terminal too small, the
// history list and the help window. The real terminal is covered by the tmux tests.
#include "console/terminal_front_end.h"
#include "hostsim/host.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace numo::console;
using namespace numo::hostsim;
namespace fs = std::filesystem;

namespace {
// Cells as text (glyphs as their Unicode characters) and attributes, keys from a script. Each
// ReadKey keeps a copy of the screen as it was flushed; an empty script reads as a hangup.
class MemoryTerminal : public Terminal {
public:
    struct Screen {
        std::vector<std::vector<std::string>> cells;
        std::vector<std::vector<Attribute>> attrs;
        int cursorX = -1, cursorY = -1;
        std::string Row(int y) const {
            std::string row;
            for (const std::string& cell : cells.at(static_cast<std::size_t>(y)))
                row += cell;
            return row;
        }
        // count cells from column x.
        std::string Text(int x, int y, int count) const {
            std::string text;
            for (int i = 0; i < count; ++i)
                text += Cell(x + i, y);
            return text;
        }
        std::string Cell(int x, int y) const {
            return cells.at(static_cast<std::size_t>(y)).at(static_cast<std::size_t>(x));
        }
        Attribute Attr(int x, int y) const {
            return attrs.at(static_cast<std::size_t>(y)).at(static_cast<std::size_t>(x));
        }
        bool Shows(const std::string& text) const {
            for (std::size_t y = 0; y < cells.size(); ++y) {
                if (Row(static_cast<int>(y)).find(text) != std::string::npos)
                    return true;
            }
            return false;
        }
    };

    MemoryTerminal(int columns, int rows) { Resize(columns, rows); }
    void Resize(int columns, int rows) {
        columns_ = columns;
        rows_ = rows;
        work_.cells.assign(static_cast<std::size_t>(rows),
                           std::vector<std::string>(static_cast<std::size_t>(columns), " "));
        work_.attrs.assign(static_cast<std::size_t>(rows),
                           std::vector<Attribute>(static_cast<std::size_t>(columns), 0));
    }
    // Keys to deliver; a std::function runs instead (to resize, say) and reads on.
    using Step = std::function<void(MemoryTerminal&)>;
    void Keys(std::initializer_list<InputKey> keys) {
        for (const InputKey& key : keys)
            script_.push_back(key);
    }
    void Then(Step step) { steps_[script_.size()] = std::move(step); }

    int Columns() const override { return columns_; }
    int Rows() const override { return rows_; }
    void Clear(Attribute attr) override {
        for (int y = 0; y < rows_; ++y)
            for (int x = 0; x < columns_; ++x)
                Set(x, y, " ", attr);
    }
    void Put(int x, int y, std::string_view text, Attribute attr) override {
        for (std::size_t i = 0; i < text.size(); ++i) {
            unsigned char ch = static_cast<unsigned char>(text[i]);
            EXPECT_TRUE(ch >= 0x20 && ch != 0x7F) << "the front end hands no control bytes";
            Set(x + static_cast<int>(i), y, std::string(1, text[i]), attr);
        }
    }
    void PutGlyph(int x, int y, Glyph glyph, int count, Attribute attr) override {
        static const char* kChars[] = {"─", "│", "┌", "┐", "└", "┘", "═", "║", "╔",
                                       "╗", "╚", "╝", "╟", "╢", "├", "┤", "↓", "↑"};
        static_assert(std::size(kChars) == kGlyphCount); // ORDER GLYPH
        for (int i = 0; i < count; ++i)
            Set(x + i, y, kChars[static_cast<int>(glyph)], attr);
    }
    void ShowCursor(int x, int y) override {
        work_.cursorX = x;
        work_.cursorY = y;
    }
    void HideCursor() override { work_.cursorX = work_.cursorY = -1; }
    void Suspend() override { ++suspended; }
    void CopyToClipboard(std::string_view text) override { clipboard.emplace_back(text); }
    void Flush() override { shown_ = work_; }
    InputKey ReadKey(int) override {
        screens.push_back(shown_);
        auto step = steps_.find(read_);
        if (step != steps_.end()) {
            Step action = std::move(step->second);
            steps_.erase(step);
            action(*this);
            return InputKey::Of(InputKey::Kind::Resize);
        }
        if (read_ >= script_.size())
            return InputKey::Of(InputKey::Kind::Hangup);
        return script_[read_++];
    }

    std::vector<Screen> screens; // as flushed, at each ReadKey
    int suspended = 0;
    std::vector<std::string> clipboard; // what went to the terminal's clipboard, in order

private:
    void Set(int x, int y, const std::string& cell, Attribute attr) {
        if (x < 0 || y < 0 || x >= columns_ || y >= rows_)
            return;
        work_.cells[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = cell;
        work_.attrs[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = attr;
    }

    int columns_ = 0, rows_ = 0;
    Screen work_, shown_;
    std::vector<InputKey> script_;
    std::map<std::size_t, Step> steps_;
    std::size_t read_ = 0;
};

// A module of the test's own: its procedure logs events and answers as each test tells it.
PluginStartupInfo gInfo;
FarStandardFunctions gFsf;
std::function<std::optional<LONG_PTR>(HANDLE, int, int, LONG_PTR)> gBehaviour;
std::vector<std::string> gEvents;

void WINAPI TestSetStartupInfo(const PluginStartupInfo* info) {
    gInfo = *info;
    gFsf = *info->FSF;
    gInfo.FSF = &gFsf;
}

LONG_PTR WINAPI TestProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (msg == DN_KEY)
        gEvents.push_back("key " + std::to_string(param2));
    else if (msg == DN_CLOSE)
        gEvents.push_back("close " + std::to_string(param1));
    else if (msg == DN_EDITCHANGE)
        gEvents.push_back("change " + std::to_string(param1));
    if (gBehaviour) {
        if (std::optional<LONG_PTR> answer = gBehaviour(dlg, msg, param1, param2))
            return *answer;
    }
    return gInfo.DefDlgProc(dlg, msg, param1, param2);
}

FarDialogItem MakeItem(int type, int x1, int y1, int x2, int y2, const char* text,
                       DWORD flags = 0) {
    FarDialogItem item;
    std::memset(&item, 0, sizeof item);
    item.Type = type;
    item.X1 = x1;
    item.Y1 = y1;
    item.X2 = x2;
    item.Y2 = y2;
    item.Flags = flags;
    std::strcpy(item.Data, text);
    return item;
}

// A dialog of 40 by 10 cells.
constexpr int kWidth = 40, kHeight = 10;
enum { kBox, kLabel, kEdit, kReadOnly, kSeparator, kHint, kOk, kCancel, kOther };

std::vector<FarDialogItem> TestItems() {
    std::vector<FarDialogItem> items = {
        MakeItem(DI_DOUBLEBOX, 1, 0, 38, 9, "Title"),
        MakeItem(DI_TEXT, 3, 1, 0, 1, "Label"),
        MakeItem(DI_EDIT, 3, 2, 12, 2, "abcdefghijklmnop", DIF_HISTORY),
        MakeItem(DI_EDIT, 3, 3, 12, 3, "ro\xe9", DIF_READONLY),
        MakeItem(DI_TEXT, 0, 4, 0, 4, "", DIF_SEPARATOR | DIF_BOXCOLOR),
        MakeItem(DI_TEXT, 0, 5, 0, 5, "-", DIF_SETCOLOR | 0x74),
        MakeItem(DI_BUTTON, 0, 8, 0, 8, "OK", DIF_CENTERGROUP),
        MakeItem(DI_BUTTON, 0, 8, 0, 8, "Cancel", DIF_CENTERGROUP),
        MakeItem(DI_EDIT, 20, 2, 30, 2, "x"),
    };
    items[kEdit].History = "Test\\History";
    items[kEdit].Focus = 1;
    items[kOk].DefaultButton = 1;
    return items;
}

class TerminalFrontEndTest : public ::testing::Test {
protected:
    TerminalFrontEndTest() : host(Messages()), terminal(50, 14) {
        host.Start(TestSetStartupInfo);
        gEvents.clear();
    }
    ~TerminalFrontEndTest() override { gBehaviour = nullptr; }

    static LanguageFile Messages() {
        LanguageFile file;
        file.name = "English";
        file.messages = {"Title"};
        return file;
    }

    // Runs the test dialog with the keys given to the terminal beforehand.
    int Run(TerminalFrontEnd::Options options = {}) {
        if (options.history == nullptr)
            options.history = &host.History();
        TerminalFrontEnd frontEnd(terminal, options);
        host.SetFrontEnd(&frontEnd);
        std::vector<FarDialogItem> items = TestItems();
        int result =
            gInfo.DialogEx(gInfo.ModuleNumber, -1, -1, kWidth, kHeight, "Topic", items.data(),
                           static_cast<int>(items.size()), 0, 0, TestProc, 0);
        host.SetFrontEnd(nullptr);
        hungUp = frontEnd.HungUp();
        final = items;
        return result;
    }

    Host host;
    MemoryTerminal terminal;
    bool hungUp = false;
    std::vector<FarDialogItem> final;
    // Where the test dialog stands on the 50 by 14 terminal.
    static constexpr int x0 = (50 - kWidth) / 2, y0 = (14 - kHeight) / 2;
};
} // namespace

TEST_F(TerminalFrontEndTest, DrawsItemsByTypeFlagsAndColours) {
    terminal.Keys({InputKey::Key(InputKey::Home), InputKey::Byte('\t')});
    Run();
    ASSERT_GE(terminal.screens.size(), 3u);
    const MemoryTerminal::Screen& first = terminal.screens[0];

    // The frame with its title centred in the top edge.
    EXPECT_EQ(first.Text(x0, y0, kWidth), " ╔══════════════ Title ═══════════════╗ ");
    EXPECT_EQ(first.Cell(x0 + 1, y0 + 9), "╚");
    // A separator joins the frame's edges.
    EXPECT_EQ(first.Text(x0, y0 + 4, kWidth), " ╟────────────────────────────────────╢ ");
    // The grey hint in its own colour; the dialog around it in the dialog's.
    EXPECT_EQ(first.Cell(x0, y0 + 5), "-");
    EXPECT_EQ(first.Attr(x0, y0 + 5), 0x74);
    EXPECT_EQ(first.Attr(x0 + 3, y0 + 1), 0x70);
    // The buttons side by side in the middle, the default one marked.
    EXPECT_EQ(first.Text(x0 + 11, y0 + 8, 17), "{ OK } [ Cancel ]");
    // The focused field scrolled to its cursor at the end, its unchanged text selected; a history
    // arrow beside it.
    EXPECT_EQ(first.Text(x0 + 3, y0 + 2, 11), "hijklmnop ↓");
    EXPECT_EQ(first.Attr(x0 + 3, y0 + 2), 0x1F);
    EXPECT_EQ(first.Attr(x0 + 12, y0 + 2), 0x30);
    EXPECT_EQ(first.cursorX, x0 + 3 + 9);
    EXPECT_EQ(first.cursorY, y0 + 2);
    // A read-only field: no input colour, no arrow, its byte beyond ASCII as it is, one cell.
    EXPECT_EQ(first.Text(x0 + 3, y0 + 3, 11), "ro\xe9        ");
    EXPECT_EQ(first.Attr(x0 + 3, y0 + 3), 0x70);
    // Another field, not focused, in the input colour.
    EXPECT_EQ(first.Attr(x0 + 20, y0 + 2), 0x30);
    // Outside the dialog: the screen's colour.
    EXPECT_EQ(first.Attr(0, 0), 0x07);

    // Home: the start of the text in sight, the cursor there, the text no longer selected.
    const MemoryTerminal::Screen& home = terminal.screens[1];
    EXPECT_EQ(home.Text(x0 + 3, y0 + 2, 10), "abcdefghij");
    EXPECT_EQ(home.Attr(x0 + 3, y0 + 2), 0x30);
    EXPECT_EQ(home.cursorX, x0 + 3);
    // Tab: the next focusable item, the read-only field.
    EXPECT_EQ(terminal.screens[2].cursorY, y0 + 3);
}

TEST_F(TerminalFrontEndTest, EveryKeyReachesTheProcedureWithTheHostsCode) {
    // The procedure takes the grey keys, as the calculator does.
    gBehaviour = [](HANDLE, int msg, int, LONG_PTR key) -> std::optional<LONG_PTR> {
        if (msg == DN_KEY && (key == KEY_ADD || key == KEY_SUBTRACT))
            return 1;
        return std::nullopt;
    };
    terminal.Keys({InputKey::Key(InputKey::KeypadPlus),
                   InputKey::Byte('=', true),
                   InputKey::Byte('-', true),
                   InputKey::Key(InputKey::KeypadMinus),
                   InputKey::Byte('+'),
                   InputKey::Byte(0xC3),
                   InputKey::Byte(0xA9),
                   InputKey::Key(InputKey::KeypadStar),
                   InputKey::Byte(25),
                   {InputKey::Kind::Named, InputKey::F1 + 9, false}});
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(gEvents, (std::vector<std::string>{
                           "key 363", "key 363", "key 365", "key 365",   // grey keys, taken
                           "key 43", "change 2",                         // '+' types
                           "key 195", "change 2", "key 169", "change 2", // two host bytes
                           "key 362", "change 2",                        // grey '*' types
                           "key 16777305", "change 2",                   // Ctrl+Y
                           "key 377", "close -1"}));                     // F10
    EXPECT_EQ(std::string(final[kEdit].Data), "");
    // Two host bytes typed are two characters in the field, one cell each.
    EXPECT_EQ(terminal.screens[8].Text(x0 + 3, y0 + 2, 5), "+\xC3\xA9* ");
    EXPECT_FALSE(hungUp);
}

TEST_F(TerminalFrontEndTest, CtrlCClosesAsEscUnlessTheProcedureTakesIt) {
    terminal.Keys({InputKey::Byte(3)});
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"key 16777283", "close -1"}));

    // Taken by the procedure: open still; SIGINT the same way; Enter then closes by the default
    // button.
    gEvents.clear();
    gBehaviour = [](HANDLE, int msg, int, LONG_PTR key) -> std::optional<LONG_PTR> {
        if (msg == DN_KEY && key == TerminalFrontEnd::kCtrlC)
            return 1;
        return std::nullopt;
    };
    terminal.Keys({InputKey::Byte(3), InputKey::Of(InputKey::Kind::Interrupt), InputKey::Byte(13)});
    EXPECT_EQ(Run(), kOk);
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"key 16777283", "key 16777283", "key 13", "close 6"}));
}

TEST_F(TerminalFrontEndTest, AHangupClosesWithoutAsking) {
    terminal.Keys({InputKey::Byte('1'), InputKey::Of(InputKey::Kind::Hangup), InputKey::Byte('2')});
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(hungUp);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"key 49", "change 2"})) << "no DN_CLOSE";
    EXPECT_EQ(host.History().Entries("Test\\History"), std::vector<std::string>{});
}

TEST_F(TerminalFrontEndTest, ATerminalTooSmallShowsAMessageAndTakesOnlyClosingKeys) {
    terminal.Resize(30, 8);
    terminal.Keys({InputKey::Byte('x')});
    terminal.Then([](MemoryTerminal& t) { t.Resize(50, 14); });
    terminal.Keys({InputKey::Byte('y')});
    terminal.Then([](MemoryTerminal& t) { t.Resize(39, 14); });
    terminal.Keys({InputKey::Byte(27)});
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(terminal.screens[0].Shows("Terminal 30x8:"));
    EXPECT_TRUE(terminal.screens[0].Shows("needs 40x10."));
    EXPECT_FALSE(terminal.screens[0].Shows("Title"));
    // Large enough: the dialog again, centred.
    EXPECT_EQ(terminal.screens[2].Cell(x0 + 1, y0), "╔");
    EXPECT_TRUE(terminal.screens[4].Shows("Terminal 39x14:"));
    EXPECT_EQ(gEvents, (std::vector<std::string>{"key 121", "change 2", "key 27", "close -1"}))
        << "the key typed while the dialog could not be seen went nowhere";
}

TEST_F(TerminalFrontEndTest, CtrlDownPicksFromTheFieldsHistory) {
    host.History().Add("Test\\History", "1+1");
    host.History().Add("Test\\History", "2*3");
    terminal.Keys({InputKey::Key(InputKey::CtrlDown), InputKey::Key(InputKey::Up),
                   InputKey::Byte(13), InputKey::Byte('\t'), InputKey::Key(InputKey::CtrlDown),
                   InputKey::Byte(27)});
    EXPECT_EQ(Run(), -1);
    // The list under the field, the newest entry at the bottom and chosen.
    const MemoryTerminal::Screen& list = terminal.screens[1];
    EXPECT_EQ(list.Text(x0 + 2, y0 + 3, 12), "╔ History ═╗");
    EXPECT_EQ(list.Text(x0 + 2, y0 + 4, 12), "║ 1+1      ║");
    EXPECT_EQ(list.Text(x0 + 2, y0 + 5, 12), "║ 2*3      ║");
    EXPECT_EQ(list.Attr(x0 + 3, y0 + 5), 0x0F);
    EXPECT_EQ(list.Attr(x0 + 3, y0 + 4), 0x30);
    EXPECT_EQ(terminal.screens[2].Attr(x0 + 3, y0 + 4), 0x0F) << "Up chose the older one";
    // Enter: the entry in the field as one edit; the list gone.
    EXPECT_EQ(terminal.screens[3].Text(x0 + 3, y0 + 2, 4), "1+1 ");
    EXPECT_FALSE(terminal.screens[3].Shows("History"));
    // Ctrl+Down on a field without a history: nothing opens.
    EXPECT_FALSE(terminal.screens[5].Shows("History"));
    EXPECT_EQ(gEvents, (std::vector<std::string>{"key 16777512", "change 2", "key 9",
                                                 "key 16777512", "key 27", "close -1"}));
}

TEST_F(TerminalFrontEndTest, F1ShowsTheDialogsHelpTopicAndEscReturns) {
    fs::path folder =
        fs::temp_directory_path() / ("numo-frontend-help-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "test_en.hlf") << ".Language=English,English\n\n"
                                             "@Contents\n$ #Wrong topic#\n\n"
                                             "@Topic\n$ #Test help#\n #First# line\n"
                                             "@-\n line 2\n line 3\n@+\n";
    TerminalFrontEnd::Options options;
    options.helpFolder = folder.string();
    terminal.Keys({InputKey::Key(InputKey::F1), InputKey::Byte(27), InputKey::Byte(27)});
    Run(options);
    fs::remove_all(folder);

    const MemoryTerminal::Screen& help = terminal.screens[1];
    EXPECT_TRUE(help.Shows("═ Help ═"));
    EXPECT_TRUE(help.Shows("║  Test help"));
    EXPECT_TRUE(help.Shows("║  First line"));
    EXPECT_TRUE(help.Shows("║  line 3"));
    EXPECT_FALSE(help.Shows("Wrong topic"));
    EXPECT_FALSE(help.Shows("Label")) << "the help covers the dialog";
    int row = 0;
    while (row < 14 && help.Row(row).find("First") == std::string::npos)
        ++row;
    ASSERT_LT(row, 14);
    int column = static_cast<int>(help.Row(row).find("First")) - 2; // two 3-byte glyphs before
    EXPECT_EQ(help.Attr(column, row), 0x3F) << "highlighted";
    EXPECT_EQ(help.Attr(column + 6, row), 0x30);
    EXPECT_TRUE(terminal.screens[2].Shows("Label")) << "Esc returns to the dialog";
    EXPECT_EQ(gEvents, (std::vector<std::string>{"key 368", "key 27", "close -1"}));
}

TEST_F(TerminalFrontEndTest, AMissingHelpFileIsReportedInAWindow) {
    TerminalFrontEnd::Options options;
    options.helpFolder = "/nonexistent/numo-help";
    terminal.Keys({InputKey::Key(InputKey::F1), InputKey::Byte(13), InputKey::Byte(27)});
    EXPECT_EQ(Run(options), -1);
    EXPECT_TRUE(terminal.screens[1].Shows("/nonexistent/numo-help"));
    EXPECT_TRUE(terminal.screens[1].Shows("═ Help ═"));
    EXPECT_TRUE(terminal.screens[2].Shows("Label"));
}

// A paste is one edit, its line ends and tabs text; Ctrl+Ins puts the copy on the terminal's
// clipboard too; Ctrl+Z suspends and reaches no dialog; modified keys arrive with their
// modifiers.
TEST_F(TerminalFrontEndTest, PasteCopyAndSuspend) {
    terminal.Keys(
        {InputKey::Pasted("1+2\n\t5\r\n"), InputKey::Modified(InputKey::Left, true, false, false),
         InputKey::Modified(InputKey::Left, true, false, true),
         InputKey::Modified(InputKey::Insert, false, false, true), InputKey::Byte(26),
         InputKey::Modified(InputKey::Backspace, false, true, false), InputKey::Byte(27)});
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(terminal.clipboard, (std::vector<std::string>{"25"}));
    EXPECT_EQ(terminal.suspended, 1);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"change 2", // the paste, once
                                                 "key 67109157", "key 83886373",
                                                 "key 16777517",             // Shift+Left ...
                                                 "key 33554440", "change 2", // Alt+BS: undo
                                                 "key 27", "close -1"}));
    EXPECT_EQ(std::string(final[kEdit].Data), "abcdefghijklmnop") << "the paste undone";
}
