// The calculator dialog: its items, the recalculation on every edit and the dialog procedure.
#pragma once

#include "engine/status.h"
#include "far/calculator_contract.h"
#include "far/far_api.h"

#include <cstddef>
#include <cstdint>

extern const char kHistoryName[]; // "Numo\Numoline"
extern const char kHelpTopic[];   // "Contents"

// One dialog item in 16 packed little-endian bytes, widened to the host's record when the
// dialog opens.
#pragma pack(push, 1)
struct CompactDialogItem {
    std::uint8_t type;
    std::uint8_t x1, y1, x2, y2;
    std::uint8_t focus;
    std::uint32_t selected;
    std::uint32_t flags;
    std::uint8_t defaultButton;
    std::int8_t message; // message number of the item's text, -1 for an empty text
};
#pragma pack(pop)
static_assert(sizeof(CompactDialogItem) == 16, "compact item is 16 packed bytes");

extern const CompactDialogItem kCompactItems[kDialogItemCount];

// Converts count compact records into host item records, in order.
void ExpandDialogItems(const CompactDialogItem* compact, FarDialogItem* items, int count);
// Builds the allowed characters and the items, and runs the modal dialog until it closes. Every
// service the dialog calls must be there (HasDialogServices).
void ShowCalculator();

// Calculation state, kept between events and between openings of the dialog.
// gStatus: of the last recalculation, a message number or StatusNoMemory; StatusNone before
// the first.
extern StatusCode gStatus;
extern double gResult; // meaningful only while gStatus is MsgOk
extern int gPrecision; // decimals of the result field, 0..kMaxPrecision

// The message numbers a host relies on are the module's status codes.
static_assert(kResultMessage == MsgOk);
static_assert(kFirstFaultMessage == MsgCloseBeforeOpen);
static_assert(kLastFaultMessage == MsgLgDomain);
static_assert(kMessageCount == kStatusCount);

// The prepared formula: an item's 511 characters grow by at most half through the sign
// rewriting (every "(-" and a leading "-" gain a "0").
constexpr int kFormulaSize = 1024;
extern char gFormula[kFormulaSize];

// Recalculate's preparation of a formula, in two steps around the checker, shared with the engine
// fuzz target so that the two cannot drift. First the field's text in place: spaces deleted, then
// lower case through the host's LStrlwr.
void NormaliseFormula(char* formula);
// Then the postfix text of a formula the checker accepted: its signs are rewritten in place
// within capacity bytes, then it is converted. A MemAlloc'd text the caller releases with
// MemFree; null when the rewritten signs do not fit or the heap refuses a block.
char* ConvertFormula(char* formula, std::size_t capacity);
// MsgOk, or MsgBadVariable at the first variable field (a, b, c in turn) that is not a number.
StatusCode ReadVariables(HANDLE dlg);
// Position of the first occurrence of pattern in text, or -1 (also for a missing pattern).
int FindText(const char* text, const char* pattern);
// Prints gResult with gPrecision decimals into text (an item's text) with the host's sprintf;
// an infinity as "inf" or "-inf" and a NaN as "nan", at every number of decimals.
void FormatResult(char* text);
// Writes an output field's record, then puts that field's cursor at its start so that its text
// shows from the first character.
void WriteOutputItem(HANDLE dlg, int index, FarDialogItem* item);
// Reads the variable and formula fields, evaluates, and writes the four output fields.
void Recalculate(HANDLE dlg);

// The dialog procedure handed to DialogEx.
LONG_PTR WINAPI CalcDlgProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
