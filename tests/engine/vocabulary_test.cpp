// Vocabulary, character sets and heap operations.
#include "engine/heap.h"
#include "engine/vocabulary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Vocabulary, FunctionNamesInTableOrder) {
    const char* expected[] = {"sin",  "cos", "tan",   "cot",  "asin",  "acos",
                              "atan", "acot", "ln",   "lg",   "exp",   "sqrt",
                              "sqr",  "trunc", "frac", "round", "ceil", "floor"};
    for (int i = 0; i < kFunctionCount; ++i)
        EXPECT_STREQ(FunctionNames[i], expected[i]) << "position " << i;
    EXPECT_STREQ(FunctionNames[FnSqrt], "sqrt");
    EXPECT_STREQ(FunctionNames[FnFloor], "floor");
    // No name is a prefix of a name after it, so prefix matching in table order finds each one.
    for (int i = 0; i < kFunctionCount; ++i)
        for (int j = i + 1; j < kFunctionCount; ++j)
            EXPECT_NE(std::strncmp(FunctionNames[j], FunctionNames[i], std::strlen(FunctionNames[i])), 0)
                << FunctionNames[i] << " is a prefix of the later " << FunctionNames[j];
}

TEST(Vocabulary, AllowedCharsIsRebuiltNotExtended) {
    BuildAllowedChars();
    std::string first = AllowedChars;
    BuildAllowedChars();
    EXPECT_EQ(std::string(AllowedChars), first);
    EXPECT_EQ(first.size(), 88u);
    EXPECT_EQ(first, "abcpe.1234567890()+-*/^sincostancotasinacosatanacotlnlgexpsqrtsqrtrunc"
                     "fracroundceilfloor");
}

TEST(Vocabulary, AllowedCharsAsASet) {
    BuildAllowedChars();
    for (char ch : std::string("()*+-./^0123456789abcdefgilnopqrstux"))
        EXPECT_TRUE(HasChar(AllowedChars, ch)) << ch;
    for (char ch : std::string("hjkmvwyzA Z,=\t\xff"))
        EXPECT_FALSE(HasChar(AllowedChars, ch)) << static_cast<int>(ch);
}

TEST(Vocabulary, HasCharAndAllCharsIn) {
    EXPECT_TRUE(HasChar(kOperators, '^'));
    EXPECT_FALSE(HasChar(kOperators, '\0'));
    EXPECT_FALSE(HasChar("", 'a'));
    BuildAllowedChars();
    EXPECT_TRUE(AllCharsIn(AllowedChars, ""));
    EXPECT_TRUE(AllCharsIn(AllowedChars, "sqrt(2)*p"));
    EXPECT_FALSE(AllCharsIn(AllowedChars, "2*z"));
    EXPECT_FALSE(AllCharsIn(AllowedChars, "SIN(1)"));
    EXPECT_TRUE(AllCharsIn(kDigits, "0123456789"));
    EXPECT_FALSE(AllCharsIn(kDigits, "12.5"));
}

TEST(Heap, BlocksStartZeroFilled) {
    InitHeap();
    for (std::size_t size : {1u, 16u, 260u, 4096u}) {
        auto* block = static_cast<unsigned char*>(MemAlloc(size));
        ASSERT_NE(block, nullptr);
        for (std::size_t i = 0; i < size; ++i)
            ASSERT_EQ(block[i], 0) << "size " << size << " byte " << i;
        std::memset(block, 0xAB, size);
        MemFree(block);
    }
    MemFree(nullptr); // harmless
}
