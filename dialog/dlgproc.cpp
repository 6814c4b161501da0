// The dialog procedure: set-up on opening, recalculation on edits, decimals on the grey keys.
#include "dialog/calculator.h"
#include "services/services.h"

#include <algorithm>
#include <iterator>

namespace {
LONG_PTR Send(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    return gStartupInfo.SendDlgMessage(dlg, msg, param1, param2);
}

// Grey plus and minus: the decimals changed, so a shown result is reprinted with them (a message
// stays as it is), and the dialog is redrawn. The two keys change the same item in the same way,
// so they end the same way: the record written from inside a key event reaches the screen with
// the redraw that follows, whether or not the host also shows an item as it is set.
void ReprintResult(HANDLE dlg) {
    if (gStatus != MsgOk)
        return;
    FarDialogItem item;
    Send(dlg, DM_GETDLGITEM, ItemResult, reinterpret_cast<LONG_PTR>(&item));
    FormatResult(item.Data);
    WriteOutputItem(dlg, ItemResult, &item);
    Send(dlg, DM_REDRAW, 0, 0);
}
} // namespace

LONG_PTR WINAPI CalcDlgProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    switch (Msg) {
    case DN_INITDIALOG: {
        gPrecision = kOpeningPrecision;
        Send(hDlg, DM_SETFOCUS, ItemFormula, 0);
        // The fields the module reads hold at most an item's 511 characters: the host refuses
        // more, as the 1.7x host's fields did, instead of keeping text the module never reads.
        for (int field : kInputItems)
            Send(hDlg, DM_SETMAXTEXTLENGTH, field, kItemTextSize - 1);
        // The first recalculation, called directly: an event the module sends itself may not
        // come back (the current host turns a self-sent DN_EDITCHANGE into message 0).
        Recalculate(hDlg);
        // Typing into a field edits its text instead of replacing it.
        for (int field : kInputItems)
            Send(hDlg, DM_EDITUNCHANGEDFLAG, field, 0);
        for (int field : kOutputItems)
            Send(hDlg, DM_EDITUNCHANGEDFLAG, field, 0);
        break;
    }
    case DN_EDITCHANGE:
        if (std::find(std::begin(kInputItems), std::end(kInputItems), Param1) !=
            std::end(kInputItems))
            Recalculate(hDlg);
        return 1;
    case DN_KEY:
        if (Param2 == KEY_ADD) {
            if (gPrecision < kMaxPrecision)
                ++gPrecision;
            ReprintResult(hDlg);
            return 1; // consumed, also while a message is shown
        }
        if (Param2 == KEY_SUBTRACT) {
            if (gPrecision >= 1)
                --gPrecision;
            ReprintResult(hDlg);
            return 1;
        }
        break;
    default:
        break;
    }
    return gStartupInfo.DefDlgProc(hDlg, Msg, Param1, Param2);
}
