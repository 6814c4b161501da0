// What the platform's C library tells of number reading, asked in one place.
#pragma once

#include <cfloat>

// True when a plain decimal may be read by exact double arithmetic and give the C library's own
// value: on glibc (whose strtod rounds correctly in every rounding mode) with double arithmetic
// rounded to doubles. The numbers are read with '.' whatever the process's locale (see
// ReadDotNumber in engine/evaluator.cpp), so the locale does not enter into it.
inline bool StrtodReadsPlainDecimals() {
#if defined(__GLIBC__) && FLT_EVAL_METHOD == 0
    return true;
#else
    // Elsewhere strtod's own rounding decides, and where double arithmetic carries extra
    // precision (x87) the division could round twice.
    return false;
#endif
}
