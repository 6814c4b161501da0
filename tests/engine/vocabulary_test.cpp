// Vocabulary, character sets and heap operations.
#include "engine/heap.h"
#include "engine/vocabulary.h"

#include "engine/reference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// The order of the names is guarded where they are defined (FunctionIndex against the table).
TEST(Vocabulary, NoNameIsAPrefixOfALaterOne) {
    // So prefix matching in table order finds each one.
    for (int i = 0; i < kFunctionCount; ++i)
        for (int j = i + 1; j < kFunctionCount; ++j)
            EXPECT_NE(
                std::strncmp(FunctionNames[j], FunctionNames[i], std::strlen(FunctionNames[i])), 0)
                << FunctionNames[i] << " is a prefix of the later " << FunctionNames[j];
}

TEST(Vocabulary, AllowedCharsIsRebuiltNotExtended) {
    BuildAllowedChars();
    std::string first = AllowedChars;
    BuildAllowedChars();
    EXPECT_EQ(std::string(AllowedChars), first);
    EXPECT_EQ(first.size(), 88u);
}

TEST(Vocabulary, AllowedCharsAsASet) {
    BuildAllowedChars();
    for (char ch : std::string("()*+-./^0123456789abcdefgilnopqrstux"))
        EXPECT_TRUE(reference::HasChar(AllowedChars, ch)) << ch;
    for (char ch : std::string("hjkmvwyzA Z,=\t\xff"))
        EXPECT_FALSE(reference::HasChar(AllowedChars, ch)) << static_cast<int>(ch);
}

TEST(Vocabulary, HasCharAndAllCharsIn) {
    EXPECT_TRUE(reference::HasChar(kOperators, '^'));
    EXPECT_FALSE(reference::HasChar(kOperators, '\0'));
    EXPECT_FALSE(reference::HasChar("", 'a'));
    BuildAllowedChars();
    EXPECT_TRUE(reference::AllCharsIn(AllowedChars, ""));
    EXPECT_TRUE(reference::AllCharsIn(AllowedChars, "sqrt(2)*p"));
    EXPECT_FALSE(reference::AllCharsIn(AllowedChars, "2*z"));
    EXPECT_FALSE(reference::AllCharsIn(AllowedChars, "SIN(1)"));
    EXPECT_TRUE(reference::AllCharsIn(kDigits, "0123456789"));
    EXPECT_FALSE(reference::AllCharsIn(kDigits, "12.5"));
}

// The byte table of the hot paths says of every byte what the character sets say, and nothing
// more; high bytes (negative as char) included.
TEST(Vocabulary, CharFlagsAgreeWithTheSets) {
    for (int b = 0; b < 256; ++b) {
        const char ch = static_cast<char>(b);
        const unsigned char flags = CharFlagsOf(ch);
        bool nameStart = false;
        for (const char* name : FunctionNames)
            nameStart = nameStart || (ch != '\0' && name[0] == ch);
        const struct {
            CharFlag flag;
            bool inSet;
        } checks[] = {
            {CharDigit, reference::HasChar(kDigits, ch)},
            {CharOperator, reference::HasChar(kOperators, ch)},
            {CharOneLetter, reference::HasChar(kOneLetterNames, ch)},
            {CharPoint, reference::HasChar(".", ch)},
            {CharOpen, reference::HasChar("(", ch)},
            {CharClose, reference::HasChar(")", ch)},
            {CharNameStart, nameStart},
        };
        unsigned char known = 0;
        for (const auto& check : checks) {
            EXPECT_EQ((flags & check.flag) != 0, check.inSet)
                << "byte " << b << " flag " << int{check.flag};
            known |= check.flag;
        }
        EXPECT_EQ(flags & ~known, 0) << "byte " << b;
    }
    for (int i = 0; i < kFunctionCount; ++i)
        EXPECT_EQ(kFunctionNameLengths[i], std::strlen(FunctionNames[i])) << FunctionNames[i];
}

// The name look-ups give what trying all 18 names in table order gives: the first name that the
// text starts with (so "sqrt" before "sqr"), and the name equal to a run of characters that need
// not end there. Texts: every string of up to four characters over the names' letters, "(" and
// "x", and every name with each character changed, cut or followed by another one.
TEST(Vocabulary, NameLookUpsAgreeWithTheTableInOrder) {
    const std::string alphabet = "acdefgilnopqrstux(";
    std::vector<std::string> texts = {""};
    for (std::size_t begin = 0, end = 1, length = 1; length <= 4; ++length) {
        for (std::size_t i = begin; i < end; ++i)
            for (char ch : alphabet)
                texts.push_back(texts[i] + ch);
        begin = end;
        end = texts.size();
    }
    for (const char* name : FunctionNames) {
        const std::string whole = name;
        for (std::size_t at = 0; at <= whole.size(); ++at) {
            texts.push_back(whole.substr(0, at));
            for (char ch : alphabet + "\xff") {
                texts.push_back(whole.substr(0, at) + ch);
                if (at < whole.size())
                    texts.push_back(whole.substr(0, at) + ch + whole.substr(at + 1));
            }
        }
    }
    for (const std::string& text : texts) {
        int prefix = -1;
        int equal = -1;
        for (int i = 0; i < kFunctionCount; ++i) {
            const std::size_t length = std::strlen(FunctionNames[i]);
            if (prefix < 0 && std::strncmp(text.c_str(), FunctionNames[i], length) == 0)
                prefix = i;
            if (equal < 0 && text == FunctionNames[i])
                equal = i;
        }
        EXPECT_EQ(FunctionPrefixAt(text.c_str()), prefix) << "'" << text << "'";
        EXPECT_EQ(FunctionNamed(text.c_str(), text.size()), equal) << "'" << text << "'";
        // The run judged in place: what follows it is not read as part of it.
        const std::string longer = text + "s(";
        EXPECT_EQ(FunctionNamed(longer.c_str(), text.size()), equal) << "'" << text << "'";
    }
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
