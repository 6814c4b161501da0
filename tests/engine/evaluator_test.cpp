// Postfix evaluation and number reading.
#include "engine/evaluator.h"
#include "engine/heap.h"
#include "engine/heap_check.h"
#include "engine/postfix.h"

#include "engine/text_build.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const double kInf = std::numeric_limits<double>::infinity();
const double kPiBits = FromBits(0x400921FB54442D18);
const double kHalfPiBits = FromBits(0x3FF921FB54442D18);

// A NaN made the way a user makes one: infinity minus infinity.
#define NAN_TEXT "1000 exp 1000 exp -"

enum class Check {
    Bits,   // the very same double, sign of zero included
    Ulp,    // within 4 units in the last place (results of the C library's functions)
    Approx, // within one part in a million (huge results near a pole)
    NaN,
};

struct EvalCase {
    const char* name;
    const char* text;
    StatusCode status;
    double value;
    Check check = Check::Bits;
};

// a = -3, b = 2, c = 5 for every case; the result holds a stale value before each call.
class EvaluateTest : public HeapCheck, public ::testing::WithParamInterface<EvalCase> {
protected:
    void SetUp() override {
        HeapCheck::SetUp();
        gVarA = -3;
        gVarB = 2;
        gVarC = 5;
    }
};

TEST_P(EvaluateTest, GivesStatusAndValue) {
    const EvalCase& c = GetParam();
    double result = 123.0;
    EXPECT_EQ(EvaluatePostfix(c.text, &result), c.status) << "'" << c.text << "'";
    switch (c.check) {
    case Check::Bits:
        EXPECT_EQ(Bits(result), Bits(c.value)) << "'" << c.text << "' gave " << result;
        break;
    case Check::Ulp:
        EXPECT_DOUBLE_EQ(result, c.value) << "'" << c.text << "'";
        break;
    case Check::Approx:
        EXPECT_NEAR(result, c.value, std::fabs(c.value) * 1e-6) << "'" << c.text << "'";
        break;
    case Check::NaN:
        EXPECT_TRUE(std::isnan(result)) << "'" << c.text << "' gave " << result;
        break;
    }
    EXPECT_EQ(Allocations(), 0u) << "no heap block for a text of up to 1024 characters";
}

const EvalCase kEvalCases[] = {
    // Operators, all left-associative as ToPostfix orders them.
    {"PowerOfPower", "2 3 ^ 2 ^", MsgOk, 64},
    {"PowerOfPowerRightNested", "2 3 2 ^ ^", MsgOk, 512},
    {"Arithmetic", "7 2 - 3 * 4 / 1 +", MsgOk, 4.75},
    {"Variables", "a b c + *", MsgOk, -21},
    {"Pi", "p", MsgOk, kPiBits},
    {"Euler", "e", MsgOk, 2.718281828459045},
    {"EulerIsExpOfOne", "e 1 exp -", MsgOk, 0},
    // Division: the divisor is tested for 0 and NaN.
    {"DivByZero", "1 0 /", MsgDivByZero, 0},
    {"DivByNaN", "1 " NAN_TEXT " /", MsgDivByZero, 0},
    {"DivNaNByOne", NAN_TEXT " 1 /", MsgOk, 0, Check::NaN},
    {"DivByInfinity", "1 1000 exp /", MsgOk, 0},
    // Power: three tests, each a NaN failing "is at least 0" and passing "is 0".
    {"ZeroPowZero", "0 0 ^", MsgPowerDomain, 0},
    {"ZeroPowNegative", "0 0 1 - ^", MsgPowerDomain, 0},
    {"NegativePowFraction", "0 2 - 0.5 ^", MsgPowerDomain, 0},
    {"NegativePowWhole", "0 2 - 3 ^", MsgOk, -8},
    {"PowZero", "5 0 ^", MsgOk, 1},
    {"NaNPowZero", NAN_TEXT " 0 ^", MsgPowerDomain, 0},
    {"ZeroPowNaN", "0 " NAN_TEXT " ^", MsgPowerDomain, 0},
    {"NaNPowNegative", NAN_TEXT " 0 1 - ^", MsgPowerDomain, 0},
    {"NaNPowFraction", NAN_TEXT " 0.5 ^", MsgPowerDomain, 0},
    {"NaNPowWhole", NAN_TEXT " 2 ^", MsgOk, 0, Check::NaN},
    {"TwoPowNaN", "2 " NAN_TEXT " ^", MsgOk, 0, Check::NaN},
    {"NegativePowNaN", "0 2 - " NAN_TEXT " ^", MsgOk, 0, Check::NaN},
    {"NegativePowInfinity", "0 2 - 1000 exp ^", MsgOk, kInf},
    // Square root shares the power's status.
    {"SqrtNegative", "0 1 - sqrt", MsgPowerDomain, 0},
    {"SqrtNaN", NAN_TEXT " sqrt", MsgPowerDomain, 0},
    {"SqrtZero", "0 sqrt", MsgOk, 0},
    {"Sqrt", "6.25 sqrt", MsgOk, 2.5},
    {"Sqr", "0 1.5 - sqr", MsgOk, 2.25},
    // Trigonometry: only an exact 0 or a NaN fails.
    {"TanZero", "0 tan", MsgOk, 0},
    {"TanOfInfinity", "1000 exp tan", MsgTanDomain, 0},
    {"TanNaN", NAN_TEXT " tan", MsgTanDomain, 0},
    {"TanNearestHalfPi", "p 2 / tan", MsgOk, 1.633123935319537e16, Check::Approx},
    {"CotZero", "0 cot", MsgCotDomain, 0},
    {"CotOfInfinity", "1000 exp cot", MsgCotDomain, 0},
    {"CotPi", "p cot", MsgOk, -8.165619676597685e15, Check::Approx},
    {"CotQuarterPi", "p 4 / cot", MsgOk, 1, Check::Ulp},
    {"SinCos", "p 2 / sin p cos +", MsgOk, 0},
    {"AsinOne", "1 asin", MsgOk, kHalfPiBits, Check::Ulp},
    {"AsinAbove", "2 asin", MsgAsinDomain, 0},
    {"AsinBelow", "0 1.5 - asin", MsgAsinDomain, 0},
    {"AsinNaN", NAN_TEXT " asin", MsgAsinDomain, 0},
    {"AcosMinusOne", "0 1 - acos", MsgOk, kPiBits, Check::Ulp},
    {"AcosAbove", "2 acos", MsgAcosDomain, 0},
    {"AcosBelow", "0 1.5 - acos", MsgAcosDomain, 0},
    {"AcosNaN", NAN_TEXT " acos", MsgAcosDomain, 0},
    {"Atan", "1 atan 4 *", MsgOk, kPiBits, Check::Ulp},
    {"AcotZero", "0 acot", MsgOk, kHalfPiBits},
    {"AcotNaN", NAN_TEXT " acot", MsgOk, kHalfPiBits},
    {"AcotMinusOneIsNegative", "0 1 - acot", MsgOk, -0.7853981633974483, Check::Ulp},
    {"AcotInfinity", "1000 exp acot", MsgOk, 0},
    // Logarithms and exp.
    {"LnZero", "0 ln", MsgLnDomain, 0},
    {"LnNegative", "0 1 - ln", MsgLnDomain, 0},
    {"LnNaN", NAN_TEXT " ln", MsgLnDomain, 0},
    {"LnE", "e ln", MsgOk, 1, Check::Ulp},
    {"LgZero", "0 lg", MsgLgDomain, 0},
    {"LgNegative", "0 1 - lg", MsgLgDomain, 0},
    {"LgNaN", NAN_TEXT " lg", MsgLgDomain, 0},
    {"Lg", "1000 lg", MsgOk, 3, Check::Ulp},
    {"ExpOverflowIsNoError", "1000 exp", MsgOk, kInf},
    // exp's limits, decided before any run-time is asked: +0 (not -0, not 1 + x) below ln of
    // half the least subnormal, +inf above ln of the largest double, the run-time's between.
    {"ExpFarBelowIsPlusZero", "0 12345.678 - exp", MsgOk, 0},
    {"ExpJustBelowIsPlusZero", "0 745.1332191019413 - exp", MsgOk, 0},
    {"ExpAtLeastSubnormal", "0 745.13 - exp", MsgOk, std::numeric_limits<double>::denorm_min()},
    {"ExpJustAboveIsInfinity", "709.7827128933841 exp", MsgOk, kInf},
    {"ExpBelowTheTopIsFinite", "709.78 exp", MsgOk, 1.7928227943945155e308, Check::Ulp},
    {"NaNIsAResult", NAN_TEXT, MsgOk, 0, Check::NaN},
    // Whole and fractional parts.
    {"TruncNegative", "0 2.7 - trunc", MsgOk, -2},
    {"TruncPositive", "2.7 trunc", MsgOk, 2},
    {"TruncInfinity", "1000 exp trunc", MsgOk, kInf},
    {"FracNegative", "0 2.5 - frac", MsgOk, -0.5},
    {"FracPositive", "2.75 frac", MsgOk, 0.75},
    {"CeilNegative", "0 2.5 - ceil", MsgOk, -2},
    {"FloorNegative", "0 2.5 - floor", MsgOk, -3},
    // round: a tie goes to the floor, for negative numbers too.
    {"RoundTwoAndAHalf", "2.5 round", MsgOk, 2},
    {"RoundOneAndAHalf", "1.5 round", MsgOk, 1},
    {"RoundHalf", "0.5 round", MsgOk, 0},
    {"RoundMinusHalf", "0 0.5 - round", MsgOk, -1},
    {"RoundMinusTwoAndAHalf", "0 2.5 - round", MsgOk, -3},
    {"RoundUp", "2.6 round", MsgOk, 3},
    {"RoundMinusTwoPointFour", "0 2.4 - round", MsgOk, -2},
    {"RoundNaN", NAN_TEXT " round", MsgOk, 0, Check::NaN},
    {"RoundInfinity", "1000 exp round", MsgOk, kInf},
    // The first undefined operation decides and the rest is not read.
    {"FirstFailureWins", "1 0 / 0 ln", MsgDivByZero, 0},
    {"FirstFailureWinsOtherOrder", "0 ln 1 0 /", MsgLnDomain, 0},
    // What is left and what is skipped.
    {"Empty", "", MsgOk, 0},
    {"OpenParenthesisSkipped", "2 3 + (", MsgOk, 5},
    {"NewestValueWins", "1 2 3", MsgOk, 3},
    {"LeadingPointSkipped", ".5", MsgOk, 0},
    {"LeadingPointSkippedBeforeValue", ".5 2", MsgOk, 2},
    {"UnknownTokensSkipped", "2 sinh SIN x ab ) 3 *", MsgOk, 6},
    {"LeadingSpace", " 5", MsgOk, 5},
    {"RunsOfSpaces", "2   3  +   ", MsgOk, 5},
    // Kind by the first character: an operator prefix makes an operator, a digit a number
    // read as far as strtod reads.
    {"OperatorPrefix", "2 3 +5", MsgOk, 5},
    {"MinusPrefix", "2 3 -sin", MsgOk, -1},
    {"NumberWithTail", "5x 1 +", MsgOk, 6},
    {"NumberWithSecondPoint", "1.2.3", MsgOk, 1.2},
    {"NumberWithExponent", "1e3 1 +", MsgOk, 1001},
    {"HexNumber", "0x10 1 +", MsgOk, 17},
    // A missing value counts as 0; the first value popped is the right operand.
    {"PlusAlone", "+", MsgOk, 0},
    {"MinusOneOperand", "5 -", MsgOk, -5},
    {"PlusOneOperand", "5 +", MsgOk, 5},
    {"PowerOneOperand", "2 ^", MsgOk, 0},
    {"PowerAlone", "^", MsgPowerDomain, 0},
    {"DivideOneOperand", "4 /", MsgOk, 0},
    {"DivideAlone", "/", MsgDivByZero, 0},
    {"CosAlone", "cos", MsgOk, 1},
    {"LnAlone", "ln", MsgLnDomain, 0},
    {"AcotAlone", "acot", MsgOk, kHalfPiBits},
};

INSTANTIATE_TEST_SUITE_P(Cases, EvaluateTest, ::testing::ValuesIn(kEvalCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Capacities

using EvaluateCapacity = HeapCheck;

TEST_F(EvaluateCapacity, LongestSumNeedsNoHeap) {
    std::string text = Cat("1 1", Repeat(" + 1", 254), " +");
    ASSERT_EQ(text.size(), 1021u);
    double result = 0;
    EXPECT_EQ(EvaluatePostfix(text.c_str(), &result), MsgOk);
    EXPECT_EQ(result, 256);
    EXPECT_EQ(Allocations(), 0u);
}

// 512 values fill the stack of the call exactly; 1023 and 1024 characters still fit it.
TEST_F(EvaluateCapacity, FiveHundredTwelveValuesWithoutHeap) {
    for (std::string text : {Cat(Repeat("0 ", 511), "7"), Cat(Repeat("1 ", 511), "7 "),
                             Cat(" ", Repeat("1 ", 511), "7")}) {
        double result = 0;
        EXPECT_EQ(EvaluatePostfix(text.c_str(), &result), MsgOk) << text.size();
        EXPECT_EQ(result, 7) << text.size();
    }
    std::string sum = Cat(Repeat("1 ", 511), "1", Repeat(" +", 511));
    double result = 0;
    EXPECT_EQ(EvaluatePostfix(sum.c_str(), &result), MsgOk);
    EXPECT_EQ(result, 512);
    EXPECT_EQ(Allocations(), 1u) << "the sum's text is longer than 1024 characters";
}

// 513 values in 1025 characters: the fewest a heap stack is taken for, every value of the text
// held at once. Its size must be exact: the newest value is the result.
TEST_F(EvaluateCapacity, FiveHundredThirteenValuesInTheShortestHeapStack) {
    std::string text = Cat(Repeat("1 ", 512), "7");
    ASSERT_EQ(text.size(), 1025u);
    double result = 0;
    EXPECT_EQ(EvaluatePostfix(text.c_str(), &result), MsgOk);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(Allocations(), 1u);
}

// A longer text with more values held at once than the stack of the call.
TEST_F(EvaluateCapacity, SixHundredValuesAtOnce) {
    std::string text = Cat(Repeat("1 ", 599), "1", Repeat(" +", 599));
    double result = 0;
    EXPECT_EQ(EvaluatePostfix(text.c_str(), &result), MsgOk);
    EXPECT_EQ(result, 600);
    std::string values = Cat(Repeat("2 ", 2000), "3");
    EXPECT_EQ(EvaluatePostfix(values.c_str(), &result), MsgOk);
    EXPECT_EQ(result, 3);
}

TEST_F(EvaluateCapacity, RefusedStackForALongTextIsReported) {
    std::string text = Cat(Repeat("1 ", 599), "1", Repeat(" +", 599));
    double result = 99;
    FaultPlan::Arm(1);
    EXPECT_EQ(EvaluatePostfix(text.c_str(), &result), StatusNoMemory);
    FaultPlan::Disarm();
    EXPECT_EQ(Bits(result), Bits(0.0));
}

TEST_F(EvaluateCapacity, LongNumbersReadWhole) {
    struct {
        std::string text;
        double value;
    } cases[] = {
        {Cat("1", std::string(299, '0')), 1e299},
        {Cat("0.", std::string(298, '0'), "1 2 *"), 2e-299},
        {Cat("2 ", std::string(400, '0'), "3.5 *"), 7},
        {Cat("1", std::string(299, '0'), ".", std::string(300, '0'), " 1e299 /"), 1},
    };
    for (const auto& c : cases) {
        double result = 0;
        EXPECT_EQ(EvaluatePostfix(c.text.c_str(), &result), MsgOk) << c.text;
        EXPECT_EQ(Bits(result), Bits(c.value)) << c.text;
    }
}

// ---------------------------------------------------------------------------------------------
// Formula to value through ToPostfix, as the dialog runs them

struct FormulaCase {
    const char* name;
    std::string formula;
    double value;
};

class FormulaTest : public HeapCheck, public ::testing::WithParamInterface<FormulaCase> {};

TEST_P(FormulaTest, Evaluates) {
    gVarA = -3;
    gVarB = 2;
    gVarC = 5;
    char* postfix = ToPostfix(GetParam().formula.c_str());
    ASSERT_NE(postfix, nullptr);
    double result = 0;
    EXPECT_EQ(EvaluatePostfix(postfix, &result), MsgOk) << postfix;
    EXPECT_DOUBLE_EQ(result, GetParam().value) << postfix;
    MemFree(postfix);
}

const FormulaCase kFormulaCases[] = {
    {"PowerLeftAssociative", "2^3^2", 64},
    {"PowerExplicitlyRightNested", "2^(3^2)", 512},
    {"MinusLeftAssociative", "2-3-4", -5},
    {"DivideLeftAssociative", "64/4/2", 8},
    {"Precedence", "2+3*4^2", 50},
    {"FunctionBeforePower", "sqr(a)^2", 81},
    {"RewrittenSign", "2*(0-a)+sin(p/2)", 7},
    {"NumberAndConstant", "12.5+exp(e)", 12.5 + std::exp(std::exp(1.0))},
    {"NumberOf300Digits", Cat("1", std::string(299, '0'), "*2"), 2e299},
};

INSTANTIATE_TEST_SUITE_P(Cases, FormulaTest, ::testing::ValuesIn(kFormulaCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// ParseNumber

struct ParseCase {
    const char* name;
    const char* text;
    StatusCode status;
    double value; // what is stored; the value before the call is 42
    bool nan = false;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, Reads) {
    const ParseCase& c = GetParam();
    double value = 42;
    EXPECT_EQ(ParseNumber(c.text, &value), c.status) << "'" << c.text << "'";
    if (c.nan)
        EXPECT_TRUE(std::isnan(value)) << "'" << c.text << "' gave " << value;
    else
        EXPECT_EQ(Bits(value), Bits(c.value)) << "'" << c.text << "' gave " << value;
}

const ParseCase kParseCases[] = {
    {"Decimal", "12.5", MsgOk, 12.5},
    {"LeadingSpace", " 7", MsgOk, 7},
    {"Negative", "-3", MsgOk, -3},
    {"PlusSign", "+4", MsgOk, 4},
    {"Exponent", "1.5e3", MsgOk, 1500},
    {"PointFirst", ".5", MsgOk, 0.5},
    {"PointLast", "5.", MsgOk, 5},
    // Forms the C library reads as well; kept as it reads them.
    {"Infinity", "inf", MsgOk, kInf},
    {"NegativeInfinity", "-Infinity", MsgOk, -kInf},
    {"NotANumber", "nan", MsgOk, 0, true},
    {"Hexadecimal", "0x10", MsgOk, 16},
    {"OverflowToInfinity", "1e999", MsgOk, kInf},
    {"UnderflowToZero", "1e-999", MsgOk, 0},
    // Incomplete numbers: the value read so far is stored all the same.
    {"TrailingSpace", "7 ", MsgBadVariable, 7},
    {"Comma", "1,5", MsgBadVariable, 1},
    {"SecondPoint", "1.2.3", MsgBadVariable, 1.2},
    {"Letters", "abc", MsgBadVariable, 0},
    {"SpaceOnly", " ", MsgBadVariable, 0},
    {"Empty", "", MsgBadVariable, 42}, // untouched
};

INSTANTIATE_TEST_SUITE_P(Cases, ParseNumberTest, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every number is read to exactly the double that strtod gives for it, whatever its form: plain
// decimals (which the evaluator may read without strtod where that gives the same double),
// decimals with more digits than a double holds exactly, and the other forms strtod reads. Both
// readers, the evaluator's and ParseNumber, over a fixed list and over random digit strings.
TEST(NumberReading, EveryNumberGivesStrtodsDouble) {
    std::vector<std::string> numbers = {"0",
                                        "7",
                                        "0.1",
                                        "0.3",
                                        "1.",
                                        "4.35",
                                        "0.000000000000001",
                                        "0.0000000000000001",
                                        "123456789012345",
                                        "1234567890123456",
                                        "999999999999999",
                                        "99999999999999.9",
                                        "9007199254740993",
                                        "0.123456789012345",
                                        "0.1234567890123456",
                                        "2.2250738585072014",
                                        "1.7976931348623157",
                                        "00000000000000000001",
                                        "000000000000000.5",
                                        "12.",
                                        "1e5",
                                        "1.5e-3",
                                        "0x1p3",
                                        "1.2.3",
                                        "5x"};
    std::mt19937 random(20261210);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 20);
        std::string text;
        for (int d = 0; d < digits; ++d)
            text += static_cast<char>('0' + random() % 10);
        const int point = static_cast<int>(random() % (digits + 2)); // digits + 1: no point
        if (point <= digits)
            text.insert(static_cast<std::size_t>(point), 1, '.');
        numbers.push_back(text);
    }
    for (const std::string& text : numbers) {
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        double value = 42;
        EXPECT_EQ(ParseNumber(text.c_str(), &value), *end == '\0' ? MsgOk : MsgBadVariable) << text;
        EXPECT_EQ(Bits(value), Bits(expected)) << text << " read as " << value;
        if (text[0] == '.')
            continue; // no number for the evaluator: a token starting with a point is skipped
        double result = 42;
        EXPECT_EQ(EvaluatePostfix(Cat(text, " 0 +").c_str(), &result), MsgOk) << text;
        EXPECT_EQ(Bits(result), Bits(expected)) << text << " evaluated as " << result;
    }
}

// The formula language's decimal mark is '.', whatever the process's locale: a host sets the
// user's locale (the current host calls setlocale(LC_ALL, "")), and the C library's strtod
// follows its LC_NUMERIC. Under a locale whose decimal mark is a comma, "12.5" stays 12.5 and
// "12,5" stays no number, in a variable field and in a formula. The locale is the tests' own
// (numo_locale in tests/CMakeLists.txt, found through LOCPATH), so this never depends on the
// machine's locales.
class CommaLocale : public ::testing::Test {
protected:
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, NumbersAreReadWithAPointWhateverTheProcessLocale) {
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the tests' de_DE.UTF-8 locale is missing (LOCPATH="
        << (std::getenv("LOCPATH") != nullptr ? std::getenv("LOCPATH") : "") << ")";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "the locale's decimal mark";
    // The C library's own reading follows the locale: what the module must not rest on.
    ASSERT_EQ(std::strtod("12.5", nullptr), 12);

    struct Case {
        const char* text;
        StatusCode status;
        double value;
    };
    for (const Case& c :
         {Case{"12.5", MsgOk, 12.5}, Case{"12,5", MsgBadVariable, 12}, Case{"1.5e3", MsgOk, 1500},
          Case{"-0.25", MsgOk, -0.25}, Case{"0.1234567890123456789", MsgOk, 0.1234567890123456789},
          Case{"1,", MsgBadVariable, 1}}) {
        double value = 0;
        EXPECT_EQ(ParseNumber(c.text, &value), c.status) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    double result = 0;
    EXPECT_EQ(EvaluatePostfix("12.5 2 *", &result), MsgOk);
    EXPECT_EQ(result, 25);
    EXPECT_EQ(EvaluatePostfix("0.1 0.2 +", &result), MsgOk);
    EXPECT_EQ(result, 0.1 + 0.2);
    EXPECT_EQ(EvaluatePostfix("1.25e1 0.00000000000000001 +", &result), MsgOk);
    EXPECT_EQ(result, 12.5);
}

// The reader of the Windows build (which has no locale objects), run here through glibc's strtod
// in the comma locale: every number reads to the double and stops at the character where strtod
// stops in the "C" locale.
TEST_F(CommaLocale, TheReaderThroughTheLocaleReadsAsInTheCLocale) {
    std::vector<std::string> numbers = {"12.5",
                                        "12,5",
                                        "1,",
                                        "1.5e3",
                                        "1.5e-3",
                                        "-0.25",
                                        "+.5",
                                        ".5",
                                        "5.",
                                        "1.2.3",
                                        "0x1.8p1",
                                        "inf",
                                        "-nan",
                                        "1e400",
                                        "12.5 3",
                                        "12.5,3",
                                        "",
                                        "x",
                                        "0.",
                                        "00000000000000000001.5",
                                        std::string(300, '7') + ".25",
                                        "0." + std::string(400, '0') + "1"};
    std::mt19937 random(20261211);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int length = 1 + static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k)
            text += "0123456789..e-,"[random() % 15];
        numbers.push_back(text);
    }
    struct Read {
        std::uint64_t bits;
        std::ptrdiff_t used;
    };
    std::vector<Read> inC;
    for (const std::string& text : numbers) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        inC.push_back({std::isnan(value) ? 0 : Bits(value), end - text.c_str()});
    }
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::string& text = numbers[i];
        char* end = nullptr;
        const double value = ReadDotNumberThroughLocale(text.c_str(), &end);
        EXPECT_EQ(std::isnan(value) ? 0 : Bits(value), inC[i].bits) << "'" << text << "'";
        EXPECT_EQ(end - text.c_str(), inC[i].used) << "'" << text << "'";
    }
}

} // namespace
