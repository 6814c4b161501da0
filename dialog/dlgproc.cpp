// The dialog procedure: set-up on opening, recalculation on edits, decimals on the grey keys.
#include "dialog/calculator.h"
#include "services/services.h"

namespace {
LONG_PTR Send(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    return gStartupInfo.SendDlgMessage(dlg, msg, param1, param2);
}

// Reprints the shown result with the current decimals (only a result, never a message).
void ReprintResult(HANDLE dlg) {
    FarDialogItem item;
    Send(dlg, DM_GETDLGITEM, ItemResult, reinterpret_cast<LONG_PTR>(&item));
    FormatResult(item.Data);
    WriteOutputItem(dlg, ItemResult, &item);
}
} // namespace

LONG_PTR WINAPI CalcDlgProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    switch (Msg) {
    case DN_INITDIALOG: {
        gPrecision = kOpeningPrecision;
        Send(hDlg, DM_SETFOCUS, ItemFormula, 0);
        // The fields the module reads hold at most an item's 511 characters: the host refuses
        // more, as the 1.7x host's fields did, instead of keeping text the module never reads.
        static const int inputs[] = {ItemFormula, ItemVarA, ItemVarB, ItemVarC};
        for (int field : inputs)
            Send(hDlg, DM_SETMAXTEXTLENGTH, field, kItemTextSize - 1);
        // The first recalculation, called directly: an event the module sends itself may not
        // come back (the current host turns a self-sent DN_EDITCHANGE into message 0).
        Recalculate(hDlg);
        // Typing into a field edits its text instead of replacing it.
        static const int fields[] = {ItemFormula, ItemVarA,   ItemVarB, ItemVarC,
                                     ItemPostfix, ItemResult, ItemHex,  ItemBin};
        for (int field : fields)
            Send(hDlg, DM_EDITUNCHANGEDFLAG, field, 0);
        break;
    }
    case DN_EDITCHANGE:
        if (Param1 == ItemFormula || Param1 == ItemVarA || Param1 == ItemVarB || Param1 == ItemVarC)
            Recalculate(hDlg);
        return 1;
    case DN_KEY:
        if (Param2 == KEY_ADD) {
            if (gPrecision < kMaxPrecision)
                ++gPrecision;
            if (gStatus == MsgOk)
                ReprintResult(hDlg);
            return 1; // consumed, also while a message is shown
        }
        if (Param2 == KEY_SUBTRACT) {
            if (gPrecision >= 1)
                --gPrecision;
            if (gStatus == MsgOk) {
                ReprintResult(hDlg);
                Send(hDlg, DM_REDRAW, 0, 0);
            }
            return 1;
        }
        break;
    default:
        break;
    }
    return gStartupInfo.DefDlgProc(hDlg, Msg, Param1, Param2);
}
