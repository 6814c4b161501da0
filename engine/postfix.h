// Tokenizer and conversion of a prepared formula from infix to postfix text.
#pragma once

#include <cstddef>

constexpr int kTokenTextSize = 260; // a stack node's text: 259 characters and the terminator

struct TokenNode {
    char text[kTokenTextSize];
    TokenNode* next; // the node below, null for the bottom node
};

// Last in, first out stack of token texts; owns its nodes (MemAlloc'd, zero-filled).
class TokenStack {
public:
    TokenStack() = default;
    ~TokenStack();
    TokenStack(const TokenStack&) = delete;
    TokenStack& operator=(const TokenStack&) = delete;

    bool IsEmpty() const { return top == nullptr; }
    // The top node's own text (valid until it is popped), or null when empty.
    const char* Top() const { return top == nullptr ? nullptr : top->text; }
    // Pushes a copy of text cut to 259 characters. False when no node could be allocated.
    bool Push(const char* text);
    // Pops: releases the top node (nothing when empty). A caller that needs the text uses Top's
    // first; nothing is copied.
    void Discard();

private:
    TokenNode* top = nullptr;
};

// The postfix text of a prepared formula: tokens separated by single spaces, operators and
// functions behind their operands, parentheses gone; all operators are left-associative. The
// buffer is one MemAlloc'd block of 2 * strlen(formula) + 2 bytes, enough for the whole text of
// a formula of any length, and owned by the caller (MemFree). Null when the heap refuses a block,
// or when a token would not fit the buffer (which its size rules out; the check stays so that a
// broken bound cuts nothing silently); everything allocated on the way has been released then.
char* ToPostfix(const char* formula);
