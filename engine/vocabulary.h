// The words of a formula: function names, character sets, and the set of allowed characters.
#pragma once

#include "engine/status.h"

constexpr int kFunctionCount = 18;

// Order matters (ORDER FUNC): the tokenizer tries the names as prefixes in this order, so "sqrt"
// must come before "sqr", and the evaluator selects the operation by position.
extern const char* const FunctionNames[kFunctionCount];

enum FunctionIndex : int {
    FnSin, FnCos, FnTan, FnCot, FnAsin, FnAcos, FnAtan, FnAcot, FnLn, FnLg,
    FnExp, FnSqrt, FnSqr, FnTrunc, FnFrac, FnRound, FnCeil, FnFloor,
};

extern const char kDigits[];         // "1234567890"
extern const char kOperators[];      // "+-*/^"
extern const char kOneLetterNames[]; // "abcpe"
extern const char kBaseSet[];        // "abcpe.1234567890()+-*/^"

// The base set followed by the 18 names: 88 characters. Rebuilt by BuildAllowedChars each time
// the dialog opens.
constexpr int kAllowedCharsSize = 260;
extern char AllowedChars[kAllowedCharsSize];
void BuildAllowedChars();

// True when ch occurs in set before its terminator; the NUL character is never found.
bool HasChar(const char* set, char ch);
// True when every character of text is in set (true for the empty text).
bool AllCharsIn(const char* set, const char* text);
