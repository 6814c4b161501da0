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

StatusCode gStatus = 0;
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

// Copies text into an item's text, cut to the 511 characters that fit.
void SetItemText(FarDialogItem* item, const char* text) {
    lstrcpynA(item->Data, text, kItemTextSize);
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
void SetPostfixText(FarDialogItem* item, const char* postfix) {
    std::size_t length = std::strlen(postfix);
    if (length < static_cast<std::size_t>(kItemTextSize)) {
        lstrcpyA(item->Data, postfix);
        return;
    }
    std::size_t keep = kItemTextSize - sizeof kCutMarker; // room for the marker and the NUL
    while (keep > 0 && postfix[keep] != ' ')
        --keep;
    if (keep == 0) // one token longer than the item: cut inside it
        keep = kItemTextSize - sizeof kCutMarker;
    std::memcpy(item->Data, postfix, keep);
    lstrcpyA(item->Data + keep, kCutMarker);
}

// The low 32 bits of the exact integer part of a finite value, as a signed 32-bit number: the
// same as truncating to a 64-bit integer and keeping its low half, wherever that is defined,
// without converting values beyond 64 bits (undefined behaviour). fmod is exact.
std::int32_t Low32BitsOfIntegerPart(double value) {
    double low = std::fmod(std::trunc(value), 4294967296.0); // in (-2^32, 2^32), exact
    if (low < 0)
        low += 4294967296.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(low));
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
    static const int fields[] = {ItemVarA, ItemVarB, ItemVarC};
    double* values[] = {&gVarA, &gVarB, &gVarC};
    FarDialogItem item;
    for (int i = 0; i < 3; ++i) {
        ReadItem(dlg, fields[i], &item);
        item.Data[kItemTextSize - 1] = '\0';
        if (ParseNumber(item.Data, values[i]) != 0)
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
    FarDialogItem item;

    gStatus = ReadVariables(dlg);
    if (gStatus == MsgOk) {
        ReadItem(dlg, ItemFormula, &item);
        lstrcpynA(gFormula, item.Data, kItemTextSize);
        NormaliseFormula(gFormula);
        gStatus = ValidateFormula(gFormula, AllowedChars);
    }

    ReadItem(dlg, ItemPostfix, &item);
    item.Data[0] = '\0';
    if (gStatus == MsgOk) {
        char* postfix = ConvertFormula(gFormula, sizeof gFormula);
        if (postfix != nullptr) {
            SetPostfixText(&item, postfix);
            // The whole postfix text, not item 4's possibly cut copy, gives the result.
            gStatus = EvaluatePostfix(postfix, &gResult);
            MemFree(postfix);
        } else {
            // The heap refused a block (or, never by the size of gFormula, the rewritten signs
            // did not fit): no result, and no message that would blame the formula.
            gStatus = StatusNoMemory;
        }
    }
    WriteOutputItem(dlg, ItemPostfix, &item);

    // Hexadecimal and binary of the integer part; nothing for a NaN or an infinity.
    bool showInteger = gStatus == MsgOk && std::isfinite(gResult);
    std::int32_t n = showInteger ? Low32BitsOfIntegerPart(gResult) : 0;

    char digits[260];
    ReadItem(dlg, ItemHex, &item);
    item.Data[0] = '\0';
    if (showInteger) {
        gStdFunctions.itoa(n, digits, 16);
        gStdFunctions.LStrupr(digits);
        SetItemText(&item, digits);
    }
    WriteOutputItem(dlg, ItemHex, &item);

    ReadItem(dlg, ItemBin, &item);
    item.Data[0] = '\0';
    if (showInteger) {
        gStdFunctions.itoa(n, digits, 2);
        SetItemText(&item, digits);
    }
    WriteOutputItem(dlg, ItemBin, &item);

    ReadItem(dlg, ItemResult, &item);
    if (gStatus == MsgOk)
        FormatResult(item.Data);
    else if (gStatus > MsgOk && gStatus < kMessageCount)
        SetItemText(&item, GetMsgText(gStatus));
    else
        item.Data[0] = '\0';
    WriteOutputItem(dlg, ItemResult, &item);
}
