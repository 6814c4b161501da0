// The stand-in host's dialog model and services, driven through DialogEx by a tiny module of the
// test's own: its dialog procedure logs events and answers as each test tells it.
#include "hostsim/host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace numo::hostsim;

namespace {
// The test module's copies of the host records, taken as a module must take them.
PluginStartupInfo gInfo;
FarStandardFunctions gFsf;

void WINAPI TestSetStartupInfo(const PluginStartupInfo* info) {
    gInfo = *info;
    gFsf = *info->FSF;
    gInfo.FSF = &gFsf;
}

// What the procedure does for one event; no value: the host's default processing.
std::function<std::optional<LONG_PTR>(HANDLE, int, int, LONG_PTR)> gBehaviour;

LONG_PTR WINAPI TestProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (gBehaviour) {
        if (std::optional<LONG_PTR> answer = gBehaviour(dlg, msg, param1, param2))
            return *answer;
    }
    return gInfo.DefDlgProc(dlg, msg, param1, param2);
}

LONG_PTR Send(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    return gInfo.SendDlgMessage(dlg, msg, param1, param2);
}

std::string ItemText(HANDLE dlg, int item) {
    FarDialogItem record;
    Send(dlg, DM_GETDLGITEM, item, reinterpret_cast<LONG_PTR>(&record));
    return record.Data;
}

FarDialogItem MakeItem(int type, const char* text, DWORD flags = 0, int focus = 0,
                       int defaultButton = 0) {
    FarDialogItem item;
    std::memset(&item, 0, sizeof item);
    item.Type = type;
    item.Flags = flags;
    item.Focus = focus;
    item.DefaultButton = defaultButton;
    std::strcpy(item.Data, text);
    return item;
}

// 0 frame, 1 label, 2 edit, 3 read-only edit, 4 label, 5 edit, 6 default button, 7 button.
std::vector<FarDialogItem> TestItems() {
    return {MakeItem(DI_DOUBLEBOX, "Test"),     MakeItem(DI_TEXT, "Label"),
            MakeItem(DI_EDIT, "abc"),           MakeItem(DI_EDIT, "ro", DIF_READONLY),
            MakeItem(DI_TEXT, "Other"),         MakeItem(DI_EDIT, "12"),
            MakeItem(DI_BUTTON, "OK", 0, 0, 1), MakeItem(DI_BUTTON, "Cancel")};
}

LanguageFile TestMessages() {
    LanguageFile file;
    file.path = "test.lng";
    file.name = "English";
    file.messages = {"Title", "First"};
    return file;
}

class DialogTest : public ::testing::Test {
protected:
    DialogTest() : host(TestMessages(), "/plugins/test.so") { host.Start(TestSetStartupInfo); }
    ~DialogTest() override { gBehaviour = nullptr; }

    // Runs the items as a dialog through the module's DialogEx; script acts as the user.
    int Run(std::vector<FarDialogItem>& items, const ScriptedFrontEnd::Script& script) {
        ScriptedFrontEnd frontEnd(script);
        host.SetFrontEnd(&frontEnd);
        int result = gInfo.DialogEx(gInfo.ModuleNumber, -1, -1, 40, 10, "Topic", items.data(),
                                    static_cast<int>(items.size()), 0, 0, TestProc, 77);
        host.SetFrontEnd(nullptr);
        return result;
    }
    int Run(const ScriptedFrontEnd::Script& script) {
        std::vector<FarDialogItem> items = TestItems();
        return Run(items, script);
    }

    Host host;
};
} // namespace

TEST_F(DialogTest, UnchangedFieldIsReplacedByTheFirstCharacterAndClearedOneIsEdited) {
    Run([](Dialog& d) {
        HANDLE h = d.Handle();
        EXPECT_TRUE(d.Unchanged(2)) << "a freshly opened field is unchanged";
        EXPECT_EQ(Send(h, DM_EDITUNCHANGEDFLAG, 2, -1), 1);
        EXPECT_EQ(Send(h, DM_EDITUNCHANGEDFLAG, 2, 0), 1) << "returns the previous state";
        EXPECT_EQ(Send(h, DM_EDITUNCHANGEDFLAG, 2, -1), 0);
        EXPECT_EQ(Send(h, DM_EDITUNCHANGEDFLAG, 2, 1), 0);
        EXPECT_EQ(Send(h, DM_EDITUNCHANGEDFLAG, 2, -1), 1);

        d.SetFocus(2);
        d.Type("x");
        EXPECT_EQ(d.Text(2), "x") << "the whole text replaced";
        d.Type("y");
        EXPECT_EQ(d.Text(2), "xy") << "then typing edits";
        d.Key(KEY_HOME);
        d.Type("z");
        d.Key(KEY_RIGHT);
        d.Key(KEY_DEL);
        EXPECT_EQ(d.Text(2), "zx");
        EXPECT_EQ(d.Cursor(2), 2);

        Send(h, DM_EDITUNCHANGEDFLAG, 5, 0);
        d.SetFocus(5);
        d.Type("3");
        EXPECT_EQ(d.Text(5), "123") << "a cleared field types at the cursor, at the end at first";
        d.Key(KEY_BS);
        EXPECT_EQ(d.Text(5), "12");

        Send(h, DM_EDITUNCHANGEDFLAG, 5, 1);
        d.Key(KEY_BS);
        EXPECT_EQ(d.Text(5), "") << "BS in the unchanged state empties the field";
        d.Close(-1);
    });
}

TEST_F(DialogTest, EditChangeComesAfterTheChangeWithTheChangedRecord) {
    std::vector<std::string> log;
    gBehaviour = [&](HANDLE h, int msg, int p1, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg == DN_EDITCHANGE)
            log.push_back(std::to_string(p1) + ":" + ItemText(h, p1) + ":" +
                          reinterpret_cast<const FarDialogItem*>(p2)->Data);
        return std::nullopt;
    };
    Run([&](Dialog& d) {
        d.SetFocus(5);
        d.Type("5");
        d.EditText(2, "77");
        d.Key(KEY_BS);
        d.SetFocus(3);
        d.Type("9"); // read-only: no change, no event
        d.Key(KEY_CTRLY);
        FarDialogItem record = d.Item(5);
        std::strcpy(record.Data, "set");
        Send(d.Handle(), DM_SETDLGITEM, 5, reinterpret_cast<LONG_PTR>(&record)); // no event
        EXPECT_EQ(d.Text(5), "set") << "shown as set at once";
        EXPECT_EQ(d.Text(3), "ro");
        d.Close(-1);
    });
    EXPECT_EQ(log, (std::vector<std::string>{"5:5:5", "2:77:77", "2:7:7"}));
}

TEST_F(DialogTest, KeysReachTheProcedureFirstAndConsumedKeysDoNothingMore) {
    std::vector<std::string> keys;
    gBehaviour = [&](HANDLE, int msg, int p1, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg != DN_KEY)
            return std::nullopt;
        keys.push_back(std::to_string(p1) + ":" + std::to_string(p2));
        if (p2 == 'x' || p2 == KEY_ESC || p2 == KEY_TAB)
            return 1;
        return std::nullopt;
    };
    Run([](Dialog& d) {
        d.SetFocus(2);
        d.Type("axb");
        EXPECT_EQ(d.Text(2), "ab");
        d.Key(KEY_ESC);
        EXPECT_FALSE(d.Closed()) << "a consumed Esc does not close";
        d.Key(KEY_TAB);
        EXPECT_EQ(d.Focus(), 2) << "a consumed Tab does not move";
        d.Key(KEY_F10);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(keys, (std::vector<std::string>{"2:97", "2:120", "2:98", "2:27", "2:9", "2:377"}));
}

TEST_F(DialogTest, GreyKeysTypeTheirCharactersUnlessTheProcedureTakesThem) {
    gBehaviour = [&](HANDLE, int msg, int, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg == DN_KEY && p2 == KEY_ADD)
            return 1;
        return std::nullopt;
    };
    Run([](Dialog& d) {
        Send(d.Handle(), DM_EDITUNCHANGEDFLAG, 2, 0);
        d.SetFocus(2);
        for (int key : {KEY_ADD, KEY_SUBTRACT, KEY_MULTIPLY, KEY_DIVIDE})
            EXPECT_TRUE(d.Key(key)) << key;
        EXPECT_EQ(d.Text(2), "abc-*/");
        d.SetFocus(3);
        d.Key(KEY_SUBTRACT);
        EXPECT_EQ(d.Text(3), "ro") << "read-only";
        d.Close(-1);
    });
}

TEST_F(DialogTest, FocusMovesAmongEditFieldsAndButtons) {
    std::vector<FarDialogItem> items = TestItems();
    items.push_back(MakeItem(DI_EDIT, "off", DIF_DISABLE)); // 8: never focused
    Run(items, [](Dialog& d) {
        EXPECT_EQ(d.Focus(), 2) << "no item asks for the focus: the first that can take it";
        std::vector<int> order;
        for (int i = 0; i < 6; ++i) {
            d.Key(KEY_TAB);
            order.push_back(d.Focus());
        }
        EXPECT_EQ(order, (std::vector<int>{3, 5, 6, 7, 2, 3})) << "read-only fields too";
        d.Key(KEY_SHIFTTAB);
        d.Key(KEY_UP);
        EXPECT_EQ(d.Focus(), 7);
        d.Key(KEY_DOWN);
        EXPECT_EQ(d.Focus(), 2);
        EXPECT_EQ(Send(d.Handle(), DM_GETFOCUS, 0, 0), 2);
        EXPECT_EQ(Send(d.Handle(), DM_SETFOCUS, 1, 0), 0) << "a label takes no focus";
        EXPECT_EQ(Send(d.Handle(), DM_SETFOCUS, 8, 0), 0) << "nor a disabled field";
        EXPECT_EQ(d.Focus(), 2);
        d.Close(-1);
    });
}

TEST_F(DialogTest, ItemFocusAppliesBeforeInitAndSetFocusDuringInitWins) {
    std::vector<FarDialogItem> items = TestItems();
    items[5].Focus = 1;
    std::optional<int> focusDuringInit;
    int focusTo = -1;
    gBehaviour = [&](HANDLE h, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_INITDIALOG) {
            focusDuringInit = static_cast<int>(Send(h, DM_GETFOCUS, 0, 0));
            if (focusTo >= 0)
                Send(h, DM_SETFOCUS, focusTo, 0);
        }
        return std::nullopt;
    };
    int focusAfter = -1;
    auto script = [&](Dialog& d) {
        focusAfter = d.Focus();
        d.Close(-1);
    };
    Run(items, script);
    EXPECT_EQ(focusDuringInit, 5);
    EXPECT_EQ(focusAfter, 5);

    focusTo = 3;
    Run(items, script);
    EXPECT_EQ(focusAfter, 3);
}

// Events a module sends itself reach its procedure before the send returns, as the current host's
// layer for 1.x modules passes them on: DN_BTNCLICK and messages above DM_USER as they are, any
// other DN_* (a self-sent DN_EDITCHANGE among them) as message 0 with the same parameters.
TEST_F(DialogTest, EventsSentToItselfArriveAsTheCurrentHostPassesThemOn) {
    std::vector<std::string> log;
    gBehaviour = [&](HANDLE h, int msg, int p1, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg == DN_INITDIALOG) {
            log.push_back("init " + std::to_string(p2) + " " + ItemText(h, 2));
            FarDialogItem record;
            Send(h, DM_GETDLGITEM, 3, reinterpret_cast<LONG_PTR>(&record));
            std::strcpy(record.Data, "written");
            Send(h, DM_SETDLGITEM, 3, reinterpret_cast<LONG_PTR>(&record));
            for (int sent : {int{DN_EDITCHANGE}, int{DN_GOTFOCUS}, int{DN_BTNCLICK}, DM_USER + 1})
                log.push_back("sent " + std::to_string(Send(h, sent, 2, 3)));
        } else if (msg != DN_KEY && msg != DN_CLOSE) {
            log.push_back(std::to_string(msg) + " " + std::to_string(p1) + " " +
                          std::to_string(p2) + " " + ItemText(h, 3));
            return 40 + msg % 10;
        }
        return std::nullopt;
    };
    Run([&](Dialog& d) {
        EXPECT_EQ(d.Text(3), "written");
        d.Close(-1);
    });
    EXPECT_EQ(log,
              (std::vector<std::string>{"init 77 abc", "0 2 3 written", "sent 40", "0 2 3 written",
                                        "sent 40", std::to_string(DN_BTNCLICK) + " 2 3 written",
                                        "sent " + std::to_string(40 + DN_BTNCLICK % 10),
                                        std::to_string(DM_USER + 1) + " 2 3 written",
                                        "sent " + std::to_string(40 + (DM_USER + 1) % 10)}));
}

struct CloseCase {
    const char* name;
    int focus;
    int key;
    int result;
};

class DialogClosing : public DialogTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(DialogClosing, GivesTheResultAndHandsTheItemsBack) {
    std::vector<FarDialogItem> items = TestItems();
    int result = Run(items, [](Dialog& d) {
        d.EditText(5, "edited");
        d.SetFocus(GetParam().focus);
        d.Key(GetParam().key);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, GetParam().result);
    EXPECT_STREQ(items[5].Data, "edited") << "the caller's records get the final state";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DialogClosing,
    ::testing::Values(CloseCase{"EnterInFieldUsesDefaultButton", 2, KEY_ENTER, 6},
                      CloseCase{"EnterOnButtonUsesIt", 7, KEY_ENTER, 7},
                      CloseCase{"SpaceOnButtonUsesIt", 7, KEY_SPACE, 7},
                      CloseCase{"NumEnter", 5, KEY_NUMENTER, 6}, CloseCase{"Esc", 2, KEY_ESC, -1},
                      CloseCase{"F10", 6, KEY_F10, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, ClosingAsksTheProcedure) {
    int refusals = 1;
    std::vector<int> asked;
    gBehaviour = [&](HANDLE, int msg, int p1, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg != DN_CLOSE)
            return std::nullopt;
        asked.push_back(p1);
        return refusals-- > 0 ? 0 : 1;
    };
    int result = Run([](Dialog& d) {
        d.Key(KEY_ESC);
        EXPECT_FALSE(d.Closed()) << "DN_CLOSE answered 0";
        EXPECT_EQ(Send(d.Handle(), DM_CLOSE, 7, 0), 1);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 7);
    EXPECT_EQ(asked, (std::vector<int>{-1, 7}));
}

TEST_F(DialogTest, ItemRecordsMoveWhole) {
    Run([](Dialog& d) {
        HANDLE h = d.Handle();
        FarDialogItem record;
        std::memset(&record, 0x5A, sizeof record); // no terminator anywhere in the text
        record.Type = DI_EDIT;
        record.Flags = DIF_READONLY | DIF_SETCOLOR | 0x74;
        record.X1 = 3;
        EXPECT_EQ(Send(h, DM_SETDLGITEM, 3, reinterpret_cast<LONG_PTR>(&record)), 1);
        EXPECT_EQ(d.Text(3), std::string(511, 0x5A)) << "cut to an item's 511 characters";
        FarDialogItem back;
        EXPECT_EQ(Send(h, DM_GETDLGITEM, 3, reinterpret_cast<LONG_PTR>(&back)), 1);
        EXPECT_EQ(back.Flags, record.Flags);
        EXPECT_EQ(back.X1, 3);
        EXPECT_EQ(back.Y2, record.Y2);
        EXPECT_EQ(Send(h, DM_GETDLGITEM, 8, reinterpret_cast<LONG_PTR>(&back)), 0);
        EXPECT_EQ(Send(h, DM_GETDLGITEM, -1, reinterpret_cast<LONG_PTR>(&back)), 0);
        EXPECT_EQ(Send(h, DM_SETDLGITEM, 2, 0), 0);
        EXPECT_EQ(Send(h, DM_REDRAW, 0, 0), 1);
        EXPECT_EQ(d.RedrawCount(), 1);
        d.Close(-1);
    });
}

// An edit line takes any number of characters, of which the module's record holds the first
// 511, until DM_SETMAXTEXTLENGTH limits it; then edits beyond the limit are refused.
TEST_F(DialogTest, EditsBeyondTheFieldsLimitAreRefused) {
    std::vector<std::string> changes;
    std::vector<LONG_PTR> previous;
    gBehaviour = [&](HANDLE h, int msg, int p1, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_INITDIALOG) {
            previous.push_back(Send(h, DM_SETMAXTEXTLENGTH, 5, 511));
            previous.push_back(Send(h, DM_SETMAXTEXTLENGTH, 5, 511));
            previous.push_back(Send(h, DM_SETMAXTEXTLENGTH, 6, 511)); // a button
        }
        if (msg == DN_EDITCHANGE)
            changes.push_back(ItemText(h, p1));
        return std::nullopt;
    };
    Run([](Dialog& d) {
        EXPECT_TRUE(d.EditText(2, std::string(600, '1'))) << "no limit set";
        EXPECT_EQ(d.Text(2), std::string(600, '1'));
        d.Type("2");
        EXPECT_EQ(d.Text(2), std::string(600, '1') + "2");
        EXPECT_EQ(ItemText(d.Handle(), 2), std::string(511, '1')) << "the record's first 511";

        EXPECT_FALSE(d.EditText(5, std::string(512, '1')));
        EXPECT_EQ(d.Text(5), "12");
        EXPECT_FALSE(d.EditText(3, "x")) << "read-only";
        EXPECT_FALSE(d.EditText(6, "x")) << "a button";
        EXPECT_TRUE(d.EditText(5, std::string(511, '1')));
        d.Key(KEY_END);
        d.Type("2");
        EXPECT_EQ(d.Text(5), std::string(511, '1')) << "a full field takes no more";
        d.Close(-1);
    });
    EXPECT_EQ(previous, (std::vector<LONG_PTR>{-1, 511, 0}));
    EXPECT_EQ(changes, (std::vector<std::string>{std::string(511, '1'), std::string(511, '1'),
                                                 std::string(511, '1')}));
}

// An edit line shows its width of the text from its scroll position. Writing a text keeps the
// scroll (the cursor goes after a changed text, and the line scrolls only as far as keeps it in
// sight), so a short text after a long one loses its first characters; DM_SETCURSORPOS moves
// the cursor and scrolls back to it, DM_GETCURSORPOS reads it.
TEST_F(DialogTest, EditLinesKeepTheirScrollWhenTheirTextIsWritten) {
    std::vector<FarDialogItem> items = TestItems();
    items[3].X1 = 2;
    items[3].X2 = 11; // 10 columns
    Run(items, [](Dialog& d) {
        HANDLE h = d.Handle();
        auto write = [&](const char* text) {
            FarDialogItem record;
            Send(h, DM_GETDLGITEM, 3, reinterpret_cast<LONG_PTR>(&record));
            std::strcpy(record.Data, text);
            Send(h, DM_SETDLGITEM, 3, reinterpret_cast<LONG_PTR>(&record));
        };
        auto cursor = [&] {
            COORD position{-1, -1};
            EXPECT_EQ(Send(h, DM_GETCURSORPOS, 3, reinterpret_cast<LONG_PTR>(&position)), 1);
            EXPECT_EQ(position.Y, 0);
            return position.X;
        };
        EXPECT_EQ(d.Width(3), 10);
        EXPECT_EQ(d.Window(3), "ro");
        write("0123456789");
        EXPECT_EQ(cursor(), 10);
        EXPECT_EQ(d.Window(3), "123456789") << "room for the cursor after the text";
        write("abcdef");
        EXPECT_EQ(cursor(), 6);
        EXPECT_EQ(d.Window(3), "bcdef") << "the scroll stays";
        write("0123456789ABCDEFGHIJ");
        EXPECT_EQ(d.Window(3), "BCDEFGHIJ") << "the tail, cursor after it";
        COORD start{0, 0};
        EXPECT_EQ(Send(h, DM_SETCURSORPOS, 3, reinterpret_cast<LONG_PTR>(&start)), 1);
        EXPECT_EQ(cursor(), 0);
        EXPECT_EQ(d.Window(3), "0123456789");
        write("xy");
        COORD beyond{50, 0};
        Send(h, DM_SETCURSORPOS, 3, reinterpret_cast<LONG_PTR>(&start));
        EXPECT_EQ(d.Window(3), "xy");
        Send(h, DM_SETCURSORPOS, 3, reinterpret_cast<LONG_PTR>(&beyond));
        EXPECT_EQ(cursor(), 2) << "no further than the end";
        EXPECT_EQ(Send(h, DM_SETCURSORPOS, 6, reinterpret_cast<LONG_PTR>(&start)), 0) << "button";
        EXPECT_EQ(Send(h, DM_GETCURSORPOS, 3, 0), 0);
        d.Close(-1);
    });
}

TEST_F(DialogTest, LastHistoryFillsAnEmptyFieldAndAnAcceptedDialogAddsToIt) {
    host.History().Add("Test\\Hist", "older");
    host.History().Add("Test\\Hist", "1+1");
    std::vector<FarDialogItem> items = TestItems();
    items[2] = MakeItem(DI_EDIT, "", DIF_HISTORY | DIF_USELASTHISTORY);
    items[2].History = "Test\\Hist";
    items[5] = MakeItem(DI_EDIT, "keep", DIF_HISTORY | DIF_USELASTHISTORY);
    items[5].History = "Test\\Hist";

    std::string opened;
    Run(items, [&](Dialog& d) {
        opened = d.Text(2) + "|" + d.Text(5);
        d.EditText(2, "2*3");
        d.Key(KEY_ESC);
    });
    EXPECT_EQ(opened, "1+1|keep") << "only an empty field takes the last entry";
    EXPECT_EQ(host.History().Entries("Test\\Hist"), (std::vector<std::string>{"older", "1+1"}))
        << "a cancelled dialog adds nothing";

    items[2].Data[0] = '\0';
    Run(items, [&](Dialog& d) {
        d.EditText(2, "2*3");
        d.Key(KEY_ENTER);
    });
    EXPECT_EQ(host.History().Entries("Test\\Hist"),
              (std::vector<std::string>{"older", "1+1", "2*3", "keep"}));
}

TEST_F(DialogTest, HandlesOfNoLiveDialogAreRefused) {
    HANDLE dead = nullptr;
    Run([&](Dialog& d) {
        dead = d.Handle();
        d.Close(-1);
    });
    int local = 0;
    EXPECT_EQ(gInfo.SendDlgMessage(dead, DM_GETFOCUS, 0, 0), 0);
    EXPECT_EQ(gInfo.SendDlgMessage(&local, DM_REDRAW, 0, 0), 0);
    EXPECT_EQ(gInfo.DefDlgProc(&local, DN_INITDIALOG, 0, 0), 0);
}

TEST_F(DialogTest, RecorderKeepsTheModulesCallsInOrder) {
    gBehaviour = [&](HANDLE h, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_INITDIALOG)
            Send(h, DM_SETFOCUS, 5, 0);
        if (msg == DN_EDITCHANGE) {
            FarDialogItem record;
            Send(h, DM_GETDLGITEM, 5, reinterpret_cast<LONG_PTR>(&record));
            Send(h, DM_SETDLGITEM, 3, reinterpret_cast<LONG_PTR>(&record));
            Send(h, DM_EDITUNCHANGEDFLAG, 5, -1);
            gInfo.GetMsg(gInfo.ModuleNumber, 1);
        }
        return std::nullopt;
    };
    host.Recorder().Start();
    Run([](Dialog& d) {
        d.Type("7");
        d.Close(-1);
    });
    host.Recorder().Stop();
    Run([](Dialog& d) { d.Close(-1); }); // not recorded
    EXPECT_EQ(
        host.Recorder().Lines(),
        (std::vector<std::string>{
            "DialogEx -1 -1 40 10 Topic 8 0 0 77", "Event DN_INITDIALOG 0 77",
            "SendDlgMessage DM_SETFOCUS 5 0", "DefDlgProc DN_INITDIALOG 0 77", "Event DN_KEY 5 55",
            "DefDlgProc DN_KEY 5 55", "Event DN_EDITCHANGE 5 ptr", "SendDlgMessage DM_GETDLGITEM 5",
            "SendDlgMessage DM_SETDLGITEM 3", "SendDlgMessage DM_EDITUNCHANGEDFLAG 5 -1",
            "GetMsg 1", "DefDlgProc DN_EDITCHANGE 5 ptr", "Event DN_CLOSE -1 0",
            "DefDlgProc DN_CLOSE -1 0"}));
    EXPECT_EQ(host.Recorder().Lines({Service::SendDlgMessage}).size(), 4u);
}

TEST_F(DialogTest, StartupRecordsAreFreshAndTheHostNeverReadsThemAgain) {
    const PluginStartupInfo& info = host.StartupRecord();
    EXPECT_EQ(info.StructSize, static_cast<int>(sizeof(PluginStartupInfo)));
    EXPECT_STREQ(info.ModuleName, "/plugins/test.so");
    EXPECT_EQ(info.ModuleNumber, host.ModuleNumber());
    EXPECT_EQ(info.FSF, &host.StandardFunctionsRecord());
    EXPECT_EQ(info.FSF->StructSize, static_cast<int>(sizeof(FarStandardFunctions)));
    EXPECT_EQ(info.Menu, nullptr) << "services the module never calls stay null";
    EXPECT_EQ(info.FSF->atoi, nullptr);

    // Spoil the host's own records: the module's copies keep working, and so does the host.
    std::memset(&host.StartupRecord(), 0xEE, sizeof(PluginStartupInfo));
    std::memset(&host.StandardFunctionsRecord(), 0xEE, sizeof(FarStandardFunctions));
    EXPECT_STREQ(gInfo.GetMsg(gInfo.ModuleNumber, 0), "Title");
    EXPECT_EQ(Run([](Dialog& d) { d.Key(KEY_ENTER); }), 6);
    char buffer[40];
    EXPECT_STREQ(gFsf.itoa(-1, buffer, 16), "ffffffff");

    host.Start(TestSetStartupInfo); // a second start-up builds the records anew
    EXPECT_EQ(host.StartupRecord().StructSize, static_cast<int>(sizeof(PluginStartupInfo)));
    EXPECT_EQ(gInfo.FSF->StructSize, static_cast<int>(sizeof(FarStandardFunctions)));
}

TEST_F(DialogTest, MessagesOutsideTheFileAreEmpty) {
    EXPECT_STREQ(gInfo.GetMsg(gInfo.ModuleNumber, 1), "First");
    EXPECT_STREQ(gInfo.GetMsg(gInfo.ModuleNumber, 2), "");
    EXPECT_STREQ(gInfo.GetMsg(gInfo.ModuleNumber, -1), "");
    EXPECT_EQ(host.MissingMessages(), (std::vector<int>{2, -1}));
    EXPECT_STREQ(gInfo.GetMsg(gInfo.ModuleNumber + 1000, 0), "") << "no such module";
}

TEST_F(DialogTest, WithoutAFrontEndTheDialogClosesAtOnce) {
    int inits = 0;
    gBehaviour = [&](HANDLE, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        inits += msg == DN_INITDIALOG;
        return std::nullopt;
    };
    std::vector<FarDialogItem> items = TestItems();
    EXPECT_EQ(gInfo.DialogEx(gInfo.ModuleNumber, -1, -1, 40, 10, "Topic", items.data(), 8, 0, 0,
                             TestProc, 0),
              -1);
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(gInfo.DialogEx(gInfo.ModuleNumber, -1, -1, 40, 10, "Topic", items.data(), 0, 0, 0,
                             TestProc, 0),
              -1)
        << "no items";
}

// --- The edit lines' keys: the host's, and readline's that mean nothing else. Each row starts
// from item 2 holding `text` (changed, the cursor at `cursor`), presses the keys, and ends with
// the text and cursor given; '|' marks the cursor in both.
struct EditKeyRow {
    const char* name;
    const char* before; // with '|' where the cursor stands
    std::vector<int> keys;
    const char* after;
};

std::ostream& operator<<(std::ostream& os, const EditKeyRow& row) {
    return os << row.name;
}

class EditKeys : public DialogTest, public ::testing::WithParamInterface<EditKeyRow> {};

TEST_P(EditKeys, EditAsTheHostsEditLinesDo) {
    const EditKeyRow& row = GetParam();
    std::string before = row.before;
    std::size_t cursor = before.find('|');
    before.erase(cursor, 1);
    Run([&](Dialog& d) {
        ASSERT_TRUE(d.EditText(2, before));
        d.Key(KEY_END);
        for (std::size_t i = before.size(); i > cursor; --i)
            d.Key(KEY_LEFT);
        for (int key : row.keys)
            d.Key(key);
        std::string after = d.Text(2);
        after.insert(static_cast<std::size_t>(d.Cursor(2)), "|");
        EXPECT_EQ(after, row.after);
        d.Close(-1);
    });
}

constexpr int kCtrl = KEY_CTRL, kShift = KEY_SHIFT, kAlt = KEY_ALT;

INSTANTIATE_TEST_SUITE_P(
    Dialog, EditKeys,
    ::testing::Values(
        EditKeyRow{"CtrlLeftToTheWordsStart", "sin(a)+12|", {kCtrl | KEY_LEFT}, "sin(a)+|12"},
        EditKeyRow{
            "CtrlLeftTwice", "sin(a)+12|", {kCtrl | KEY_LEFT, kCtrl | KEY_LEFT}, "sin(|a)+12"},
        EditKeyRow{"CtrlRightToTheNextWord", "|12+34", {kCtrl | KEY_RIGHT}, "12+|34"},
        EditKeyRow{"AltBAndAltF", "12+|34", {kAlt | 'B', kAlt | 'F', kAlt | 'F'}, "12+34|"},
        EditKeyRow{"CtrlSAndCtrlD", "12|3", {kCtrl | 'S', kCtrl | 'S', kCtrl | 'D'}, "1|23"},
        EditKeyRow{"CtrlAAndCtrlE", "12|3", {kCtrl | 'A', '9', kCtrl | 'E', '0'}, "91230|"},
        EditKeyRow{"CtrlHomeAndCtrlEnd", "12|3", {kCtrl | KEY_HOME, '9'}, "9|123"},
        EditKeyRow{"CtrlBackspaceDeletesTheWordBefore", "12+345|", {kCtrl | KEY_BS}, "12+|"},
        EditKeyRow{"CtrlWToo", "12+345|", {kCtrl | 'W', kCtrl | 'W'}, "|"},
        EditKeyRow{"CtrlDelDeletesTheWordAfter", "|12+34", {kCtrl | KEY_DEL}, "|34"},
        EditKeyRow{"CtrlKDeletesToTheEnd", "12|+34", {kCtrl | 'K'}, "12|"},
        EditKeyRow{"CtrlUDeletesToTheStart", "12|+34", {kCtrl | 'U'}, "|+34"},
        EditKeyRow{"ShiftSelectsAndTypingReplaces",
                   "12+34|",
                   {kShift | KEY_LEFT, kShift | KEY_LEFT, '7'},
                   "12+7|"},
        EditKeyRow{"ShiftHomeSelectsAllBefore", "12|+34", {kShift | KEY_HOME, KEY_DEL}, "|+34"},
        EditKeyRow{"ShiftCtrlSelectsAWord", "12+34|", {kShift | kCtrl | KEY_LEFT, KEY_BS}, "12+|"},
        EditKeyRow{
            "MovingDropsTheSelection", "12+34|", {kShift | KEY_LEFT, KEY_LEFT, '9'}, "12+9|34"},
        EditKeyRow{
            "CopyAndPaste",
            "6*7|",
            {kShift | KEY_LEFT, kShift | KEY_LEFT, kCtrl | KEY_INS, KEY_END, kShift | KEY_INS},
            "6*7*7|"},
        EditKeyRow{"CopyWithoutSelectionTakesTheField",
                   "6*7|",
                   {kCtrl | KEY_INS, kShift | KEY_INS},
                   "6*76*7|"},
        EditKeyRow{"ShiftDelCutsTheSelection",
                   "6*7|",
                   {kShift | KEY_LEFT, kShift | KEY_DEL, KEY_HOME, kShift | KEY_INS},
                   "7|6*"},
        EditKeyRow{"UndoStepsBack", "1+2|", {KEY_BS, '5', kCtrl | 'Z', kAlt | KEY_BS}, "1+2|"},
        EditKeyRow{"UndoWithNothingToUndo", "|", {kCtrl | 'Z'}, "|"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, PasteIsOneEditOfTextCutToTheField) {
    std::vector<std::string> changes;
    gBehaviour = [&](HANDLE h, int msg, int p1, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_INITDIALOG) // the limit the calculator sets on its fields
            Send(h, DM_SETMAXTEXTLENGTH, 2, 511);
        if (msg == DN_EDITCHANGE)
            changes.push_back(ItemText(h, p1));
        if (msg == DN_KEY)
            changes.push_back("key");
        return std::nullopt;
    };
    Run([](Dialog& d) {
        d.SetFocus(2);
        EXPECT_TRUE(d.Paste("7*6\ntouch FILE\r\n1\t5"));
        EXPECT_EQ(d.Text(2), "7*6touch FILE15") << "the unchanged text replaced, controls dropped";
        EXPECT_FALSE(d.Closed()) << "a line end is no Enter";
        EXPECT_EQ(d.Focus(), 2) << "a tab is no Tab";
        EXPECT_TRUE(d.EditText(2, std::string(500, '1')));
        d.Key(KEY_HOME);
        EXPECT_TRUE(d.Paste(std::string(20, '2')));
        EXPECT_EQ(d.Text(2), std::string(11, '2') + std::string(500, '1'))
            << "what the field cannot hold is left out";
        EXPECT_FALSE(d.Paste("\n\t")) << "nothing left to paste";
        d.SetFocus(3);
        EXPECT_FALSE(d.Paste("9")) << "read-only";
        EXPECT_EQ(d.Text(3), "ro");
        d.Close(-1);
    });
    EXPECT_EQ(changes, (std::vector<std::string>{"7*6touch FILE15", std::string(500, '1'), "key",
                                                 std::string(11, '2') + std::string(500, '1')}));
}
