// Rewriting of unary signs: the linear rewrite against the plain step-by-step one, and the
// capacity it needs.
#include "engine/signs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The rewrite done the plain way, one change at a time, each time searching from the start.
std::string ReferenceRewrite(std::string text) {
    if (!text.empty() && text[0] == '-')
        text.insert(text.begin(), '0');
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    for (std::size_t at; (at = text.find("(+")) != std::string::npos;)
        text.erase(at + 1, 1);
    for (std::size_t at; (at = text.find("(-")) != std::string::npos;)
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(at) + 1, '0');
    return text;
}

// Rewrites formula in a heap buffer of exactly capacity bytes (so that the sanitizer sees any
// write past it). Returns RewriteSigns' answer; *buffer holds the bytes afterwards.
bool RewriteIn(const std::string& formula, std::size_t capacity, std::vector<char>* buffer) {
    buffer->assign(capacity, '#');
    std::memcpy(buffer->data(), formula.c_str(), formula.size() + 1);
    return RewriteSigns(buffer->data(), capacity);
}

struct Example {
    const char* name;
    std::string formula;
    std::string rewritten;
};

std::string NestedMinus(int count, bool zero) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += zero ? "(0-" : "(-";
    return text + "1" + std::string(count, ')');
}

class SignsExample : public testing::TestWithParam<Example> {};

TEST_P(SignsExample, RewritesToTheExpectedText) {
    const Example& ex = GetParam();
    ASSERT_EQ(ReferenceRewrite(ex.formula), ex.rewritten); // the reference agrees, too
    std::vector<char> buffer;
    ASSERT_TRUE(RewriteIn(ex.formula, SignRewriteCapacity(ex.formula.size()), &buffer));
    EXPECT_EQ(std::string(buffer.data()), ex.rewritten);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SignsExample,
    testing::Values(Example{"LeadingMinus", "-5", "0-5"}, Example{"LeadingPlus", "+5", "5"},
                    Example{"PlusAfterOpen", "(+5)", "(5)"},
                    Example{"NestedMinus", "(-(-2))", "(0-(0-2))"},
                    Example{"Unchanged", "a*2-b+(c)", "a*2-b+(c)"}, Example{"Empty", "", ""},
                    Example{"Mixed", "-sin(+a)*(-(+2))", "0-sin(a)*(0-(2))"},
                    // Beyond what the checker lets through: runs of signs.
                    Example{"PlusRunAfterOpen", "(++-2)", "(0-2)"},
                    Example{"OnlyFirstPlusAtStart", "++2", "+2"},
                    Example{"MinusAfterDroppedPlus", "+-2", "-2"},
                    Example{"PlusAfterLeadingMinus", "-+2", "0-+2"},
                    Example{"PlusOpenPlus", "+(+(-1))", "((0-1))"},
                    Example{"FullLength170", NestedMinus(170, false), NestedMinus(170, true)}),
    [](const testing::TestParamInfo<Example>& info) { return std::string(info.param.name); });

TEST(Signs, FullLengthFormulaGrowsTo681) {
    const std::string formula = NestedMinus(170, false);
    ASSERT_EQ(formula.size(), 511u);
    std::vector<char> buffer;
    ASSERT_TRUE(RewriteIn(formula, 682, &buffer));
    EXPECT_EQ(std::strlen(buffer.data()), 681u);
    EXPECT_EQ(std::string(buffer.data()), NestedMinus(170, true));
    // One byte short: refused, and not one byte of the buffer touched.
    std::vector<char> shortBuffer(681, '#');
    std::memcpy(shortBuffer.data(), formula.c_str(), formula.size() + 1);
    const std::vector<char> untouched = shortBuffer;
    EXPECT_FALSE(RewriteSigns(shortBuffer.data(), shortBuffer.size()));
    EXPECT_EQ(shortBuffer, untouched);
}

// Every text up to length 8 over the characters that matter to the rewrite (and two that do
// not): the linear rewrite equals the reference, fits SignRewriteCapacity, needs exactly its own
// length plus one, and leaves the buffer as it was when one byte is missing.
TEST(Signs, MatchesTheStepByStepRewrite) {
    const char alphabet[] = "()+-1a";
    const int symbols = 6;
    const int maxLength = 8;
    std::vector<char> buffer;
    std::vector<char> original;
    long long texts = 0;
    for (int length = 0; length <= maxLength; ++length) {
        std::vector<int> digits(length, 0);
        for (;;) {
            std::string formula(length, ' ');
            for (int i = 0; i < length; ++i)
                formula[i] = alphabet[digits[i]];
            ++texts;
            const std::string expected = ReferenceRewrite(formula);
            const std::size_t needed = expected.size() + 1;

            ASSERT_TRUE(RewriteIn(formula, SignRewriteCapacity(formula.size()), &buffer))
                << formula;
            ASSERT_EQ(std::string(buffer.data()), expected) << formula;

            // Exactly enough room (never less than the text itself occupies).
            const std::size_t exact = std::max(needed, formula.size() + 1);
            ASSERT_TRUE(RewriteIn(formula, exact, &buffer)) << formula;
            ASSERT_EQ(std::string(buffer.data()), expected) << formula;

            if (needed > formula.size() + 1) { // it grows: one byte less must be refused
                original.assign(needed - 1, '#');
                std::memcpy(original.data(), formula.c_str(), formula.size() + 1);
                buffer = original;
                ASSERT_FALSE(RewriteSigns(buffer.data(), needed - 1)) << formula;
                ASSERT_EQ(buffer, original) << formula;
            }

            int i = length - 1;
            while (i >= 0 && ++digits[i] == symbols)
                digits[i--] = 0;
            if (i < 0)
                break;
        }
    }
    EXPECT_EQ(texts, 2015539); // 6^0 + 6^1 + ... + 6^8
}

TEST(Signs, ZeroCapacityRefused) {
    char text[] = "";
    EXPECT_FALSE(RewriteSigns(text, 0));
}

} // namespace
