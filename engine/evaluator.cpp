// Stack machine over postfix text, and the reading of numbers.
#include "engine/evaluator.h"

#include "engine/heap.h"
#include "engine/vocabulary.h"
#include "platform/locale.h"
#include "platform/runtime_math.h"

#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <clocale>
#ifndef _WIN32
#include <locale.h> // newlocale, strtod_l
#endif

double gVarA = 0;
double gVarB = 0;
double gVarC = 0;

// The formula language has '.' as its only decimal mark, but the C library's strtod reads the
// mark of the process's locale, which the host sets from the user's (a Russian user's host reads
// "12.5" as 12 and "12,5" as 12.5). Every number is therefore read with '.' whatever the locale.
//
// On Windows the module shares msvcrt.dll, and its locale, with the host; mingw-w64's strtod takes
// the mark from that locale's localeconv(). msvcrt's own locale objects (_create_locale,
// _strtod_l) are missing from the msvcrt.dll of the older systems the 1.7x host runs on, where
// one missing import would stop the whole DLL from loading; localeconv() is in every msvcrt.dll.
// So strtod reads a copy of the number in which each '.' is the locale's mark, and which stops
// at the locale's own mark, so that "12,5" stays no number.
double ReadDotNumberThroughLocale(const char* text, char** end) {
    constexpr std::size_t kMaxCopied = 600; // a field holds 511 characters
    constexpr std::size_t kMaxMark = 4;     // one character, in any encoding
    const char* mark = std::localeconv()->decimal_point;
    const std::size_t markLength = mark == nullptr ? 0 : std::strlen(mark);
    if (markLength == 0 || markLength > kMaxMark || std::strcmp(mark, ".") == 0)
        return std::strtod(text, end);
    char copy[kMaxCopied * kMaxMark + 1];
    std::size_t used = 0;
    // No number form holds a space: the copy stops there too (the evaluator's tokens end in one).
    for (std::size_t read = 0; text[read] != '\0' && text[read] != ' ' && read < kMaxCopied;
         ++read) {
        if (std::strncmp(text + read, mark, markLength) == 0)
            break; // the locale's mark is no decimal point of the formula language
        if (text[read] == '.') {
            std::memcpy(copy + used, mark, markLength);
            used += markLength;
        } else {
            copy[used++] = text[read];
        }
    }
    copy[used] = '\0';
    char* copyEnd = nullptr;
    const double value = std::strtod(copy, &copyEnd);
    if (end != nullptr) {
        // Back from the copy's end to the text's: each mark in the copy stands for one '.'.
        const std::size_t consumed = static_cast<std::size_t>(copyEnd - copy);
        std::size_t at = 0, i = 0;
        while (at < consumed) {
            at += text[i] == '.' ? markLength : 1;
            ++i;
        }
        *end = const_cast<char*>(text) + i;
    }
    return value;
}

namespace {

#ifdef _WIN32
double ReadDotNumber(const char* text, char** end) {
    return ReadDotNumberThroughLocale(text, end);
}
#else
// glibc reads with a locale object of its own: a "C" one, made once when the module is loaded.
const locale_t kDotLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));

double ReadDotNumber(const char* text, char** end) {
    if (kDotLocale == static_cast<locale_t>(nullptr))
        return ReadDotNumberThroughLocale(text, end); // not seen: "C" is always there
    return strtod_l(text, end, kDotLocale);
}
#endif

// Bit for bit 0x400921FB54442D18 and 0x3FF921FB54442D18: written out rather than computed, so
// that no library's acos(-1) or atan(1) * 2 can move the last bit.
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;

// exp's limits in doubles: ln of half the least subnormal (2^-1075) and ln of the largest double.
constexpr double kExpZeroBelow = -745.1332191019412;
constexpr double kExpInfAbove = 709.782712893384;

// Kinds of token. ORDER FUNC: KindSin + n is the function at position n of FunctionNames.
enum Kind : int {
    KindSkip = 0,
    KindA,
    KindB,
    KindC,
    KindP,
    KindE,
    KindNumber,
    KindAdd,
    KindSub,
    KindMul,
    KindDiv,
    KindPow,
    KindSin,
};

// The kind that a token's first character gives it: an operator, a number (a digit), or one of
// the one-letter names (which counts only for a token of exactly that letter); KindSkip for any
// other character. Derived at compile time from the vocabulary's sets, positions included.
constexpr std::array<unsigned char, 256> BuildFirstCharKinds() {
    std::array<unsigned char, 256> kinds{};
    for (int i = 0; kOneLetterNames[i] != '\0'; ++i)
        kinds[static_cast<unsigned char>(kOneLetterNames[i])] =
            static_cast<unsigned char>(KindA + i);
    for (int i = 0; kDigits[i] != '\0'; ++i)
        kinds[static_cast<unsigned char>(kDigits[i])] = KindNumber;
    for (int i = 0; kOperators[i] != '\0'; ++i)
        kinds[static_cast<unsigned char>(kOperators[i])] = static_cast<unsigned char>(KindAdd + i);
    return kinds;
}

constexpr std::array<unsigned char, 256> kFirstCharKinds = BuildFirstCharKinds();

// The tests, in this order, with a later match overriding an earlier one: the token equals a
// one-letter name; its first character is a digit (a number); its first character is an
// operator (so "+5" counts as "+"); it equals a function name. A token is text[0, length):
// postfix text is read where it stands, never copied, so a token of any length is examined
// whole. No two of the tests can both match (see KindTestsExclusive), so the first one that
// matches decides, and the first character settles all but the names.
int KindOf(const char* token, std::size_t length) {
    const int kind = kFirstCharKinds[static_cast<unsigned char>(token[0])];
    if (kind >= KindNumber || length == 1)
        return kind; // a number or an operator whatever follows; one character: a name or nothing
    const int function = FunctionNamed(token, length);
    return function >= 0 ? KindSin + function : KindSkip;
}

// What lets KindOf stop at the first test that matches: no character is in two of the sets,
// and every function name is longer than one character and starts with neither a digit nor an
// operator.
constexpr bool KindTestsExclusive() {
    for (unsigned char flags : kCharFlags) {
        const int sets = ((flags & CharOperator) != 0) + ((flags & CharDigit) != 0) +
                         ((flags & CharOneLetter) != 0);
        if (sets > 1)
            return false;
    }
    for (int i = 0; i < kFunctionCount; ++i) {
        const unsigned char first = static_cast<unsigned char>(FunctionNames[i][0]);
        if (kFunctionNameLengths[i] < 2 || (kCharFlags[first] & (CharOperator | CharDigit)))
            return false;
    }
    return true;
}
static_assert(KindTestsExclusive(), "a token could match two kinds; KindOf must try them all");

// Value stack. Every token that is not skipped adds at most one value (an operator takes two
// and gives one back, a function takes one, and a missing value costs nothing to take), and
// tokens stand at least one space apart, so a text of n characters never holds more than
// (n + 1) / 2 values: 512 for any text of up to 1024 characters, which includes everything
// ToPostfix makes for a formula the dialog accepts. Longer texts get a block of n / 2 + 1
// values from the heap for the call.
constexpr std::size_t kLocalValues = 512;

struct ValueStack {
    double* values;
    std::size_t capacity;
    std::size_t count;

    // By the bound above the stack never fills. Should that reasoning ever be broken by a
    // change, the builds that check (sanitizers, fuzzers, debug) stop here, and an optimised
    // build drops the value instead of writing past the storage: a wrong result at worst, never
    // a write out of bounds. The comparison costs next to nothing beside the token's reading.
    void Push(double value) {
        assert(count < capacity);
        if (count < capacity)
            values[count++] = value;
    }
    // A value missing beneath the stack reads as 0: 'sin' alone is sin(0), '5 -' is 0 - 5.
    double Pop() { return count == 0 ? 0.0 : values[--count]; }
};

bool IsZeroOrNaN(double x) {
    return x == 0 || std::isnan(x);
}

// Ties go to the floor, for negative numbers too (-0.5 gives -1). Both comparisons fail for a
// NaN, which therefore gives ceil(R), a NaN again.
double RoundHalfDown(double r) {
    double up = std::ceil(r);
    double down = std::floor(r);
    double distanceUp = std::fabs(up - r);
    double distanceDown = std::fabs(down - r);
    return distanceUp >= distanceDown ? down : up;
}

// "^": 0^0, 0^negative and negative^fraction are undefined. A NaN fails the tests of "is 0" and
// "is at least 0" as the dialog's rules want; a NaN exponent has no fractional part to test.
StatusCode Power(double left, double right, double* value) {
    if (IsZeroOrNaN(right) && IsZeroOrNaN(left))
        return MsgPowerDomain;
    if (!(right >= 0) && IsZeroOrNaN(left))
        return MsgPowerDomain;
    double fraction = FractionOf(right);
    if (!(left >= 0) && !std::isnan(fraction) && fraction != 0)
        return MsgPowerDomain;
    *value = RuntimePow(left, right);
    return MsgOk;
}

// Functions of one value R. MsgOk with *value set, or the domain status.
StatusCode ApplyFunction(int function, double r, double* value) {
    switch (function) {
    case FnSin:
        *value = RuntimeSin(r);
        return MsgOk;
    case FnCos:
        *value = RuntimeCos(r);
        return MsgOk;
    case FnTan:
        if (IsZeroOrNaN(RuntimeCos(r)))
            return MsgTanDomain;
        *value = std::tan(r);
        return MsgOk;
    case FnCot:
        if (IsZeroOrNaN(RuntimeSin(r)))
            return MsgCotDomain;
        *value = 1 / std::tan(r);
        return MsgOk;
    case FnAsin:
        if (!(r >= -1 && r <= 1))
            return MsgAsinDomain;
        *value = std::asin(r);
        return MsgOk;
    case FnAcos:
        if (!(r >= -1 && r <= 1))
            return MsgAcosDomain;
        *value = std::acos(r);
        return MsgOk;
    case FnAtan:
        *value = std::atan(r);
        return MsgOk;
    case FnAcot:
        // atan(1 / R) keeps the sign of R: acot(-1) is -pi/4, not 3pi/4.
        *value = IsZeroOrNaN(r) ? kHalfPi : std::atan(1 / r);
        return MsgOk;
    case FnLn:
        if (!(r > 0))
            return MsgLnDomain;
        *value = RuntimeLog(r);
        return MsgOk;
    case FnLg:
        if (!(r > 0))
            return MsgLgDomain;
        *value = std::log10(r);
        return MsgOk;
    case FnExp:
        // Beyond these bounds the true result rounds to +0 or overflows, and there the run-times
        // part ways at their edges (wine's msvcrt returns 1 + x for x <= -1024): decided here,
        // before any run-time is asked. Below the lower bound exp(x) is under half the least
        // subnormal; above the upper one it exceeds the largest double.
        if (r < kExpZeroBelow)
            *value = 0.0;
        else if (r > kExpInfAbove)
            *value = HUGE_VAL;
        else
            *value = RuntimeExp(r);
        return MsgOk;
    case FnSqrt:
        if (!(r >= 0))
            return MsgPowerDomain;
        *value = RuntimePow(r, 0.5);
        return MsgOk;
    case FnSqr:
        *value = r * r;
        return MsgOk;
    case FnTrunc:
        *value = r - FractionOf(r);
        return MsgOk;
    case FnFrac:
        *value = FractionOf(r); // with the sign of R: frac(-2.5) is -0.5
        return MsgOk;
    case FnRound:
        *value = RoundHalfDown(r);
        return MsgOk;
    case FnCeil:
        *value = std::ceil(r);
        return MsgOk;
    case FnFloor:
        *value = std::floor(r);
        return MsgOk;
    }
    return MsgOk;
}

// Reading numbers. strtod is exact but slow: it handles signs, exponents, hexadecimal forms,
// infinities and any number of digits, and most of an edit's numbers are a few plain digits.
// Where the C library's strtod is known to round correctly (glibc's does, in every rounding
// mode) and double arithmetic rounds each result once (SSE2, not x87), a plain decimal of at
// most 15 digits with at most one point is read here
// to the very same double: its digits make an integer below 10^15, exact in a double, and it has
// at most 15 digits after the point, so 10^n is exact too; one division then rounds exactly once,
// as strtod does. Everything else goes to strtod.
constexpr int kPlainDigits = 15;

constexpr std::array<double, kPlainDigits + 1> BuildPowersOfTen() {
    std::array<double, kPlainDigits + 1> powers{};
    double power = 1;
    for (double& p : powers) {
        p = power;
        power *= 10; // exact: every power up to 10^22 is a double
    }
    return powers;
}

constexpr std::array<double, kPlainDigits + 1> kPowersOfTen = BuildPowersOfTen();

// The value strtod gives for text[0, length) when that text is a plain decimal (digits and at
// most one point, at least one digit, at most 15 digits); false for anything else.
bool ReadPlainDecimal(const char* text, std::size_t length, double* value) {
    std::uint64_t digits = 0;
    int count = 0;
    int afterPoint = -1; // digits after the point; -1 while there is no point
    for (std::size_t i = 0; i < length; ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9') {
            if (++count > kPlainDigits)
                return false;
            digits = digits * 10 + static_cast<unsigned>(ch - '0');
            if (afterPoint >= 0)
                ++afterPoint;
        } else if (ch == '.' && afterPoint < 0) {
            afterPoint = 0;
        } else {
            return false;
        }
    }
    if (count == 0)
        return false;
    const double whole = static_cast<double>(digits);
    *value = afterPoint > 0 ? whole / kPowersOfTen[afterPoint] : whole;
    return true;
}

// One token's action on the stack: MsgOk, or the status of the undefined operation.
StatusCode Apply(int kind, const char* token, std::size_t length, bool plainFastPath,
                 ValueStack& stack) {
    switch (kind) {
    case KindSkip:
        return MsgOk;
    case KindA:
        stack.Push(gVarA);
        return MsgOk;
    case KindB:
        stack.Push(gVarB);
        return MsgOk;
    case KindC:
        stack.Push(gVarC);
        return MsgOk;
    case KindP:
        stack.Push(kPi);
        return MsgOk;
    case KindE:
        stack.Push(std::exp(1.0));
        return MsgOk;
    case KindNumber: {
        // strtod stops at the space that ends the token (no number form reads across one), so
        // the value equals ParseNumber's of the token on its own.
        double value;
        if (!plainFastPath || !ReadPlainDecimal(token, length, &value))
            value = ReadDotNumber(token, nullptr);
        stack.Push(value);
        return MsgOk;
    }
    case KindDiv: {
        double right = stack.Pop();
        if (IsZeroOrNaN(right))
            return MsgDivByZero; // decided before the left operand is taken
        double left = stack.Pop();
        stack.Push(left / right);
        return MsgOk;
    }
    default:
        break;
    }
    double right = stack.Pop();
    if (kind >= KindSin) {
        double value = 0;
        StatusCode status = ApplyFunction(kind - KindSin, right, &value);
        if (status == MsgOk)
            stack.Push(value);
        return status;
    }
    double left = stack.Pop();
    switch (kind) {
    case KindAdd:
        stack.Push(left + right);
        return MsgOk;
    case KindSub:
        stack.Push(left - right);
        return MsgOk;
    case KindMul:
        stack.Push(left * right);
        return MsgOk;
    default: { // KindPow
        double value = 0;
        StatusCode status = Power(left, right, &value);
        if (status == MsgOk)
            stack.Push(value);
        return status;
    }
    }
}

} // namespace

StatusCode ParseNumber(const char* text, double* value) {
    if (text[0] == '\0')
        return MsgBadVariable;
    if (StrtodReadsPlainDecimals() && ReadPlainDecimal(text, std::strlen(text), value))
        return MsgOk;
    char* end = nullptr;
    *value = ReadDotNumber(text, &end);
    return *end == '\0' ? MsgOk : MsgBadVariable;
}

StatusCode EvaluatePostfix(const char* text, double* result) {
    *result = 0;
    std::size_t length = std::strlen(text);
    double local[kLocalValues];
    ValueStack stack{local, kLocalValues, 0};
    if (length > 2 * kLocalValues) {
        stack.capacity = length / 2 + 1;
        stack.values = static_cast<double*>(MemAlloc(stack.capacity * sizeof(double)));
        if (stack.values == nullptr)
            return StatusNoMemory;
    }

    const bool plainFastPath = StrtodReadsPlainDecimals();
    StatusCode status = MsgOk;
    std::size_t position = 0;
    while (position < length) {
        const char* token = text + position;
        std::size_t tokenLength = 0;
        while (token[tokenLength] != '\0' && token[tokenLength] != ' ')
            ++tokenLength;
        // A leading space gives an empty first token, which is skipped like any unknown one.
        if (tokenLength > 0)
            status = Apply(KindOf(token, tokenLength), token, tokenLength, plainFastPath, stack);
        if (status != MsgOk)
            break; // the first undefined operation decides; the rest is not read
        position += tokenLength;
        while (text[position] == ' ')
            ++position;
    }
    // Values beneath the newest are left over from a text that was no single formula.
    if (status == MsgOk && stack.count > 0)
        *result = stack.values[stack.count - 1];
    if (stack.values != local)
        MemFree(stack.values);
    return status;
}
