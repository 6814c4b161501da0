// The words of a formula: function names, character sets, and the set of allowed characters.
#pragma once

#include "engine/status.h"

#include <array>
#include <cstddef>

constexpr int kFunctionCount = 18;

// Order matters (ORDER FUNC): the tokenizer tries the names as prefixes in this order, so "sqrt"
// must come before "sqr", and the evaluator selects the operation by position. Defined here, not
// in vocabulary.cpp, so that the lookup tables below can be derived from it at compile time.
inline constexpr const char* const FunctionNames[kFunctionCount] = {
    "sin", "cos", "tan",  "cot", "asin",  "acos", "atan",  "acot", "ln",
    "lg",  "exp", "sqrt", "sqr", "trunc", "frac", "round", "ceil", "floor",
};

enum FunctionIndex : int {
    FnSin,
    FnCos,
    FnTan,
    FnCot,
    FnAsin,
    FnAcos,
    FnAtan,
    FnAcot,
    FnLn,
    FnLg,
    FnExp,
    FnSqrt,
    FnSqr,
    FnTrunc,
    FnFrac,
    FnRound,
    FnCeil,
    FnFloor,
};

inline constexpr char kDigits[] = "1234567890";
inline constexpr char kOperators[] = "+-*/^";
inline constexpr char kOneLetterNames[] = "abcpe";
inline constexpr char kBaseSet[] = "abcpe.1234567890()+-*/^";

// The base set followed by the 18 names: 88 characters. Rebuilt by BuildAllowedChars each time
// the dialog opens.
constexpr int kAllowedCharsSize = 260;
extern char AllowedChars[kAllowedCharsSize];
void BuildAllowedChars();

// ---------------------------------------------------------------------------------------------
// Lookup tables for the hot paths. Every edit runs the checker, the tokenizer and the evaluator
// over the whole formula; searching the sets above character by character, or all 18
// names with strncmp, for every character or token made up most of an edit's cost. These tables
// answer the same questions with one look-up; they are computed at compile time from the sets and
// names above, so they can never say something the sets do not.

// What the character sets say about one byte, as flags.
enum CharFlag : unsigned char {
    CharDigit = 1 << 0,     // in kDigits
    CharOperator = 1 << 1,  // in kOperators
    CharOneLetter = 1 << 2, // in kOneLetterNames
    CharPoint = 1 << 3,     // "."
    CharOpen = 1 << 4,      // "("
    CharClose = 1 << 5,     // ")"
    CharNameStart = 1 << 6, // the first letter of a name in FunctionNames
};

namespace vocabulary_detail {
constexpr void MarkAll(std::array<unsigned char, 256>& flags, const char* set, unsigned char flag) {
    for (; *set != '\0'; ++set)
        flags[static_cast<unsigned char>(*set)] |= flag;
}

constexpr std::array<unsigned char, 256> BuildCharFlags() {
    std::array<unsigned char, 256> flags{};
    MarkAll(flags, kDigits, CharDigit);
    MarkAll(flags, kOperators, CharOperator);
    MarkAll(flags, kOneLetterNames, CharOneLetter);
    MarkAll(flags, ".", CharPoint);
    MarkAll(flags, "(", CharOpen);
    MarkAll(flags, ")", CharClose);
    for (const char* name : FunctionNames)
        flags[static_cast<unsigned char>(name[0])] |= CharNameStart;
    return flags;
}

constexpr std::array<unsigned char, kFunctionCount> BuildNameLengths() {
    std::array<unsigned char, kFunctionCount> lengths{};
    for (int i = 0; i < kFunctionCount; ++i) {
        std::size_t n = 0;
        while (FunctionNames[i][n] != '\0')
            ++n;
        lengths[i] = static_cast<unsigned char>(n);
    }
    return lengths;
}
} // namespace vocabulary_detail

// Flags of every byte value, indexed by the byte read as unsigned (bytes above 0x7f included).
inline constexpr std::array<unsigned char, 256> kCharFlags = vocabulary_detail::BuildCharFlags();

inline unsigned char CharFlagsOf(char ch) {
    return kCharFlags[static_cast<unsigned char>(ch)];
}

// strlen of each entry of FunctionNames.
inline constexpr std::array<unsigned char, kFunctionCount> kFunctionNameLengths =
    vocabulary_detail::BuildNameLengths();

// The position of the first name, in table order, that text starts with; -1 when none does. The
// same answer as trying every name with strncmp in table order ("sqrt" before "sqr"), but only
// the names that share text's first letter are tried.
int FunctionPrefixAt(const char* text);

// The position of the name that equals the length characters at text (which need not be
// terminated there); -1 when none does, the empty text included.
int FunctionNamed(const char* text, std::size_t length);
