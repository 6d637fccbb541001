#include "builtins/data_builtins.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

TEST(TreeCodes, SmallNumbersHaveTheirListedCodes) {
    EXPECT_EQ(treeCode(0), "[]");
    EXPECT_EQ(treeCode(1), "[[]]");
    EXPECT_EQ(treeCode(2), "[[][]]");
    EXPECT_EQ(treeCode(3), "[[[]]]");
    EXPECT_EQ(treeCode(4), "[[[]][]]");
}

TEST(TreeCodes, EveryNumberUpTo676HasItsOwnBalancedCode) {
    std::set<std::string> seen;
    for (unsigned n = 0; n <= 676; ++n) {
        const std::string code = treeCode(n);
        int depth = 0;
        for (std::size_t i = 0; i < code.size(); ++i) {
            depth += code[i] == '[' ? 1 : -1;
            ASSERT_TRUE(depth > 0 || i + 1 == code.size()) << n;
        }
        EXPECT_EQ(depth, 0);
        EXPECT_TRUE(seen.insert(code).second) << n;
    }
}

TEST(CharacterTable, LettersAndSpaceHaveTheirListedCodes) {
    EXPECT_EQ(characterCode('a'), treeCode(199));
    EXPECT_EQ(characterCode(' '), treeCode(197));
}

TEST(CharacterTable, NewlineAndSquareBracketsHaveNoCode) {
    EXPECT_TRUE(characterCode('\n').empty());
    EXPECT_TRUE(characterCode('[').empty());
    EXPECT_TRUE(characterCode(']').empty());
}

TEST(CharacterTable, EveryOtherByteHasExactlyOneCodeAndItReadsBack) {
    std::set<std::string_view> seen;
    for (int b = 0; b < 256; ++b) {
        if (b == '\n' || b == '[' || b == ']')
            continue;
        const std::string_view code = characterCode(static_cast<unsigned char>(b));
        ASSERT_FALSE(code.empty()) << b;
        EXPECT_TRUE(seen.insert(code).second) << b;
        EXPECT_EQ(characterOfCode(code), b);
    }
    EXPECT_EQ(characterOfCode("[]"), -1);
    EXPECT_EQ(characterOfCode("[a]"), -1);
}

TEST(CharacterTable, ClassTwoPositionsMapToControlAndHighBytes) {
    // Position 0 is the class-2 "0", the byte 151; position 10 the class-2 "A", the byte 1.
    EXPECT_EQ(characterCode(151), treeCode(145));
    EXPECT_EQ(characterCode(1), treeCode(155));
    EXPECT_EQ(characterCode(0), treeCode(145 + 19)); // "J" is the tenth capital
}

TEST(StringParts, APlainLastByteBecomesItsCharacterCode) {
    EXPECT_EQ(atomText(stringInit("[abc]")), "[ab]");
    EXPECT_EQ(atomText(stringLast("[abc]")), characterCode('c'));
}

TEST(StringParts, AnEscapeGroupStaysAsWritten) {
    EXPECT_EQ(atomText(stringLast("[ab[q]]")), "[q]");
    EXPECT_EQ(atomText(stringInit("[ab[q]]")), "[ab]");
    EXPECT_EQ(atomText(stringLast("[x[[a]b]]")), "[[a]b]");
}

TEST(StringParts, TheOnlyElementLeavesTheEmptyString) {
    EXPECT_EQ(atomText(stringInit("[a]")), "[]");
    EXPECT_EQ(atomText(stringLast("[[p]]")), "[p]");
}

TEST(StringParts, ABareNewlineReadsAsItsEscape) {
    EXPECT_EQ(atomText(stringLast("[a\n]")), "[p]");
}
