// Token stack, tokenizer, priorities and the conversion to postfix text.
#include "engine/heap.h"
#include "engine/heap_check.h"
#include "engine/postfix.h"
#include "engine/vocabulary.h"

#include "engine/reference.h"

#include "engine/text_build.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs ToPostfix and hands back its text, releasing the buffer; "<null>" when it gave none.
std::string Convert(const std::string& formula) {
    char* postfix = ToPostfix(formula.c_str());
    if (postfix == nullptr)
        return "<null>";
    std::string text = postfix;
    MemFree(postfix);
    return text;
}

// Splits a formula with the reference tokenizer, joining the tokens with '|'.
std::string Tokens(const char* text) {
    std::string joined;
    while (*text != '\0') {
        const std::string token = reference::NextToken(text);
        if (!joined.empty())
            joined += '|';
        joined += token;
        text += token.size();
    }
    return joined;
}

// ---------------------------------------------------------------------------------------------
// TokenStack

using TokenStackTest = HeapCheck;
using Conversion = HeapCheck;

TEST_F(TokenStackTest, EmptyStackGivesNullAndAllocatesNothing) {
    TokenStack stack;
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(stack.Top(), nullptr);
    stack.Discard(); // nothing to pop
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(Allocations(), 0u);
}

TEST_F(TokenStackTest, PopsInReverseOrderAndTopIsTheNodeText) {
    TokenStack stack;
    for (const char* text : {"(", "+", "sqrt"})
        ASSERT_TRUE(stack.Push(text));
    const char* top = stack.Top();
    EXPECT_STREQ(top, "sqrt");
    EXPECT_EQ(stack.Top(), top) << "Top must give the node's own text, not a new copy";
    for (const char* expected : {"sqrt", "+", "("}) {
        EXPECT_STREQ(stack.Top(), expected);
        stack.Discard();
    }
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(Allocations(), Frees()) << "every node released as it is popped";
}

TEST_F(TokenStackTest, PushKeepsTheFirst259Characters) {
    std::string longText(300, 'x');
    longText[258] = 'L'; // last character kept
    longText[259] = 'C'; // first character cut
    TokenStack stack;
    ASSERT_TRUE(stack.Push(longText.c_str()));
    EXPECT_EQ(std::string(stack.Top()), longText.substr(0, 259));
}

// A node made from a recycled dirty block must still read as zeros past its text.
TEST_F(TokenStackTest, NodesAndCopiesAreZeroFilledPastTheText) {
    for (int i = 0; i < 4; ++i) {
        void* dirty = MemAlloc(sizeof(TokenNode));
        ASSERT_NE(dirty, nullptr);
        std::memset(dirty, 0xAB, sizeof(TokenNode));
        MemFree(dirty);
    }
    TokenStack stack;
    ASSERT_TRUE(stack.Push("ab"));
    const char* text = stack.Top();
    for (int i = 2; i < kTokenTextSize; ++i)
        ASSERT_EQ(text[i], '\0') << "node byte " << i;
}

TEST_F(TokenStackTest, PushReportsARefusedNodeAndKeepsTheStack) {
    TokenStack stack;
    ASSERT_TRUE(stack.Push("("));
    FaultPlan::Arm(1);
    EXPECT_FALSE(stack.Push("+"));
    FaultPlan::Disarm();
    EXPECT_STREQ(stack.Top(), "(");
}

TEST_F(TokenStackTest, DestructionReleasesEveryNode) {
    {
        TokenStack stack;
        for (int i = 0; i < 50; ++i)
            ASSERT_TRUE(stack.Push("^"));
        EXPECT_EQ(Allocations(), 50u);
    }
    EXPECT_EQ(Frees(), 50u);
}

// ---------------------------------------------------------------------------------------------
// The reference tokenizer and priorities, pinned to the rules so that the step-by-step
// conversion below is a check worth having.

struct TokenCase {
    const char* name;
    const char* text;
    const char* tokens; // joined with '|'
};

class NextTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(NextTokenTest, SplitsAsExpected) {
    EXPECT_EQ(Tokens(GetParam().text), GetParam().tokens) << GetParam().text;
}

const TokenCase kTokenCases[] = {
    {"SqrtBeforeSqr", "sqrt(9)", "sqrt|(|9|)"},
    {"SqrAlone", "sqr(3)", "sqr|(|3|)"},
    {"AcosNotAThenCos", "acos(1)", "acos|(|1|)"},
    {"NumberWithPoint", "12.5*a", "12.5|*|a"},
    {"PointsAndDigitsInAnyMix", "1.2.3+.5.", "1.2.3|+|.5."},
    {"NamesBackToBack", "lgln(e)", "lg|ln|(|e|)"},
    {"NameFoundAsPrefix", "sinh", "sin|h"},
    {"ShortNameLongerText", "expe", "exp|e"},
    {"SingleCharacters", "(p-e)/c^b", "(|p|-|e|)|/|c|^|b"},
    {"UnknownLettersOneByOne", "xyz", "x|y|z"},
    {"CapitalsAreNoNames", "SIN(1)", "S|I|N|(|1|)"},
    {"NumberAfterName", "floor(10.25)", "floor|(|10.25|)"},
};

INSTANTIATE_TEST_SUITE_P(Cases, NextTokenTest, ::testing::ValuesIn(kTokenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Tokenizer, NextTokenFindsEveryName) {
    for (const char* name : FunctionNames)
        EXPECT_EQ(reference::NextToken((std::string(name) + "(1)").c_str()), name);
    std::string number = Cat("1", std::string(298, '0'), ".5"); // 301 characters, kept whole
    EXPECT_EQ(reference::NextToken((number + "+2").c_str()), number);
}

// ---------------------------------------------------------------------------------------------
// TokenPriority

struct PriorityCase {
    const char* token;
    int priority;
};

class TokenPriorityTest : public ::testing::TestWithParam<PriorityCase> {};

TEST_P(TokenPriorityTest, Ranks) {
    EXPECT_EQ(reference::TokenPriority(GetParam().token), GetParam().priority) << GetParam().token;
}

const PriorityCase kPriorityCases[] = {
    {"(", 0},  {")", 1},     {"+", 2},   {"-", 2},    {"*", 3},      {"/", 3},
    {"^", 4},  {"floor", 5}, {"sin", 5}, {"sqr", 5},  {"a", -1},     {"p", -1},
    {"e", -1}, {"12", -1},   {"7", -1},  {"SIN", -1}, {"sinh", -1},  {"", -1},
    {"x", -1}, {"((", -1},   {"+-", -1}, {"^2", -1},  {"sqrt(", -1}, {".", -1},
};

INSTANTIATE_TEST_SUITE_P(Cases, TokenPriorityTest, ::testing::ValuesIn(kPriorityCases));

TEST(TokenPriority, EveryNameIsAFunction) {
    for (const char* name : FunctionNames)
        EXPECT_EQ(reference::TokenPriority(name), 5) << name;
}

// ---------------------------------------------------------------------------------------------
// ToPostfix

struct ConversionCase {
    const char* name;
    const char* formula;
    const char* postfix;
};

class ToPostfixTest : public HeapCheck, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(ToPostfixTest, Converts) {
    EXPECT_EQ(Convert(GetParam().formula), GetParam().postfix) << GetParam().formula;
}

const ConversionCase kConversionCases[] = {
    {"PowerIsLeftAssociative", "2^3^2", "2 3 ^ 2 ^"},
    {"MinusIsLeftAssociative", "2-3-4", "2 3 - 4 -"},
    {"DivideIsLeftAssociative", "8/4/2*3", "8 4 / 2 / 3 *"},
    {"Parentheses", "a*(b+c)", "a b c + *"},
    {"NestedFunctions", "sin(cos(0))", "0 cos sin"},
    {"FunctionAsExponent", "2^sin(a)", "2 a sin ^"},
    {"FunctionBindsTighterThanPower", "sin(a)^2", "a sin 2 ^"},
    {"SqrtNotSqr", "sqrt(4)", "4 sqrt"},
    {"NumberAndConstant", "12.5+exp(e)", "12.5 e exp +"},
    {"RewrittenSign", "2*(0-a)+sin(p/2)", "2 0 a - * p 2 / sin +"},
    {"ParenthesisedNumber", "(5)", "5"},
    {"OneOperand", "7", "7"},
    {"DoubleParentheses", "((a))", "a"},
    {"ProductBeforeSum", "2+3*4", "2 3 4 * +"},
    {"ProductThenSum", "2*3+4", "2 3 * 4 +"},
    {"PowerBeforeProduct", "2^3*4", "2 3 ^ 4 *"},
    {"SumInsidePower", "2^(3+4)*5", "2 3 4 + ^ 5 *"},
    {"FunctionOfSum", "ln(a+b)*c", "a b + ln c *"},
    {"FunctionsSideBySide", "sqr(a)+sqrt(b)-round(c)", "a sqr b sqrt + c round -"},
    {"NumberKeptWhole", "1.2.3+10", "1.2.3 10 +"},
    {"Empty", "", ""},
    // Texts the checker refuses still convert by the same rules.
    {"UnclosedParenthesisGoesOut", "(2+3", "2 3 + ("},
    {"StrayCloseEmptiesTheStack", "2+3)*4", "2 3 + 4 *"},
    {"CloseAlone", ")", ""},
    {"OpenAlone", "(", "("},
};

INSTANTIATE_TEST_SUITE_P(Cases, ToPostfixTest, ::testing::ValuesIn(kConversionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// '1+1+...+1' of 511 characters (the longest formula field text) has the longest postfix text.
TEST_F(Conversion, LongestSum) {
    std::string formula = Cat("1", Repeat("+1", 255));
    ASSERT_EQ(formula.size(), 511u);
    std::string expected = Cat("1 1", Repeat(" + 1", 254), " +");
    std::string postfix = Convert(formula);
    EXPECT_EQ(postfix.size(), 1021u);
    EXPECT_EQ(postfix, expected);
}

// The sign rewriting turns '-(-(...-1))' of 511 characters into this formula of 681.
TEST_F(Conversion, DeepestRewrittenNesting) {
    std::string formula = Cat(Repeat("(0-", 170), "1", Repeat(")", 170));
    ASSERT_EQ(formula.size(), 681u);
    std::string expected = Cat(Repeat("0 ", 170), "1", Repeat(" -", 170));
    EXPECT_EQ(Convert(formula), expected);
}

TEST_F(Conversion, NestedFunctions) {
    std::string formula = Cat(Repeat("sqrt(", 100), "a", Repeat(")", 100), "^2");
    EXPECT_EQ(Convert(formula), Cat("a", Repeat(" sqrt", 100), " 2 ^"));
}

TEST_F(Conversion, NumberOf300Digits) {
    std::string number = Cat("1", std::string(299, '0'));
    EXPECT_EQ(Convert(number + "*2"), number + " 2 *");
    EXPECT_EQ(Convert("(" + number + ")"), number);
}

// The conversion as the algorithm reads, step by step, written apart from ToPostfix: the
// reference tokenizer cuts each token, the reference priorities rank it and the stack's top, and
// the stack is a plain vector of texts. ToPostfix cuts in place, ranks through the byte tables and
// keeps its stack on the module's heap.
std::string ConvertByThePieces(const std::string& formula) {
    std::string out;
    std::vector<std::string> stack;
    auto popOut = [&] {
        out += stack.back();
        out += ' ';
        stack.pop_back();
    };
    const char* rest = formula.c_str();
    while (*rest != '\0') {
        const std::string token = reference::NextToken(rest);
        const int priority = reference::TokenPriority(token);
        if (priority == -1) {
            out += token;
            out += ' ';
        } else if (priority == 0) {
            stack.push_back(token);
        } else if (priority == 1) {
            // Operators and functions above the nearest "(" go out, that "(" is dropped; without
            // a "(" the whole stack goes out.
            while (!stack.empty() && reference::TokenPriority(stack.back()) != 0)
                popOut();
            if (!stack.empty())
                stack.pop_back();
        } else {
            // The same or a higher class goes out first: every operator is left-associative.
            while (!stack.empty() && reference::TokenPriority(stack.back()) >= priority)
                popOut();
            stack.push_back(token);
        }
        rest += token.size();
    }
    while (!stack.empty())
        popOut();
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// Every sequence of up to four of these pieces, well formed or not (pieces that meet may make
// one token: "2" "1.5" is '21.5', "a" "sin" is 'asin', "sqr" "t" cannot occur but "sqr" "(" can).
TEST_F(Conversion, SameAsTheAlgorithmStepByStep) {
    const char* const pieces[] = {"(",   ")", "+",   "-",    "*",   "/", "^", "2",
                                  "1.5", "a", "sin", "sqrt", "sqr", "x", "."};
    std::vector<std::string> formulas = {""};
    for (std::size_t begin = 0, end = 1, count = 1; count <= 4; ++count) {
        for (std::size_t i = begin; i < end; ++i)
            for (const char* piece : pieces)
                formulas.push_back(formulas[i] + piece);
        begin = end;
        end = formulas.size();
    }
    for (const std::string& formula : formulas)
        ASSERT_EQ(Convert(formula), ConvertByThePieces(formula)) << "'" << formula << "'";
}

// Every allocation of a long conversion fails once in turn (and, in a second sweep, every
// allocation from the Nth on): each run gives null or the complete text, and leaks nothing.
TEST_F(Conversion, SurvivesEveryRefusedAllocation) {
    std::string formula =
        Cat(Repeat("sin(a)^2+(b-c)*sqrt(12.5)/(e+p)-floor(lg(1000)+", 6), "1", Repeat(")", 6));
    const std::string expected = Convert(formula);
    ASSERT_NE(expected, "<null>");
    for (bool andLater : {false, true}) {
        unsigned long long failAt = 1;
        for (;; ++failAt) {
            FaultPlan::Arm(failAt, andLater);
            std::string postfix = Convert(formula);
            FaultPlan::Disarm();
            if (postfix != "<null>") {
                EXPECT_EQ(postfix, expected) << "allocation " << failAt;
            }
            if (!FaultPlan::Current().fired)
                break; // the conversion made fewer allocations than failAt
            ASSERT_LT(failAt, 100000u) << "the sweep does not end";
        }
        EXPECT_GT(failAt, 100u) << "a long conversion makes many allocations";
        EXPECT_EQ(Allocations(), Frees()) << "leak with andLater " << andLater;
    }
}

} // namespace
