// The plain forms of the engine's look-ups, written for the tests from the rules alone. The
// checker, the tokenizer and the evaluator answer these questions through the lookup tables of
// engine/vocabulary.h and cut tokens in place; these forms use none of that code (only the
// vocabulary's constant data), so comparing the two can fail.
#pragma once

#include "engine/vocabulary.h"

#include <cstring>
#include <string>

namespace reference {

// True when ch occurs in set before its terminator; the NUL character is never found.
inline bool HasChar(const char* set, char ch) {
    if (ch == '\0')
        return false;
    for (; *set != '\0'; ++set) {
        if (*set == ch)
            return true;
    }
    return false;
}

// True when every character of text is in set (true for the empty text).
inline bool AllCharsIn(const char* set, const char* text) {
    for (; *text != '\0'; ++text) {
        if (!HasChar(set, *text))
            return false;
    }
    return true;
}

// The token at the start of text (which holds at least one character): the first function name
// in table order that text starts with; else the run of digits and points there; else the one
// character.
inline std::string NextToken(const char* text) {
    for (const char* name : FunctionNames) {
        if (std::strncmp(text, name, std::strlen(name)) == 0)
            return name;
    }
    std::size_t length = 0;
    while (text[length] == '.' || HasChar(kDigits, text[length]))
        ++length;
    return std::string(text, length == 0 ? 1 : length);
}

// Priority class: -1 operand, 0 "(", 1 ")", 2 "+ -", 3 "* /", 4 "^", 5 function name.
inline int TokenPriority(const std::string& token) {
    if (token == "(")
        return 0;
    if (token == ")")
        return 1;
    if (token == "+" || token == "-")
        return 2;
    if (token == "*" || token == "/")
        return 3;
    if (token == "^")
        return 4;
    for (const char* name : FunctionNames) {
        if (token == name)
            return 5;
    }
    return -1;
}

} // namespace reference
