// What a host of the calculator module may rely on beyond the plug-in interface itself: the
// numbers of the dialog's items, the range of the messages it shows, and its decimals. The
// module builds its dialog from these; the stand-in host reads and types into the same items.
#pragma once

// Item numbers of the calculator dialog, in the order its item table lists them.
enum DialogItem : int {
    ItemFrame = 0,
    ItemFormulaLabel = 1,
    ItemFormula = 2,
    ItemPostfixLabel = 3,
    ItemPostfix = 4,
    ItemSeparator1 = 5,
    ItemLabelA = 6,
    ItemVarA = 7,
    ItemLabelB = 8,
    ItemVarB = 9,
    ItemLabelC = 10,
    ItemVarC = 11,
    ItemSeparator2 = 12,
    ItemResult = 13,
    ItemSeparator3 = 14,
    ItemButton = 15,
    ItemMinusHint = 16,
    ItemPlusHint = 17,
    ItemHex = 18,
    ItemHexLabel = 19,
    ItemBin = 20,
    ItemBinLabel = 21,
    kDialogItemCount = 22,
};

// The variable fields a, b and c in turn.
constexpr int kVariableItems[3] = {ItemVarA, ItemVarB, ItemVarC};
// The fields the user types into (an edit of one recalculates), and the four outputs.
constexpr int kInputItems[4] = {ItemFormula, ItemVarA, ItemVarB, ItemVarC};
constexpr int kOutputItems[4] = {ItemPostfix, ItemResult, ItemHex, ItemBin};

constexpr int kDialogWidth = 64;
constexpr int kDialogHeight = 15;

// Messages of the module's language file: 0..7 label the dialog, 8 stands for "a result" and is
// never shown, 9..33 are the faults that the result field shows instead of a number.
constexpr int kResultMessage = 8;
constexpr int kFirstFaultMessage = 9;
constexpr int kLastFaultMessage = 33;
constexpr int kMessageCount = kLastFaultMessage + 1;

// Decimals of the result field: the dialog opens with kOpeningPrecision, and grey plus and minus
// move it within 0..kMaxPrecision. The bound keeps the widest printed double (-1.8e308, 309
// integer digits, a sign and a point) with that many decimals within an item's 511 characters.
constexpr int kOpeningPrecision = 3;
constexpr int kMaxPrecision = 200;
