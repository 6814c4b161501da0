// Rewriting of unary signs in linear time. Deleting or inserting one character at a time would
// move the rest of the text for every change, which is quadratic in a 511-character formula
// full of "(-"; instead the "+" to drop are left out in one forward pass and the "0" to insert
// are put in by one backward pass, after a read-only pass has sized the result.
#include "engine/signs.h"

namespace {

// A "+" is dropped when it is the first character of the text, or when the last character kept
// before it is "(". Taking the kept character, not the original one, drops a whole run: '(++2'
// loses both signs, as deleting the "+" of the first "(+" again and again would.
bool IsDroppedPlus(std::size_t position, char ch, char lastKept) {
    return ch == '+' && (position == 0 || lastKept == '(');
}

} // namespace

bool RewriteSigns(char* formula, std::size_t capacity) {
    // Only a "-" that stood first from the outset gets a "0" in front: after a leading "+" has
    // been dropped, a "-" that comes first is left as it is ('+-2' -> '-2').
    const bool leadingMinus = formula[0] == '-';

    // Sizing: characters kept and zeros to insert (the leading one and one per "(-").
    std::size_t length = 0;
    std::size_t kept = 0;
    std::size_t zeros = leadingMinus ? 1 : 0;
    char lastKept = '\0';
    for (; formula[length] != '\0'; ++length) {
        const char ch = formula[length];
        if (IsDroppedPlus(length, ch, lastKept))
            continue;
        if (ch == '-' && lastKept == '(')
            ++zeros;
        lastKept = ch;
        ++kept;
    }
    if (capacity == 0 || kept + zeros > capacity - 1)
        return false; // nothing written yet, so the text is unchanged

    // Forward: close the gaps of the dropped "+" (when no "+" is dropped, the usual case, this
    // would copy every character onto itself).
    if (kept != length) {
        std::size_t out = 0;
        lastKept = '\0';
        for (std::size_t i = 0; formula[i] != '\0'; ++i) {
            const char ch = formula[i];
            if (IsDroppedPlus(i, ch, lastKept))
                continue;
            formula[out++] = ch;
            lastKept = ch;
        }
    }

    // Backward: spread the text out, a "0" before every "-" that follows "(" (and the leading
    // one). The write position stays ahead of the read position by the zeros still to come, so
    // every character is read before anything lands on it; once they meet, the rest stays put.
    std::size_t write = kept + zeros;
    formula[write] = '\0';
    for (std::size_t read = kept; write > read;) {
        const char ch = formula[--read];
        formula[--write] = ch;
        const bool zeroHere = read == 0 ? leadingMinus : formula[read - 1] == '(';
        if (ch == '-' && zeroHere)
            formula[--write] = '0';
    }
    return true;
}
