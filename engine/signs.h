// Rewriting of the unary signs of an accepted formula, so that every "+" and "-" has a left
// operand before the conversion to postfix.
#pragma once

#include <cstddef>

// Bytes a buffer needs so that RewriteSigns can rewrite a formula of length characters in place
// (each "(-" and a leading "-" gain a "0"; that is at most length / 2 + 1 characters).
constexpr std::size_t SignRewriteCapacity(std::size_t length) {
    return length + length / 2 + 2;
}

// In place and in linear time: a leading "-" gets a "0" in front ('-x' -> '0-x'); a leading "+"
// is dropped; the "+" of every "(+" is dropped, again and again ('(++x' -> '(x'); every "(-"
// becomes "(0-". capacity is the size of the buffer that holds formula. Returns false, leaving
// formula unchanged, when the rewritten text and its terminator would not fit.
bool RewriteSigns(char* formula, std::size_t capacity);
