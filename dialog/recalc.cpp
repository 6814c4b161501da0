// The recalculation run on every edit: variable fields and formula in, the four outputs out.
#include "dialog/calculator.h"
#include "engine/evaluator.h"
#include "engine/heap.h"
#include "engine/postfix.h"
#include "engine/signs.h"
#include "engine/validator.h"
#include "engine/vocabulary.h"
#include "services/services.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

StatusCode gStatus = StatusNone;
double gResult = 0.0;
int gPrecision = kOpeningPrecision;
char gFormula[kFormulaSize];

namespace {
char gFormatText[260]; // the result's format, e.g. "%.3lf"

// What item 4 shows when the postfix text is longer than an item's text: as many whole tokens as
// fit, then this marker, so the cut is visible.
const char kCutMarker[] = " ...";

// Every read and write of an item moves the host's whole item record.
void ReadItem(HANDLE dlg, int index, FarDialogItem* item) {
    gStartupInfo.SendDlgMessage(dlg, DM_GETDLGITEM, index, reinterpret_cast<LONG_PTR>(item));
}

// Deletes every space in one pass (moving the rest of the text for each space would be
// quadratic in the formula's length).
void DeleteSpaces(char* text) {
    int first = FindText(text, " ");
    if (first < 0)
        return;
    char* out = text + first;
    for (const char* in = out; *in != '\0'; ++in) {
        if (*in != ' ')
            *out++ = *in;
    }
    *out = '\0';
}

// Item 4's text for a postfix text: whole, or cut at a token boundary and marked.
void SetPostfixText(char* text, const char* postfix) {
    std::size_t length = std::strlen(postfix);
    if (length < static_cast<std::size_t>(kItemTextSize)) {
        lstrcpyA(text, postfix);
        return;
    }
    std::size_t keep = kItemTextSize - sizeof kCutMarker; // room for the marker and the NUL
    while (keep > 0 && postfix[keep] != ' ')
        --keep;
    if (keep == 0) // one token longer than the item: cut inside it
        keep = kItemTextSize - sizeof kCutMarker;
    std::memcpy(text, postfix, keep);
    lstrcpyA(text + keep, kCutMarker);
}

// The integer part of gResult in radix 16 (upper case) or 2 into an output item's text, or
// nothing: for no result, an infinity, a NaN, or a value beyond the signed 64-bit range. From
// -2^31 to 2^32-1 the host's itoa writes it as a signed 32-bit number (2^31 as "80000000", as
// the calculator always showed it); beyond that the host's itoa64 writes the whole 64-bit
// number, negative values in its two's complement digits. A host without itoa64 gets nothing
// there rather than the low 32 bits, which would read as another number.
void FillIntegerPart(char* text, int radix) {
    if (gStatus != MsgOk || !std::isfinite(gResult))
        return;
    const double whole = std::trunc(gResult);
    char digits[260];
    if (whole >= -2147483648.0 && whole <= 4294967295.0) {
        // Exact in 64 bits; the low half read as signed (modular since C++20).
        const auto low = static_cast<std::uint32_t>(static_cast<std::int64_t>(whole));
        gStdFunctions.itoa(static_cast<std::int32_t>(low), digits, radix);
    } else if (whole >= -9223372036854775808.0 && whole < 9223372036854775808.0 &&
               gStdFunctions.itoa64 != nullptr) {
        gStdFunctions.itoa64(static_cast<__int64>(whole), digits, radix);
    } else {
        return;
    }
    if (radix == 16)
        gStdFunctions.LStrupr(digits);
    lstrcpynA(text, digits, kItemTextSize);
}

// The result field: the result with gPrecision decimals, or the message of gStatus (nothing for
// StatusNoMemory, which has none).
void FillResult(char* text) {
    if (gStatus == MsgOk)
        FormatResult(text);
    else if (gStatus > MsgOk && gStatus < kMessageCount)
        lstrcpynA(text, GetMsgText(gStatus), kItemTextSize);
}

// One output field: its record read, its text emptied and filled (fill may leave it empty), and
// the record written back.
template <typename Fill> void WriteOutput(HANDLE dlg, int index, Fill fill) {
    FarDialogItem item;
    ReadItem(dlg, index, &item);
    item.Data[0] = '\0';
    fill(item.Data);
    WriteOutputItem(dlg, index, &item);
}

// Reads the formula field into gFormula, prepares it and checks it.
StatusCode ReadFormula(HANDLE dlg) {
    FarDialogItem item;
    ReadItem(dlg, ItemFormula, &item);
    lstrcpynA(gFormula, item.Data, kItemTextSize);
    NormaliseFormula(gFormula);
    return ValidateFormula(gFormula, AllowedChars);
}

// Converts the checked gFormula and evaluates the whole postfix text (not item 4's possibly cut
// copy) into gResult. The postfix text for the caller to show and release, or null with
// StatusNoMemory: the heap refused a block (or, never by the size of gFormula, the rewritten
// signs did not fit), and no message may blame the formula.
char* ConvertAndEvaluate(StatusCode* status) {
    char* postfix = ConvertFormula(gFormula, sizeof gFormula);
    *status = postfix != nullptr ? EvaluatePostfix(postfix, &gResult) : StatusNoMemory;
    return postfix;
}
} // namespace

// An item's 511 characters with their signs rewritten fit gFormula.
static_assert(SignRewriteCapacity(kItemTextSize - 1) <= kFormulaSize);

void NormaliseFormula(char* formula) {
    DeleteSpaces(formula);
    gStdFunctions.LStrlwr(formula);
}

char* ConvertFormula(char* formula, std::size_t capacity) {
    if (!RewriteSigns(formula, capacity))
        return nullptr;
    return ToPostfix(formula);
}

void WriteOutputItem(HANDLE dlg, int index, FarDialogItem* item) {
    gStartupInfo.SendDlgMessage(dlg, DM_SETDLGITEM, index, reinterpret_cast<LONG_PTR>(item));
    // The host's edit line keeps its horizontal scroll when its text is replaced: after a text
    // longer than the field, a shorter one would lose its first characters. With the cursor at
    // the start the line scrolls back, and every output reads from its first character.
    COORD start = {0, 0};
    gStartupInfo.SendDlgMessage(dlg, DM_SETCURSORPOS, index, reinterpret_cast<LONG_PTR>(&start));
}

int FindText(const char* text, const char* pattern) {
    if (text == nullptr || pattern == nullptr || *pattern == '\0')
        return -1;
    const char* found = std::strstr(text, pattern);
    return found == nullptr ? -1 : static_cast<int>(found - text);
}

StatusCode ReadVariables(HANDLE dlg) {
    double* values[] = {&gVarA, &gVarB, &gVarC};
    static_assert(std::size(values) == std::size(kVariableItems));
    FarDialogItem item;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        ReadItem(dlg, kVariableItems[i], &item);
        item.Data[kItemTextSize - 1] = '\0';
        if (ParseNumber(item.Data, values[i]) != MsgOk)
            return MsgBadVariable; // the fields after it are not read
    }
    return MsgOk;
}

void FormatResult(char* text) {
    // The C run-times print an infinity and a NaN each their own way, and some as a number
    // (msvcrt gives "1" for an infinity at 0 decimals): the module writes them itself.
    if (std::isnan(gResult)) {
        lstrcpyA(text, "nan"); // a NaN's sign bit means nothing here
        return;
    }
    if (std::isinf(gResult)) {
        lstrcpyA(text, gResult < 0 ? "-inf" : "inf");
        return;
    }
    int precision = gPrecision < 0 ? 0 : (gPrecision > kMaxPrecision ? kMaxPrecision : gPrecision);
    gStdFunctions.sprintf(gFormatText, "%%.%dlf", precision);
    gStdFunctions.sprintf(text, gFormatText, gResult);
}

void Recalculate(HANDLE dlg) {
    gStatus = ReadVariables(dlg);
    if (gStatus == MsgOk)
        gStatus = ReadFormula(dlg);
    char* postfix = gStatus == MsgOk ? ConvertAndEvaluate(&gStatus) : nullptr;

    // The four outputs in the order the host has always seen them written.
    WriteOutput(dlg, ItemPostfix, [postfix](char* text) {
        if (postfix != nullptr)
            SetPostfixText(text, postfix);
    });
    MemFree(postfix);
    WriteOutput(dlg, ItemHex, [](char* text) { FillIntegerPart(text, 16); });
    WriteOutput(dlg, ItemBin, [](char* text) { FillIntegerPart(text, 2); });
    WriteOutput(dlg, ItemResult, FillResult);
}
