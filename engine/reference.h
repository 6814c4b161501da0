// The plain forms of the engine's look-ups, which the module itself no longer calls: the checker,
// the tokenizer and the evaluator answer the same questions through the lookup tables of
// engine/vocabulary.h and cut tokens in place. They stay, defined beside the fast paths, as the
// reference the tests check those paths against (same answers, byte for byte and token for
// token). Only the files that define them include this header in the module.
#pragma once

// True when ch occurs in set before its terminator; the NUL character is never found.
bool HasChar(const char* set, char ch);
// True when every character of text is in set (true for the empty text).
bool AllCharsIn(const char* set, const char* text);

// The token at the start of text (which holds at least one character): a function name is
// returned as the FunctionNames entry itself, which nobody releases; every other token (a
// number of any length included) as a new MemAlloc'd text of exactly its length, which the
// caller releases with MemFree. Null when that allocation fails.
const char* NextToken(const char* text);

// Priority class: -1 operand (and null), 0 "(", 1 ")", 2 "+ -", 3 "* /", 4 "^", 5 function name.
int TokenPriority(const char* token);
