// The well-formed formulas as a grammar, written apart from the checker's table-driven scan: the
// validator's property test and the engine fuzz target both judge the checker against it
// (a formula is accepted exactly when this grammar reads it), and read the operands, operators
// and functions an accepted formula holds.
#pragma once

#include "engine/vocabulary.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

inline bool IsFunction(const std::string& word) {
    for (const char* name : FunctionNames)
        if (word == name)
            return true;
    return false;
}

inline bool IsOneLetterName(const std::string& word) {
    return word.size() == 1 && std::strchr("abcpe", word[0]) != nullptr;
}

inline bool IsDigitChar(char ch) {
    return ch >= '0' && ch <= '9';
}
inline bool IsOperatorChar(char ch) {
    return ch != '\0' && std::strchr("+-*/^", ch) != nullptr;
}
inline bool IsLetterChar(char ch) {
    return ch >= 'a' && ch <= 'z';
}

// A number as the evaluator may meet it: digits with at most one point, and that one between
// two digits.
inline bool IsPlainNumber(const std::string& text) {
    if (text.empty() || !IsDigitChar(text.front()) || !IsDigitChar(text.back()))
        return false;
    int points = 0;
    for (char ch : text) {
        if (ch == '.')
            ++points;
        else if (!IsDigitChar(ch))
            return false;
    }
    return points <= 1;
}

// The well-formed formulas as a grammar, independent of the checker's scan:
//   expr = [sign] term {operator term};  term = number | name | function "(" expr ")" |
//   "(" expr ")"
// where a number is a maximal run of digits and points, a name or function a maximal run of
// letters. The sign is admitted only when reading a formula as typed (at its start and after
// "("); once the signs are rewritten, every operator must have a term on each side. Records the
// operands, operators and functions met, for comparison with the postfix text.
struct InfixReader {
    InfixReader(const std::string& formula, bool withSigns) : text(formula), signs(withSigns) {}

    // True when the whole text is one expr.
    bool ReadAll() { return Expr() && pos == text.size(); }

    const std::string& text;
    const bool signs;
    std::size_t pos = 0;
    std::vector<std::string> operands;
    std::string operators;
    std::vector<std::string> functions;

    bool Expr() {
        if (signs && pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        if (!Term())
            return false;
        while (pos < text.size() && IsOperatorChar(text[pos])) {
            operators += text[pos++];
            if (!Term())
                return false;
        }
        return true;
    }
    bool Enclosed() { // "(" expr ")"
        if (pos >= text.size() || text[pos] != '(')
            return false;
        ++pos;
        if (!Expr() || pos >= text.size() || text[pos] != ')')
            return false;
        ++pos;
        return true;
    }
    bool Term() {
        if (pos >= text.size())
            return false;
        if (text[pos] == '(')
            return Enclosed();
        std::size_t start = pos;
        if (IsDigitChar(text[pos]) || text[pos] == '.') {
            while (pos < text.size() && (IsDigitChar(text[pos]) || text[pos] == '.'))
                ++pos;
            operands.push_back(text.substr(start, pos - start));
            return IsPlainNumber(operands.back());
        }
        while (pos < text.size() && IsLetterChar(text[pos]))
            ++pos;
        const std::string word = text.substr(start, pos - start);
        if (IsFunction(word)) {
            functions.push_back(word);
            return Enclosed();
        }
        operands.push_back(word);
        return IsOneLetterName(word);
    }
};

// Walks the postfix text token by token, keeping only the depth of the value stack: every token
// must be known, no operator or function may find a missing operand, and exactly one value must
// remain. Returns an empty text when all holds, else what went wrong.
inline std::string CheckPostfix(const std::string& postfix, const InfixReader& infix) {
    if (postfix.empty())
        return "empty postfix";
    std::vector<std::string> operands;
    std::string operators;
    std::vector<std::string> functions;
    int depth = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t space = postfix.find(' ', pos);
        const std::string token =
            postfix.substr(pos, space == std::string::npos ? std::string::npos : space - pos);
        if (token.empty())
            return "empty token at " + std::to_string(pos);
        if (IsPlainNumber(token) || IsOneLetterName(token)) {
            operands.push_back(token);
            ++depth;
        } else if (token.size() == 1 && IsOperatorChar(token[0])) {
            if (depth < 2)
                return "operator " + token + " finds a missing operand";
            operators += token;
            --depth;
        } else if (IsFunction(token)) {
            if (depth < 1)
                return "function " + token + " finds no argument";
            functions.push_back(token);
        } else {
            return "unknown token '" + token + "'";
        }
        if (space == std::string::npos)
            break;
        pos = space + 1;
    }
    if (depth != 1)
        return std::to_string(depth) + " values remain";
    // Nothing skipped, nothing invented: operands keep their order, operators and functions
    // are the same collection.
    if (operands != infix.operands)
        return "operands differ from the formula's";
    std::string infixOperators = infix.operators;
    std::sort(operators.begin(), operators.end());
    std::sort(infixOperators.begin(), infixOperators.end());
    if (operators != infixOperators)
        return "operators differ from the formula's";
    std::vector<std::string> infixFunctions = infix.functions;
    std::sort(functions.begin(), functions.end());
    std::sort(infixFunctions.begin(), infixFunctions.end());
    if (functions != infixFunctions)
        return "functions differ from the formula's";
    return "";
}
