// The reference: muParser set up with the calculator's vocabulary.
#pragma once

#include <muParser.h>

// Defines on parser the variables a, b and c (bound to the three doubles), the constants p and
// e, and the functions muParser lacks, each with the calculator's meaning.
void SetUpMuParser(mu::Parser& parser, double* a, double* b, double* c);
