// Stack machine over postfix text, and the reading of numbers.
#include "engine/evaluator.h"

#include "engine/heap.h"
#include "engine/vocabulary.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

double gVarA = 0;
double gVarB = 0;
double gVarC = 0;

namespace {

// Bit for bit 0x400921FB54442D18 and 0x3FF921FB54442D18: written out rather than computed, so
// that no library's acos(-1) or atan(1) * 2 can move the last bit.
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;

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

// A token is text[0, length): postfix text is read where it stands, never copied, so a token of
// any length is examined whole.
bool TokenIs(const char* token, std::size_t length, const char* word) {
    return std::strlen(word) == length && std::memcmp(token, word, length) == 0;
}

// The tests run in this order and a later match overrides an earlier one, so that a token such
// as "+5" counts as the operator it starts with.
int KindOf(const char* token, std::size_t length) {
    int kind = KindSkip;
    if (length == 1) {
        if (const char* letter = std::strchr(kOneLetterNames, token[0]))
            kind = KindA + static_cast<int>(letter - kOneLetterNames);
    }
    if (HasChar(kDigits, token[0]))
        kind = KindNumber;
    if (HasChar(kOperators, token[0]))
        kind = KindAdd + static_cast<int>(std::strchr(kOperators, token[0]) - kOperators);
    for (int i = 0; i < kFunctionCount; ++i) {
        if (TokenIs(token, length, FunctionNames[i])) {
            kind = KindSin + i;
            break;
        }
    }
    return kind;
}

// Value stack. Every token that is not skipped adds at most one value (an operator takes two
// and gives one back, a function takes one, and a missing value costs nothing to take), and
// tokens stand at least one space apart, so a text of n characters never holds more than
// (n + 1) / 2 values: 512 for any text of up to 1024 characters, which includes everything
// ToPostfix makes for a formula the dialog accepts. Longer texts get a block of n / 2 + 1
// values from the heap for the call.
constexpr std::size_t kLocalValues = 512;

struct ValueStack {
    double* values;
    std::size_t count;

    void Push(double value) { values[count++] = value; }
    // A value missing beneath the stack reads as 0: 'sin' alone is sin(0), '5 -' is 0 - 5.
    double Pop() { return count == 0 ? 0.0 : values[--count]; }
};

bool IsZeroOrNaN(double x) {
    return x == 0 || std::isnan(x);
}

double FractionOf(double x) {
    double whole;
    return std::modf(x, &whole);
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
    *value = std::pow(left, right);
    return MsgOk;
}

// Functions of one value R. MsgOk with *value set, or the domain status.
StatusCode ApplyFunction(int function, double r, double* value) {
    switch (function) {
    case FnSin:
        *value = std::sin(r);
        return MsgOk;
    case FnCos:
        *value = std::cos(r);
        return MsgOk;
    case FnTan:
        if (IsZeroOrNaN(std::cos(r)))
            return MsgTanDomain;
        *value = std::tan(r);
        return MsgOk;
    case FnCot:
        if (IsZeroOrNaN(std::sin(r)))
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
        *value = std::log(r);
        return MsgOk;
    case FnLg:
        if (!(r > 0))
            return MsgLgDomain;
        *value = std::log10(r);
        return MsgOk;
    case FnExp:
        *value = std::exp(r);
        return MsgOk;
    case FnSqrt:
        if (!(r >= 0))
            return MsgPowerDomain;
        *value = std::pow(r, 0.5);
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

// One token's action on the stack: MsgOk, or the status of the undefined operation.
StatusCode Apply(int kind, const char* token, ValueStack& stack) {
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
    case KindNumber:
        // strtod stops at the space that ends the token (no number form reads across one), so
        // the value equals ParseNumber's of the token on its own.
        stack.Push(std::strtod(token, nullptr));
        return MsgOk;
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
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return *end == '\0' ? 0 : MsgBadVariable;
}

StatusCode EvaluatePostfix(const char* text, double* result) {
    *result = 0;
    std::size_t length = std::strlen(text);
    double local[kLocalValues];
    ValueStack stack{local, 0};
    if (length > 2 * kLocalValues) {
        stack.values = static_cast<double*>(MemAlloc((length / 2 + 1) * sizeof(double)));
        if (stack.values == nullptr)
            return kEvalNoMemory;
    }

    StatusCode status = MsgOk;
    std::size_t position = 0;
    while (position < length) {
        const char* token = text + position;
        std::size_t tokenLength = 0;
        while (token[tokenLength] != '\0' && token[tokenLength] != ' ')
            ++tokenLength;
        // A leading space gives an empty first token, which is skipped like any unknown one.
        if (tokenLength > 0)
            status = Apply(KindOf(token, tokenLength), token, stack);
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
