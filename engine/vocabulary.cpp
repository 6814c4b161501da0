// Constant vocabulary of formulas and the two character-set tests.
#include "engine/vocabulary.h"

#include "platform/winapi.h"

// ORDER FUNC: see FunctionIndex.
const char* const FunctionNames[kFunctionCount] = {
    "sin", "cos",  "tan",  "cot", "asin",  "acos", "atan",  "acot", "ln",
    "lg",  "exp",  "sqrt", "sqr", "trunc", "frac", "round", "ceil", "floor",
};

const char kDigits[] = "1234567890";
const char kOperators[] = "+-*/^";
const char kOneLetterNames[] = "abcpe";
const char kBaseSet[] = "abcpe.1234567890()+-*/^";

char AllowedChars[kAllowedCharsSize];

void BuildAllowedChars() {
    lstrcpyA(AllowedChars, kBaseSet);
    for (const char* name : FunctionNames)
        lstrcatA(AllowedChars, name);
}

bool HasChar(const char* set, char ch) {
    if (ch == '\0')
        return false;
    for (; *set != '\0'; ++set) {
        if (*set == ch)
            return true;
    }
    return false;
}

bool AllCharsIn(const char* set, const char* text) {
    for (; *text != '\0'; ++text) {
        if (!HasChar(set, *text))
            return false;
    }
    return true;
}
