// Constant vocabulary of formulas, the allowed characters and the name look-ups.
#include "engine/vocabulary.h"

#include "platform/winapi.h"

char AllowedChars[kAllowedCharsSize];

void BuildAllowedChars() {
    lstrcpyA(AllowedChars, kBaseSet);
    for (const char* name : FunctionNames)
        lstrcatA(AllowedChars, name);
}

namespace {

// The names grouped by first letter, each group in table order: the names starting with byte b
// are at order[first[b]] up to order[first[b + 1]] (exclusive). Keeping table order inside a group
// keeps the first match in table order the one found.
struct NamesByFirstLetter {
    unsigned char first[257];
    unsigned char order[kFunctionCount];
};

constexpr NamesByFirstLetter BuildNamesByFirstLetter() {
    NamesByFirstLetter table{};
    int count[256] = {};
    for (const char* name : FunctionNames)
        ++count[static_cast<unsigned char>(name[0])];
    int next[256] = {};
    int start = 0;
    for (int b = 0; b < 256; ++b) {
        table.first[b] = static_cast<unsigned char>(start);
        next[b] = start;
        start += count[b];
    }
    table.first[256] = static_cast<unsigned char>(start);
    for (int i = 0; i < kFunctionCount; ++i)
        table.order[next[static_cast<unsigned char>(FunctionNames[i][0])]++] =
            static_cast<unsigned char>(i);
    return table;
}

constexpr NamesByFirstLetter kNamesByFirstLetter = BuildNamesByFirstLetter();

static_assert(kNamesByFirstLetter.first[256] == kFunctionCount, "every name is in one group");
static_assert(kNamesByFirstLetter.first[0] == kNamesByFirstLetter.first[1],
              "no name starts with NUL, so an empty text finds none");

// FunctionIndex and FunctionNames are two lists that must agree position by position (the
// evaluator selects the operation by the enumerator). Each enumerator with the name it stands
// for, in enumerator order; the check compares every entry with the table.
struct IndexAndName {
    FunctionIndex index;
    const char* name;
};

constexpr IndexAndName kIndexNames[] = {
    {FnSin, "sin"},     {FnCos, "cos"},   {FnTan, "tan"},     {FnCot, "cot"},     {FnAsin, "asin"},
    {FnAcos, "acos"},   {FnAtan, "atan"}, {FnAcot, "acot"},   {FnLn, "ln"},       {FnLg, "lg"},
    {FnExp, "exp"},     {FnSqrt, "sqrt"}, {FnSqr, "sqr"},     {FnTrunc, "trunc"}, {FnFrac, "frac"},
    {FnRound, "round"}, {FnCeil, "ceil"}, {FnFloor, "floor"},
};

constexpr bool SameText(const char* a, const char* b) {
    for (; *a != '\0' && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

constexpr bool EveryIndexNamesItsFunction() {
    if (sizeof kIndexNames / sizeof kIndexNames[0] != kFunctionCount)
        return false;
    for (int i = 0; i < kFunctionCount; ++i) {
        if (kIndexNames[i].index != i || !SameText(FunctionNames[i], kIndexNames[i].name))
            return false;
    }
    return true;
}
static_assert(EveryIndexNamesItsFunction(), "FunctionIndex and FunctionNames disagree");

} // namespace

int FunctionPrefixAt(const char* text) {
    const auto b = static_cast<unsigned char>(text[0]);
    for (int k = kNamesByFirstLetter.first[b]; k < kNamesByFirstLetter.first[b + 1]; ++k) {
        const int i = kNamesByFirstLetter.order[k];
        const char* name = FunctionNames[i];
        // The first letters are equal; the loop stops at the name's end or at the first
        // difference, which text's terminator is at the latest.
        std::size_t j = 1;
        while (name[j] != '\0' && name[j] == text[j])
            ++j;
        if (name[j] == '\0')
            return i;
    }
    return -1;
}

int FunctionNamed(const char* text, std::size_t length) {
    if (length == 0)
        return -1;
    const auto b = static_cast<unsigned char>(text[0]);
    for (int k = kNamesByFirstLetter.first[b]; k < kNamesByFirstLetter.first[b + 1]; ++k) {
        const int i = kNamesByFirstLetter.order[k];
        if (kFunctionNameLengths[i] != length)
            continue;
        const char* name = FunctionNames[i];
        std::size_t j = 1;
        while (j < length && name[j] == text[j])
            ++j;
        if (j == length)
            return i;
    }
    return -1;
}
