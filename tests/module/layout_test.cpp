// The dialog's items as the host receives them when the calculator opens.
#include "dialog/calculator.h"
#include "engine/vocabulary.h"
#include "services/services.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {
std::string gMessages[kMessageCount];

const char* WINAPI MarkedGetMsg(INT_PTR, int id) {
    return id >= 0 && id < kMessageCount ? gMessages[id].c_str() : "";
}

struct DialogCall {
    int x1, y1, x2, y2;
    std::string help;
    std::vector<FarDialogItem> items;
    std::string history;
    DWORD reserved, flags;
    FARWINDOWPROC proc;
    LONG_PTR param;
};
std::vector<DialogCall> gCalls;

int WINAPI RecordingDialogEx(INT_PTR, int x1, int y1, int x2, int y2, const char* help,
                             FarDialogItem* items, int count, DWORD reserved, DWORD flags,
                             FARWINDOWPROC proc, LONG_PTR param) {
    DialogCall call{
        x1, y1,       x2,    y2,   help, std::vector<FarDialogItem>(items, items + count),
        "", reserved, flags, proc, param};
    call.history = items[ItemFormula].History; // valid only during the call
    gCalls.push_back(std::move(call));
    return -1;
}

class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kMessageCount; ++i)
            gMessages[i] = std::to_string(i).insert(0, 1, 'M'); // "M<n>"
        info.StructSize = sizeof info;
        info.GetMsg = MarkedGetMsg;
        info.DialogEx = RecordingDialogEx;
        info.FSF = &fsf;
        fsf.StructSize = sizeof fsf;
        SetStartupInfo(&info);
        gCalls.clear();
    }
    PluginStartupInfo info{};
    FarStandardFunctions fsf{};
};

struct ExpectedItem {
    int type, x1, y1, x2, y2, focus;
    DWORD flags;
    int defaultButton;
    const char* text;
};

// The finished dialog, 64 by 15, columns and rows relative to the dialog.
const ExpectedItem kExpected[kDialogItemCount] = {
    {DI_DOUBLEBOX, 3, 1, 60, 13, 0, 0, 0, "M0"},    {DI_TEXT, 5, 2, 0, 2, 0, 0, 0, "M1"},
    {DI_EDIT, 5, 3, 58, 3, 0, 0x240000, 0, ""},     {DI_TEXT, 5, 4, 0, 4, 0, 0, 0, "M2"},
    {DI_EDIT, 5, 5, 58, 5, 0, 0x20000000, 0, ""},   {DI_TEXT, 0, 6, 0, 6, 0, 0x10200, 0, ""},
    {DI_TEXT, 4, 7, 5, 7, 0, 0, 0, "M3"},           {DI_EDIT, 7, 7, 21, 7, 0, 0, 0, "M7"},
    {DI_TEXT, 23, 7, 24, 7, 0, 0, 0, "M4"},         {DI_EDIT, 26, 7, 40, 7, 0, 0, 0, "M7"},
    {DI_TEXT, 42, 7, 43, 7, 0, 0, 0, "M5"},         {DI_EDIT, 45, 7, 59, 7, 0, 0, 0, "M7"},
    {DI_TEXT, 0, 8, 0, 8, 0, 0x10200, 0, ""},       {DI_EDIT, 5, 9, 58, 9, 0, 0x20000000, 0, ""},
    {DI_TEXT, 0, 12, 0, 12, 0, 0x10200, 0, ""},     {DI_BUTTON, 0, 13, 0, 13, 1, 0x4000, 1, "M6"},
    {DI_TEXT, 1, 9, 0, 9, 0, 0x174, 0, "-"},        {DI_TEXT, 62, 9, 0, 9, 0, 0x172, 0, "+"},
    {DI_EDIT, 5, 10, 55, 10, 0, 0x20000000, 0, ""}, {DI_TEXT, 56, 10, 0, 10, 0, 0, 0, "HEX"},
    {DI_EDIT, 5, 11, 55, 11, 0, 0x20000000, 0, ""}, {DI_TEXT, 56, 11, 0, 11, 0, 0, 0, "BIN"},
};
} // namespace

TEST_F(Layout, OpeningHandsTheHostTheFinishedDialog) {
    ShowCalculator();
    ASSERT_EQ(gCalls.size(), 1u);
    const DialogCall& call = gCalls[0];
    EXPECT_EQ(call.x1, -1); // centred
    EXPECT_EQ(call.y1, -1);
    EXPECT_EQ(call.x2, 64);
    EXPECT_EQ(call.y2, 15);
    EXPECT_EQ(call.help, "Contents");
    EXPECT_EQ(call.history, "Numo\\Numoline");
    EXPECT_EQ(call.reserved, 0u);
    EXPECT_EQ(call.flags, 0u);
    EXPECT_EQ(call.proc, &CalcDlgProc);
    EXPECT_EQ(call.param, 0);
    ASSERT_EQ(call.items.size(), 22u);
    for (int i = 0; i < kDialogItemCount; ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const FarDialogItem& item = call.items[i];
        const ExpectedItem& want = kExpected[i];
        EXPECT_EQ(item.Type, want.type);
        EXPECT_EQ(item.X1, want.x1);
        EXPECT_EQ(item.Y1, want.y1);
        EXPECT_EQ(item.X2, want.x2);
        EXPECT_EQ(item.Y2, want.y2);
        EXPECT_EQ(item.Focus, want.focus);
        EXPECT_EQ(item.Flags, want.flags);
        EXPECT_EQ(item.DefaultButton, want.defaultButton);
        EXPECT_STREQ(item.Data, want.text);
        if (i != ItemFormula) {
            EXPECT_EQ(item.Selected, 0);
        }
    }
    // The variable row ends inside the frame; the hints stand outside it on the result's row.
    EXPECT_EQ(call.items[ItemVarC].X2, 59);
    EXPECT_LT(call.items[ItemVarC].X2, call.items[ItemFrame].X2);
    EXPECT_LT(call.items[ItemMinusHint].X1, call.items[ItemFrame].X1);
    EXPECT_GT(call.items[ItemPlusHint].X1, call.items[ItemFrame].X2);
    EXPECT_EQ(call.items[ItemMinusHint].Y1, call.items[ItemResult].Y1);
}

TEST_F(Layout, SecondOpeningIsIdenticalAndRebuildsTheAllowedSet) {
    ShowCalculator();
    std::string allowed = AllowedChars;
    ShowCalculator();
    ASSERT_EQ(gCalls.size(), 2u);
    EXPECT_EQ(std::string(AllowedChars), allowed);
    EXPECT_EQ(allowed.size(), 88u);
    for (int i = 0; i < kDialogItemCount; ++i) {
        FarDialogItem a = gCalls[0].items[i], b = gCalls[1].items[i];
        if (i == ItemFormula)
            a.History = b.History = nullptr; // a pointer, compared as text above
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "item " << i;
    }
}

TEST_F(Layout, LongMessageTextsAreCutToTheItemText) {
    gMessages[MsgTitle] = std::string(2000, 'T');
    ShowCalculator();
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(std::strlen(gCalls[0].items[ItemFrame].Data), 511u);
}

TEST(CompactTable, RecordsArePackedLittleEndian) {
    // The formula field: type 4 at byte 0, flags 0x240000 at bytes 10..13, message -1 at 15.
    const auto* bytes = reinterpret_cast<const unsigned char*>(&kCompactItems[ItemFormula]);
    const unsigned char want[16] = {4, 5, 3, 58, 3, 0, 0, 0, 0, 0, 0x00, 0x00, 0x24, 0x00, 0, 0xFF};
    EXPECT_EQ(std::memcmp(bytes, want, 16), 0);
    // The button: focus and default button set, message 6.
    const auto* button = reinterpret_cast<const unsigned char*>(&kCompactItems[ItemButton]);
    EXPECT_EQ(button[0], DI_BUTTON);
    EXPECT_EQ(button[5], 1);
    EXPECT_EQ(button[14], 1);
    EXPECT_EQ(button[15], 6);
    EXPECT_EQ(sizeof kCompactItems, 22u * 16u);
}
