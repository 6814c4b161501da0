// The syntax checker: its refusal table, long texts, and the guarantees of an accepted formula
// checked over every short formula of a small alphabet.
#include "engine/evaluator.h"
#include "engine/formula_grammar.h"
#include "engine/heap.h"
#include "engine/postfix.h"
#include "engine/signs.h"
#include "engine/status.h"
#include "engine/validator.h"
#include "engine/vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
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

// Bytes above 0x7f (negative as char) are outside AllowedChars; in a set that admits them they
// are letters like any other character the scan has no class for.
TEST(Validator, HighBytesAreLettersOfNoName) {
    BuildAllowedChars();
    const std::string withHigh = std::string(AllowedChars) + "\xff\x80\xe9";
    const struct {
        const char* formula;
        const char* allowed;
        StatusCode expected;
    } cases[] = {
        {"2*\xff", AllowedChars, MsgBadChar},
        {"\x80", AllowedChars, MsgBadChar},
        {"\xff", withHigh.c_str(), MsgBadWord},
        {"2+\xe9", withHigh.c_str(), MsgBadWord},
        {"a\xe9+1", withHigh.c_str(), MsgBadWord},
        {"\x80(1)", withHigh.c_str(), MsgBadWord},
        {"sin\xff(1)", withHigh.c_str(), MsgBadWord},
        {"2\xff", withHigh.c_str(), MsgLetterAfterOperand},
        {"(1)\x80", withHigh.c_str(), MsgLetterAfterOperand},
        {"\xff", "\xff", MsgBadWord},
        {"1", "\xff", MsgBadChar},
        {"sin(2)*a", withHigh.c_str(), MsgOk},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidateFormula(c.formula, c.allowed), c.expected)
            << "'" << c.formula << "' with set '" << c.allowed << "'";
}

// ---- The guarantees of an accepted formula, over every short formula -------------------------

// The balance rule on its own: 9 at the first ")" without its "(", 10 when totals differ.
StatusCode BalanceFault(const std::string& formula) {
    int depth = 0;
    for (char ch : formula) {
        depth += ch == '(' ? 1 : ch == ')' ? -1 : 0;
        if (depth < 0)
            return MsgCloseBeforeOpen;
    }
    return depth != 0 ? MsgParenCount : MsgOk;
}

// The run that follows acceptance: rewrite the signs, convert, check the postfix, evaluate.
// Returns an empty text when every guarantee held, else what failed.
std::string CheckAcceptedChain(const std::string& formula) {
    std::vector<char> buffer(SignRewriteCapacity(formula.size()));
    std::memcpy(buffer.data(), formula.c_str(), formula.size() + 1);
    if (!RewriteSigns(buffer.data(), buffer.size()))
        return "sign rewriting refused";
    const std::string rewritten = buffer.data();
    InfixReader infix(rewritten, false);
    if (!infix.ReadAll())
        return "rewritten as '" + rewritten + "', which leaves an operator or a function short";
    char* postfix = ToPostfix(rewritten.c_str());
    if (postfix == nullptr)
        return "ToPostfix gave null";
    const std::string text = postfix;
    MemFree(postfix);
    const std::string fault = CheckPostfix(text, infix);
    if (!fault.empty())
        return "postfix '" + text + "': " + fault;
    double value = 0;
    const StatusCode status = EvaluatePostfix(text.c_str(), &value);
    if (status != MsgOk && (status < MsgDivByZero || status > MsgLgDomain))
        return "postfix '" + text + "' evaluates with status " + std::to_string(status);
    return "";
}

// Judges every formula of at most maxSymbols symbols of the alphabet, each symbol a text of one or
// more characters.
struct Enumeration {
    Enumeration(std::vector<const char*> symbols, int maxSymbols)
        : alphabet(std::move(symbols)), maxSymbols(maxSymbols) {}

    const std::vector<const char*> alphabet;
    const int maxSymbols;
    char text[64];
    long long formulas = 0;
    long long accepted = 0;
    long long byCode[MsgLeadingOperator + 1] = {};
    int failures = 0;

    void Fail(const std::string& what) {
        if (++failures <= 20)
            ADD_FAILURE() << "'" << text << "': " << what;
    }

    void Judge(std::size_t length) {
        ++formulas;
        const std::string formula(text, length);
        const StatusCode code = ValidateFormula(text, AllowedChars);
        if (code < MsgOk || code > MsgLeadingOperator) {
            Fail("code " + std::to_string(code) + " outside 8..24");
            return;
        }
        ++byCode[code];
        // Passes 1 and 2 win over pass 3, wherever the faults lie.
        const StatusCode balance = BalanceFault(formula);
        if (formula.find('z') != std::string::npos) {
            if (code != MsgBadChar)
                Fail("char outside the set, got " + std::to_string(code));
            return;
        }
        if (balance != MsgOk) {
            if (code != balance)
                Fail("balance gives " + std::to_string(balance) + ", got " + std::to_string(code));
            return;
        }
        if (code == MsgBadChar || code == MsgCloseBeforeOpen || code == MsgParenCount)
            Fail("a pass-1 or pass-2 code for a text without such a fault: " +
                 std::to_string(code));
        if ((code == MsgNoOperand) != formula.empty())
            Fail("22 is for the empty text only, got " + std::to_string(code));
        // Accepted exactly when the grammar reads it.
        if (InfixReader(formula, true).ReadAll() != (code == MsgOk))
            Fail("the grammar disagrees with code " + std::to_string(code));
        if (code == MsgOk) {
            ++accepted;
            const std::string fault = CheckAcceptedChain(formula);
            if (!fault.empty())
                Fail(fault);
        }
    }

    void Walk(std::size_t length, int symbols) {
        text[length] = '\0';
        Judge(length);
        if (symbols == maxSymbols || failures > 20)
            return;
        for (const char* symbol : alphabet) {
            const std::size_t size = std::strlen(symbol);
            std::memcpy(text + length, symbol, size);
            Walk(length + size, symbols + 1);
        }
    }
};

void RunEnumeration(Enumeration& run) {
    InitHeap();
    BuildAllowedChars();
    gVarA = 2;
    gVarB = 3;
    gVarC = 5;
    const auto start = std::chrono::steady_clock::now();
    run.Walk(0, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long long expected = 0;
    for (long long power = 1, k = 0; k <= run.maxSymbols; ++k, power *= run.alphabet.size())
        expected += power;
    EXPECT_EQ(run.formulas, expected);
    std::printf("[ property ] %zu symbols, at most %d: %lld formulas, %lld accepted, %.2f s\n",
                run.alphabet.size(), run.maxSymbols, run.formulas, run.accepted, seconds);
}

// The alphabet reaches every class and every pair of what may follow what: both kinds of
// operator, a digit, a point, parentheses, the one-letter names a and e (e also begins "exp"),
// a function name as one symbol, letters that spell it or form no name ("s", "is", "sinn"), and
// a character outside the set.
TEST(ValidatorProperty, EveryShortFormula) {
    Enumeration run({"1", ".", "a", "e", "(", ")", "+", "-", "*", "^", "s", "i", "n", "z", "sin"},
                    6);
    RunEnumeration(run);
    // Rich enough to reach every outcome of the checker.
    for (StatusCode code = MsgOk; code <= MsgLeadingOperator; ++code)
        EXPECT_GT(run.byCode[code], 0) << "no formula gives " << code;
}

// Fewer symbols, longer formulas: most of what the checker accepts has several operators,
// signs and nested calls, which the postfix conversion must all keep.
TEST(ValidatorProperty, EveryLongerFormulaOfOperandsAndOperators) {
    Enumeration run({"1", "(", ")", "+", "-", "*", "^", "sin"}, 8);
    RunEnumeration(run);
    EXPECT_GT(run.accepted, 0);
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
        {"511-character number", number, MsgOk},
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
        if (c.expected == MsgOk) {
            InitHeap();
            EXPECT_EQ(CheckAcceptedChain(c.formula), "") << c.what;
        }
    }
}

} // namespace
