// The dialog's items and its opening.
#include "dialog/calculator.h"
#include "engine/vocabulary.h"
#include "services/services.h"

#include <cstring>

const char kHistoryName[] = "Numo\\Numoline";
const char kHelpTopic[] = "Contents";

namespace {
constexpr std::uint32_t kSeparatorFlags = DIF_SEPARATOR | DIF_BOXCOLOR;
constexpr std::uint32_t kMinusHintFlags = DIF_SETCOLOR | 0x74; // red on light grey
constexpr std::uint32_t kPlusHintFlags = DIF_SETCOLOR | 0x72;  // green on light grey
} // namespace

// Columns and rows relative to the dialog; a right column of 0 lets the host size a text. The
// variable row (items 6..11) is laid out in ShowCalculator.
const CompactDialogItem kCompactItems[kDialogItemCount] = {
    // type         x1  y1  x2  y2 focus sel flags               default message
    {DI_DOUBLEBOX, 3, 1, 60, 13, 0, 0, 0, 0, MsgTitle},
    {DI_TEXT, 5, 2, 0, 2, 0, 0, 0, 0, MsgFormulaLabel},
    {DI_EDIT, 5, 3, 58, 3, 0, 0, DIF_HISTORY | DIF_USELASTHISTORY, 0, -1},
    {DI_TEXT, 5, 4, 0, 4, 0, 0, 0, 0, MsgPostfixLabel},
    {DI_EDIT, 5, 5, 58, 5, 0, 0, DIF_READONLY, 0, -1},
    {DI_TEXT, 0, 6, 0, 6, 0, 0, kSeparatorFlags, 0, -1},
    {DI_TEXT, 0, 7, 0, 7, 0, 0, 0, 0, MsgLabelA},
    {DI_EDIT, 0, 7, 0, 7, 0, 0, 0, 0, MsgVarDefault},
    {DI_TEXT, 0, 7, 0, 7, 0, 0, 0, 0, MsgLabelB},
    {DI_EDIT, 0, 7, 0, 7, 0, 0, 0, 0, MsgVarDefault},
    {DI_TEXT, 0, 7, 0, 7, 0, 0, 0, 0, MsgLabelC},
    {DI_EDIT, 0, 7, 0, 7, 0, 0, 0, 0, MsgVarDefault},
    {DI_TEXT, 0, 8, 0, 8, 0, 0, kSeparatorFlags, 0, -1},
    {DI_EDIT, 5, 9, 58, 9, 0, 0, DIF_READONLY, 0, -1},
    {DI_TEXT, 0, 12, 0, 12, 0, 0, kSeparatorFlags, 0, -1},
    {DI_BUTTON, 0, 13, 0, 13, 1, 0, DIF_CENTERGROUP, 1, MsgButton},
    {DI_TEXT, 1, 9, 0, 9, 0, 0, kMinusHintFlags, 0, -1},
    {DI_TEXT, 62, 9, 0, 9, 0, 0, kPlusHintFlags, 0, -1},
    {DI_EDIT, 5, 10, 55, 10, 0, 0, DIF_READONLY, 0, -1},
    {DI_TEXT, 56, 10, 0, 10, 0, 0, 0, 0, -1},
    {DI_EDIT, 5, 11, 55, 11, 0, 0, DIF_READONLY, 0, -1},
    {DI_TEXT, 56, 11, 0, 11, 0, 0, 0, 0, -1},
};

void ExpandDialogItems(const CompactDialogItem* compact, FarDialogItem* items, int count) {
    for (int i = 0; i < count; ++i) {
        const CompactDialogItem& c = compact[i];
        FarDialogItem& item = items[i];
        std::memset(&item, 0, sizeof item);
        item.Type = c.type;
        item.X1 = c.x1;
        item.Y1 = c.y1;
        item.X2 = c.x2;
        item.Y2 = c.y2;
        item.Focus = c.focus;
        item.Selected = static_cast<int>(c.selected);
        item.Flags = c.flags;
        item.DefaultButton = c.defaultButton;
        // A language-file line may be longer than an item's text: copy what fits.
        if (c.message >= 0)
            lstrcpynA(item.Data, GetMsgText(c.message), kItemTextSize);
    }
}

void ShowCalculator() {
    BuildAllowedChars();

    FarDialogItem items[kDialogItemCount];
    ExpandDialogItems(kCompactItems, items, kDialogItemCount);

    // What the compact records cannot hold: a pointer, and texts that are no messages.
    items[ItemFormula].History = kHistoryName;
    lstrcpyA(items[ItemMinusHint].Data, "-");
    lstrcpyA(items[ItemPlusHint].Data, "+");
    lstrcpyA(items[ItemHexLabel].Data, "HEX");
    lstrcpyA(items[ItemBinLabel].Data, "BIN");

    // The variable row, left to right: each label (a text) two columns wide, each field (an
    // edit line) fifteen, two columns apart.
    int column = 4;
    for (int i = ItemLabelA; i <= ItemVarC; ++i) {
        items[i].X1 = column;
        items[i].X2 = column + (items[i].Type == DI_TEXT ? 1 : 14);
        column = items[i].X2 + 2;
    }

    gStartupInfo.DialogEx(gStartupInfo.ModuleNumber, -1, -1, kDialogWidth, kDialogHeight,
                          kHelpTopic, items, kDialogItemCount, 0, 0, CalcDlgProc, 0);
}
