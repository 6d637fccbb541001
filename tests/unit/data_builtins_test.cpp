#include "builtins/calling_protocol.h"
#include "builtins/data_builtins.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

using Fn = NodeRef (*)(NodeRef);

NodeRef a(std::string_view text) {
    return makeAtom(text);
}

// A data block atom of the payload.
NodeRef block(std::string_view payload) {
    return makeAtom(blockText(payload));
}

// The result's text.
std::string show(const NodeRef& r) {
    return std::string(atomText(r));
}

std::string run(Fn f, NodeRef x) {
    return show(f(apply(makeAtom("op"), std::move(x))));
}

} // namespace

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

TEST(Cape, AStringBecomesABlockWithItsEscapesDecoded) {
    EXPECT_EQ(run(builtin_cape, a("[[q]a b[p][r]]")), blockText("[a b\n]"));
    EXPECT_EQ(run(builtin_cape, a("[]")), "()");
}

TEST(Cape, AnyOtherGroupInAStringIsZ) {
    EXPECT_EQ(run(builtin_cape, a("[a[x]]")), "Z");
    EXPECT_EQ(run(builtin_cape, a("[[pq]]")), "Z");
    EXPECT_EQ(run(builtin_cape, a("[[]]")), "Z");
}

TEST(Cape, ABlockBecomesAStringWithOnlyItsBracketsEscaped) {
    EXPECT_EQ(run(builtin_cape, block("[a\n]")), "[[q]a\n[r]]");
    EXPECT_EQ(run(builtin_cape, block(std::string_view("a\0b", 3))), std::string("[a\0b]", 5));
}

TEST(Cape, DataOfDataReadsAsOneString) {
    // ([a] [q]) is the string «[a[q]]».
    EXPECT_EQ(run(builtin_cape, apply(a("[a]"), a("[q]"))), blockText("a["));
}

TEST(Cape, OtherKindsAreZ) {
    EXPECT_EQ(run(builtin_cape, a("5")), "Z");
    EXPECT_EQ(run(builtin_cape, a("x")), "Z");
}

TEST(Init, AStringGivesItsTextBetweenTheBracketsAsWritten) {
    EXPECT_EQ(run(builtin_init, a("[a[p]b]")), blockText("a[p]b"));
    EXPECT_EQ(run(builtin_init, a("[]")), "()");
}

TEST(Init, ABlockIsGivenBackItself) {
    NodeRef b = block("xyz");
    Node* before = b.get();
    NodeRef r = builtin_init(apply(a("init"), std::move(b)));
    EXPECT_EQ(r.get(), before);
}

TEST(Init, AnIntegerGivesItsLowByte) {
    EXPECT_EQ(run(builtin_init, a("321")), blockText("A"));
    EXPECT_EQ(run(builtin_init, a("01")), blockText("\xFF"));
}

TEST(Init, ARealGivesItsEightBytes) {
    NodeRef r = builtin_init(apply(a("init"), makeReal(1.0)));
    EXPECT_EQ(show(r), blockText(std::string_view("\0\0\0\0\0\0\xF0\x3F", 8)));
}

TEST(Init, AListOfIntegersClosedByKGivesOneBytePerElement) {
    NodeRef list = apply(a("J"), a("104"), apply(a("J"), a("105"), a("K")));
    EXPECT_EQ(run(builtin_init, std::move(list)), blockText("hi"));
    EXPECT_EQ(run(builtin_init, a("K")), "()");
}

TEST(Init, AListWithANonIntegerOrAnotherEndIsZ) {
    EXPECT_EQ(run(builtin_init, apply(a("J"), a("104"), apply(a("J"), a("x"), a("K")))), "Z");
    EXPECT_EQ(run(builtin_init, apply(a("J"), a("104"), a("H"))), "Z");
    EXPECT_EQ(run(builtin_init, a("007")), "Z");
}

TEST(Rank, EachKindHasItsSize) {
    EXPECT_EQ(run(builtin_rank, block("abcd")), "4");
    EXPECT_EQ(run(builtin_rank, makeReal(2.5)), "8");
    EXPECT_EQ(run(builtin_rank, a("123")), "3");
    EXPECT_EQ(run(builtin_rank, a("05")), "2");
    EXPECT_EQ(run(builtin_rank, a("007")), "3");
    EXPECT_EQ(run(builtin_rank, a("[a[q]]")), "4");
    EXPECT_EQ(run(builtin_rank, a("[]")), "0");
    EXPECT_EQ(run(builtin_rank, a("x")), "Z");
}

TEST(Rank, ABitListCountsTheTextOfItsNumber) {
    // K, K, K, H spells 5.
    NodeRef five =
        apply(a("J"), a("K"),
              apply(a("J"), a("K"), apply(a("J"), a("K"), apply(a("J"), a("H"), a("K")))));
    EXPECT_EQ(run(builtin_rank, std::move(five)), "1");
}

TEST(Rank, DataOfDataCountsTheCachedTotalLength) {
    EXPECT_EQ(run(builtin_rank, apply(a("[ab]"), a("[c]"))), "5");
}
