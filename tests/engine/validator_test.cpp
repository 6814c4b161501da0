// The syntax checker: its refusal table, long texts, and the guarantees of an accepted formula
// checked over every short formula of a small alphabet.
#include "engine/status.h"
#include "engine/validator.h"
#include "engine/vocabulary.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string formula;
    StatusCode expected;
};

// Printable row names: the expected message and the formula spelled with letters and digits.
std::string RowName(const Row& row) {
    static const char* const kCodeNames[] = {"Ok",
                                             "CloseBeforeOpen",
                                             "ParenCount",
                                             "BadChar",
                                             "BadWord",
                                             "LetterAfterOperand",
                                             "MisplacedPoint",
                                             "SecondPoint",
                                             "NoParenAfterFunction",
                                             "BadAfterVariable",
                                             "DigitAfterClose",
                                             "MisplacedOpen",
                                             "MisplacedClose",
                                             "DoubleOperator",
                                             "NoOperand",
                                             "TrailingOperator",
                                             "LeadingOperator"};
    std::string name = kCodeNames[row.expected - MsgOk];
    name += '_';
    if (row.formula.empty())
        return name + "empty";
    if (row.formula.size() > 40) // the long ones: their length and first character suffice
        return name + "Long" + std::to_string(row.formula.size()) + "_" + row.formula.substr(0, 1);
    static const char* const kSpelled[][2] = {
        {"(", "Op"},  {")", "Cl"},  {"+", "Plus"}, {"-", "Minus"}, {"*", "Mul"},
        {"/", "Div"}, {"^", "Pow"}, {".", "Dot"},  {",", "Comma"}, {"=", "Eq"}};
    for (char ch : row.formula) {
        const char* spelled = nullptr;
        for (const auto& pair : kSpelled)
            if (pair[0][0] == ch)
                spelled = pair[1];
        if (spelled != nullptr)
            name += spelled;
        else if (std::isalnum(static_cast<unsigned char>(ch)))
            name += ch;
        else
            name += "Chr" + std::to_string(static_cast<unsigned char>(ch));
    }
    return name;
}

void PrintTo(const Row& row, std::ostream* os) {
    *os << "'" << row.formula << "' gives " << row.expected;
}

// Every row of the refusal table, the further points, and which pass wins when faults meet.
const Row kRows[] = {
    // Accepted formulas.
    {"a", MsgOk},
    {"p", MsgOk},
    {"e", MsgOk},
    {"-2", MsgOk},
    {"+2", MsgOk},
    {"(-2)", MsgOk},
    {"(+2)", MsgOk},
    {"((-1))", MsgOk},
    {"-(-2)", MsgOk},
    {"-sin(1)", MsgOk},
    {"sqrt(4)", MsgOk},
    {"sqr(2)", MsgOk},
    {"asin(1)", MsgOk},
    {"exp(1)", MsgOk},
    {"ln(e)", MsgOk},
    {"lg(100)", MsgOk},
    {"round(2.5)", MsgOk},
    {"floor(-2.5)", MsgOk},
    {"a+b*c", MsgOk},
    {"(a+b)*c", MsgOk},
    {"2*(3+4)^2", MsgOk},
    {"e^2", MsgOk},
    {"12.34", MsgOk},
    {"1.5+2.5", MsgOk},
    {"2^0.5", MsgOk},
    {"1/0", MsgOk},
    {"(a)", MsgOk},
    {"trunc(c)-frac(b)*ceil(p)/atan(acot(cot(tan(cos(e)))))", MsgOk},
    // 11: a character outside the set, case-sensitive; it wins over any later fault.
    {"z", MsgBadChar},
    {"w", MsgBadChar},
    {"2,5", MsgBadChar},
    {"1=1", MsgBadChar},
    {"A", MsgBadChar},
    {"SIN(1)", MsgBadChar},
    {"a b", MsgBadChar},
    {")z", MsgBadChar},
    {"((z", MsgBadChar},
    {"2a+z", MsgBadChar},
    // 9: a ")" ahead of its "(", even with equal totals; it wins over pass-3 faults.
    {")", MsgCloseBeforeOpen},
    {")(", MsgCloseBeforeOpen},
    {"a)", MsgCloseBeforeOpen},
    {"(2))(", MsgCloseBeforeOpen},
    {"())(", MsgCloseBeforeOpen},
    {"*2a)", MsgCloseBeforeOpen},
    // 10: totals differ; it wins over pass-3 faults.
    {"(", MsgParenCount},
    {"((2)", MsgParenCount},
    {"a(", MsgParenCount},
    {"2(", MsgParenCount},
    {"(*.", MsgParenCount},
    {"sin(", MsgParenCount},
    // 12: a run of letters that is no name, judged as a whole.
    {"x", MsgBadWord},
    {"pi", MsgBadWord},
    {"ab", MsgBadWord},
    {"ee", MsgBadWord},
    {"abc", MsgBadWord},
    {"sinx", MsgBadWord},
    {"sinsin(1)", MsgBadWord},
    {"sq(2)", MsgBadWord},
    {"sqrtt(4)", MsgBadWord},
    {"2+ab", MsgBadWord},
    {"(pi)", MsgBadWord},
    {std::string(300, 'a'), MsgBadWord},
    {"2*" + std::string(300, 's') + "(1)", MsgBadWord},
    {std::string(300, 'e') + "+1", MsgBadWord},
    // 13: a letter right after ")", a digit or a point.
    {"2a", MsgLetterAfterOperand},
    {"(a)b", MsgLetterAfterOperand},
    {"(2)a", MsgLetterAfterOperand},
    {"5.a", MsgLetterAfterOperand},
    {"2.5a", MsgLetterAfterOperand},
    {"sin(1)a", MsgLetterAfterOperand},
    {"2sin(1)", MsgLetterAfterOperand},
    {"1e5", MsgLetterAfterOperand},
    // 14: a point not right after a digit.
    {".5", MsgMisplacedPoint},
    {"1..2", MsgMisplacedPoint},
    {"(.5)", MsgMisplacedPoint},
    {"0.5*.5", MsgMisplacedPoint},
    {"a*.5", MsgMisplacedPoint},
    {".", MsgMisplacedPoint},
    // 15: a second point in one number, caught before the end rule.
    {"1.2.3", MsgSecondPoint},
    {"1.5.", MsgSecondPoint},
    // 16: a function name not followed by "(", also at the end of the text.
    {"sin", MsgNoParenAfterFunction},
    {"sin2", MsgNoParenAfterFunction},
    {"sin+1", MsgNoParenAfterFunction},
    {"(sin)", MsgNoParenAfterFunction},
    {"1+floor", MsgNoParenAfterFunction},
    // 17: a one-letter name before "(", a digit, or a point that is not last.
    {"a5", MsgBadAfterVariable},
    {"a.5", MsgBadAfterVariable},
    {"e2", MsgBadAfterVariable},
    {"a(1)", MsgBadAfterVariable},
    // 18: a digit right after ")".
    {"(1)2", MsgDigitAfterClose},
    {"sin(1)2", MsgDigitAfterClose},
    // 19: "(" right after ")", a digit or a point.
    {"2(3)", MsgMisplacedOpen},
    {"(2)(3)", MsgMisplacedOpen},
    {"sin(1)(2)", MsgMisplacedOpen},
    {"2.(1)", MsgMisplacedOpen},
    // 20: ")" right after "(", an operator or a point.
    {"()", MsgMisplacedClose},
    {"(())", MsgMisplacedClose},
    {"sin()", MsgMisplacedClose},
    {"(-)", MsgMisplacedClose},
    {"(+)", MsgMisplacedClose},
    {"(2.)", MsgMisplacedClose},
    // 21: an operator right after an operator or a point.
    {"2+*3", MsgDoubleOperator},
    {"2*-3", MsgDoubleOperator},
    {"2--3", MsgDoubleOperator},
    {"2^-1", MsgDoubleOperator},
    {"2^^3", MsgDoubleOperator},
    {"2.+1", MsgDoubleOperator},
    {"+-2", MsgDoubleOperator},
    {"(+-2)", MsgDoubleOperator},
    // 22: nothing to compute.
    {"", MsgNoOperand},
    // 23: the end rule; a point after a one-letter name at the end reaches it.
    {"5.", MsgTrailingOperator},
    {"2+", MsgTrailingOperator},
    {"a+", MsgTrailingOperator},
    {"+", MsgTrailingOperator},
    {"-", MsgTrailingOperator},
    {"a.", MsgTrailingOperator},
    // 24: "*", "/" or "^" at the start or right after "(".
    {"*2", MsgLeadingOperator},
    {"^2", MsgLeadingOperator},
    {"*", MsgLeadingOperator},
    {"(*2)", MsgLeadingOperator},
    {"(/2)", MsgLeadingOperator},
    // The leftmost fault decides, not the kind of fault.
    {"2a.5", MsgLetterAfterOperand},
    {".5+", MsgMisplacedPoint},
    {"x2(", MsgParenCount},
    {"sin(1)2a", MsgDigitAfterClose},
    {"(2)(3)a", MsgMisplacedOpen},
};

class ValidatorTable : public testing::TestWithParam<Row> {
protected:
    static void SetUpTestSuite() { BuildAllowedChars(); }
};

TEST_P(ValidatorTable, GivesTheFirstFault) {
    const Row& row = GetParam();
    const std::string formula = row.formula;
    const std::string allowed = AllowedChars;
    EXPECT_EQ(ValidateFormula(formula.c_str(), AllowedChars), row.expected);
    // Both inputs are only read.
    EXPECT_EQ(formula, row.formula);
    EXPECT_EQ(std::string(AllowedChars), allowed);
}

INSTANTIATE_TEST_SUITE_P(Rows, ValidatorTable, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                             return RowName(info.param);
                         });

TEST(Validator, AllowedSetIsTheOneGiven) {
    BuildAllowedChars();
    // Order and repeats of the set do not matter.
    std::string reversed(AllowedChars);
    reversed.assign(reversed.rbegin(), reversed.rend());
    reversed += "aaa((";
    for (const char* formula : {"sqrt(2)*p", "2a", "x", "(-1)", "e.", "floor(b)"})
        EXPECT_EQ(ValidateFormula(formula, reversed.c_str()),
                  ValidateFormula(formula, AllowedChars))
            << formula;
    // What the set leaves out is refused, even characters the scan knows.
    EXPECT_EQ(ValidateFormula("sin(1)", kBaseSet), MsgBadChar);
    EXPECT_EQ(ValidateFormula("2*e", kBaseSet), MsgOk);
    EXPECT_EQ(ValidateFormula("2*e", "2*"), MsgBadChar);
}

// Formulas of 511 characters, the most a formula field holds: accepted ones, and ones whose only
// fault lies near the far end.
TEST(Validator, FullLengthFormulas) {
    BuildAllowedChars();
    std::string nested; // '(-(-...(-1)...))'
    for (int i = 0; i < 170; ++i)
        nested += "(-";
    nested += "1" + std::string(170, ')');

    std::string sum = "1"; // '1+1+...+1'
    while (sum.size() < 511)
        sum += "+1";

    std::string number(511, '7'); // one number with a point in the middle
    number[255] = '.';

    std::string calls; // 'sqrt(sqrt(...sqrt(a)...))'
    for (int i = 0; i < 85; ++i)
        calls += "sqrt(";
    calls += "a" + std::string(85, ')');

    std::string unclosed = nested; // one ")" short, and a trailing operator: balance wins
    unclosed.back() = '+';
    std::string trailing = sum; // '1+...+1+11+'
    trailing.replace(509, 2, "1+");
    std::string pointAfterOperator = sum;
    pointAfterOperator.back() = '.';
    std::string secondPoint = number;
    secondPoint[509] = '.';
    std::string badCentre = calls;
    badCentre[85 * 5] = 'x';
    const std::string letters(511, 'c');

    struct Case {
        const char* what;
        const std::string& formula;
        StatusCode expected;
    };
    const Case cases[] = {
        {"170 nested (-", nested, MsgOk},
        {"256 ones summed", sum, MsgOk},
        {"511-digit number", number, MsgOk},
        {"85 nested sqrt", calls, MsgOk},
        {"nested, last ) replaced by +", unclosed, MsgParenCount},
        {"sum ending in +", trailing, MsgTrailingOperator},
        {"sum ending in +.", pointAfterOperator, MsgMisplacedPoint},
        {"number with a second point near the end", secondPoint, MsgSecondPoint},
        {"85 nested sqrt around x", badCentre, MsgBadWord},
        {"511 letters", letters, MsgBadWord},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.formula.size(), 511u) << c.what;
        const std::string copy = c.formula;
        EXPECT_EQ(ValidateFormula(c.formula.c_str(), AllowedChars), c.expected) << c.what;
        EXPECT_EQ(c.formula, copy) << c.what;
    }
}

} // namespace
