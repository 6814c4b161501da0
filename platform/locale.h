// What the platform's C library tells of number reading, asked in one place.
#pragma once

#include <cfloat>

#if defined(__GLIBC__) && FLT_EVAL_METHOD == 0
#include <langinfo.h>
#endif

// True when a plain decimal may be read by exact double arithmetic and give strtod's own value:
// on glibc with double arithmetic rounded to doubles, and while strtod reads "." as the decimal
// mark (it follows LC_NUMERIC, which the module never sets but its host process may).
inline bool StrtodReadsPlainDecimals() {
#if defined(__GLIBC__) && FLT_EVAL_METHOD == 0
    const char* mark = nl_langinfo(RADIXCHAR);
    return mark[0] == '.' && mark[1] == '\0';
#else
    // Elsewhere strtod's own rounding decides, and where double arithmetic carries extra
    // precision (x87) the division could round twice.
    return false;
#endif
}
