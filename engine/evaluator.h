// Evaluation of postfix text in double precision, and number parsing.
#pragma once

#include "engine/status.h"

// Values of the variables a, b and c, read by the evaluator each time their letter occurs.
extern double gVarA;
extern double gVarB;
extern double gVarC;

// MsgOk when text is a complete number (as the C library's strtod reads it in the "C" locale: '.'
// is the decimal mark whatever the process's locale) and MsgBadVariable
// otherwise. The value is stored whether or not the whole text was used; an empty text leaves
// it untouched.
StatusCode ParseNumber(const char* text, double* value);

// strtod with '.' as the decimal mark, through the C library's strtod in whatever locale the
// process has: strtod reads a copy with each '.' turned into the locale's mark, and the copy ends
// at the locale's own mark. The Windows build reads every number so; the glibc build reads with a
// "C" locale object and uses this only where that object could not be made.
double ReadDotNumberThroughLocale(const char* text, char** end);

// Evaluates a postfix text: tokens separated by spaces, read once from left to right. Sets
// *result to 0 first; returns MsgOk with the newest stacked value (0 when none), or one of 26..33
// (the first undefined operation) with *result left at 0, or StatusNoMemory when the heap refuses
// the value stack of a text longer than 1024 characters (shorter texts, among them every postfix
// text of a formula the dialog admits, use storage of the call and cannot fail this way).
// An operator or function that finds too few values takes 0 for each missing one; the first
// value popped is the right operand, so '5 -' is 0 - 5.
StatusCode EvaluatePostfix(const char* text, double* result);
