// A minimal host inside the benchmark process: the services Recalculate calls, and nothing that
// a real host would add around them (no drawing, no key handling, no edit controls).
#pragma once

#include "dialog/calculator.h"

// One open calculator dialog: the 22 item records that SendDlgMessage reads and writes.
struct BenchDialog {
    FarDialogItem items[kDialogItemCount];
};

// Hands the module our service records through SetStartupInfo, as a host does on loading it,
// and builds the allowed characters, as opening the dialog does.
void StartBenchHost();

// Fills dialog with the calculator's items, the formula field holding formula (cut to an item's
// 511 characters) and the three variable fields holding "0".
void OpenBenchDialog(BenchDialog* dialog, const char* formula);
