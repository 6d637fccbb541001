#include "builtin_calls.h"
#include "builtins/calling_protocol.h"
#include "builtins/data_builtins.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::address;

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

std::string run(Fn f, NodeRef x, NodeRef y) {
    return show(f(apply(makeAtom("op"), std::move(x), std::move(y))));
}

std::string run(Fn f, NodeRef x, NodeRef y, NodeRef z) {
    return show(f(apply(makeAtom("op"), std::move(x), std::move(y), std::move(z))));
}

// (J b rest) for each letter of bits ("K" or "H"), closed by the atom end.
NodeRef bits(std::string_view letters, NodeRef end) {
    for (std::size_t i = letters.size(); i-- > 0;)
        end = apply(a("J"), a(letters.substr(i, 1)), std::move(end));
    return end;
}

// The letters of a bit list's cells, then "/" and the text of the atom that ends it.
std::string showBits(const NodeRef& list) {
    std::string out;
    Node* n = list.get();
    while (!isAtomNode(n)) {
        out += static_cast<char>(firstByteOf(argumentOf(functionOf(n))));
        n = argumentOf(n);
    }
    return out + "/" + std::string(atomBytes(n));
}

NodeRef listView(NodeRef t) {
    return apply(a("V"), apply(a("X"), a("J")), std::move(t));
}

// The list (J ... (J (J K e1) e2) ... en) of the elements.
NodeRef elements(std::initializer_list<std::string_view> texts) {
    NodeRef t = a("K");
    for (std::string_view e : texts)
        t = apply(a("J"), std::move(t), a(e));
    return t;
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

TEST(Leaf, OnlyTheEmptyStringAndTheEmptyListViewAreLeaves) {
    EXPECT_EQ(run(builtin_leaf, a("[]")), "K");
    EXPECT_EQ(run(builtin_leaf, a("[a]")), "H");
    EXPECT_EQ(run(builtin_leaf, apply(a("[]"), a("[]"))), "H");
    EXPECT_EQ(run(builtin_leaf, listView(a("K"))), "K");
    EXPECT_EQ(run(builtin_leaf, listView(elements({"[x]"}))), "H");
    EXPECT_EQ(run(builtin_leaf, a("5")), "Z");
}

TEST(LeftAndRght, AStringSplitsIntoItsInitAndLastElement) {
    EXPECT_EQ(run(builtin_left, a("[abc]")), "[ab]");
    EXPECT_EQ(run(builtin_rght, a("[abc]")), characterCode('c'));
    EXPECT_EQ(run(builtin_rght, a("[ab[q]]")), "[q]");
    EXPECT_EQ(run(builtin_left, a("[[p]ab]")), "[[p]a]");
    EXPECT_EQ(run(builtin_left, a("[[r]]")), "[]");
}

TEST(LeftAndRght, TheEmptyStringHasNoParts) {
    EXPECT_EQ(run(builtin_left, a("[]")), "Z");
    EXPECT_EQ(run(builtin_rght, a("[]")), "Z");
    EXPECT_EQ(run(builtin_left, listView(a("K"))), "Z");
    EXPECT_EQ(run(builtin_rght, listView(a("K"))), "Z");
}

TEST(LeftAndRght, DataOfDataSplitsIntoItsTwoParts) {
    EXPECT_EQ(run(builtin_left, apply(a("[ab]"), a("[c]"))), "[ab]");
    EXPECT_EQ(run(builtin_rght, apply(a("[ab]"), a("[c]"))), "[c]");
}

TEST(LeftAndRght, AListViewKeepsItsShape) {
    NodeRef l = builtin_left(apply(a("left"), listView(elements({"[x]", "[y]"}))));
    Node* t = argumentOf(l.get());
    EXPECT_EQ(firstByteOf(functionOf(functionOf(l.get()))), 'V');
    EXPECT_EQ(std::string(atomBytes(argumentOf(t))), "[x]");
    NodeRef r = builtin_rght(apply(a("rght"), listView(elements({"[x]", "[y]"}))));
    EXPECT_EQ(std::string(atomBytes(argumentOf(r.get()))), "[y]");
}

TEST(LeftAndRght, LeftOfAStringHeldOnlyByTheCallCutsItInPlace) {
    NodeRef s = a("[abc[q]]");
    Node* before = s.get();
    NodeRef r = builtin_left(apply(a("left"), std::move(s)));
    EXPECT_EQ(r.get(), before);
    EXPECT_EQ(show(r), "[abc]");
    EXPECT_EQ(span(r), 5u);
}

TEST(LeftAndRght, LeftOfASharedStringLeavesItUnchanged) {
    NodeRef s = a("[abc]");
    NodeRef r = builtin_left(apply(a("left"), s));
    EXPECT_NE(r.get(), s.get());
    EXPECT_EQ(show(s), "[abc]");
    EXPECT_EQ(show(r), "[ab]");
}

TEST(LeftAndRght, AStringWithAnUnpairedClosingBracketIsZ) {
    EXPECT_EQ(run(builtin_left, a("[a]]")), "Z");
    EXPECT_EQ(run(builtin_rght, a("[a]]")), "Z");
}

TEST(Buck, EachKindHasItsFirstPart) {
    EXPECT_EQ(run(builtin_buck, block("]x")), "[[r]]");
    EXPECT_EQ(run(builtin_buck, block("\nx")), "[[p]]");
    EXPECT_EQ(run(builtin_buck, block("a")), "[a]");
    EXPECT_EQ(run(builtin_buck, block("")), "Z");
    EXPECT_EQ(run(builtin_buck, a("5")), "K");
    EXPECT_EQ(run(builtin_buck, a("05")), "H");
    EXPECT_EQ(run(builtin_buck, a("0")), "K");
    EXPECT_EQ(run(builtin_buck, makeReal(-0.0)), "H");
    EXPECT_EQ(run(builtin_buck, makeReal(3.0)), "K");
    EXPECT_EQ(run(builtin_buck, a("[abc]")), "[ab]");
    EXPECT_EQ(run(builtin_buck, a("[]")), "Z");
    EXPECT_EQ(run(builtin_buck, a("x")), "Z");
}

TEST(Wave, EachKindHasItsRest) {
    EXPECT_EQ(run(builtin_wave, block("xyz")), blockText("yz"));
    EXPECT_EQ(run(builtin_wave, block("")), "Z");
    EXPECT_EQ(run(builtin_wave, a("5")), "05");
    EXPECT_EQ(run(builtin_wave, a("05")), "5");
    EXPECT_EQ(run(builtin_wave, a("0")), "0");
    EXPECT_EQ(run(builtin_wave, bits("KKKH", a("K"))), "05");
    EXPECT_EQ(run(builtin_wave, a("007")), "Z");
    EXPECT_EQ(run(builtin_wave, a("[ab[q]]")), "[q]");
    EXPECT_EQ(run(builtin_wave, a("[]")), "Z");
    NodeRef r = builtin_wave(apply(a("wave"), makeReal(2.5)));
    EXPECT_EQ(std::string(atomText(r)), std::string(atomText(makeReal(-2.5))));
}

TEST(Zits, ABlockStandsBareWhenItHasNoNewlineAndItsBracketsPair) {
    EXPECT_EQ(run(builtin_zits, block("a[b]c")), "[a[b]c]");
    EXPECT_EQ(run(builtin_zits, block("a\nb")), "Z");
    EXPECT_EQ(run(builtin_zits, block("a]b[")), "Z");
    EXPECT_EQ(run(builtin_zits, block("[")), "Z");
    EXPECT_EQ(run(builtin_zits, block("")), "[]");
}

TEST(Zits, AnIntegerGivesTheStringOfItsLowByte) {
    EXPECT_EQ(run(builtin_zits, a("97")), "[a]");
    EXPECT_EQ(run(builtin_zits, a("91")), "[[q]]");
    EXPECT_EQ(run(builtin_zits, a("93")), "[[r]]");
    EXPECT_EQ(run(builtin_zits, a("10")), "[\n]");
    EXPECT_EQ(run(builtin_zits, a("353")), "[a]");
    EXPECT_EQ(run(builtin_zits, a("007")), "Z");
}

TEST(Zits, ARealIsWrittenWithPercentE) {
    EXPECT_EQ(run(builtin_zits, makeReal(2.5)), "[2.500000e+00]");
}

TEST(Zits, AListViewTurnsCharacterCodesBackIntoBytes) {
    const std::string ca(characterCode('a'));
    const std::string cb(characterCode('b'));
    EXPECT_EQ(run(builtin_zits, listView(elements({ca, "[q]", cb, "[xy]"}))), "[a[q]b[xy]]");
    EXPECT_EQ(run(builtin_zits, listView(a("K"))), "[]");
}

TEST(Zits, AListViewWithAnElementThatIsNoDataOrAnotherEndIsZ) {
    EXPECT_EQ(run(builtin_zits, listView(elements({"[a]", "x"}))), "Z");
    EXPECT_EQ(run(builtin_zits, listView(apply(a("J"), a("H"), a("[a]")))), "Z");
}

TEST(Zits, AStringIsItselfAndDataOfDataBecomesOneAtom) {
    EXPECT_EQ(run(builtin_zits, apply(apply(a("[a]"), a("[b]")), a("[]"))), "[a[b][]]");
    EXPECT_EQ(run(builtin_zits, a("[x]")), "[x]");
}

TEST(Lots, ANumberGivesItsBitStringSequenceKindBitFirst) {
    EXPECT_EQ(showBits(builtin_lots(apply(a("lots"), a("5")))), "KKKH/K");
    EXPECT_EQ(showBits(builtin_lots(apply(a("lots"), a("0")))), "K/K");
    EXPECT_EQ(showBits(builtin_lots(apply(a("lots"), a("05")))), "KHKH/K");
    EXPECT_EQ(showBits(builtin_lots(apply(a("lots"), a("00")))), "H/K");
}

TEST(Lots, ARealGivesItsSixtyFourBitsLeastSignificantFirst) {
    const std::string list = showBits(builtin_lots(apply(a("lots"), makeReal(-2.0))));
    // -2.0 is 0xC000000000000000: bits 62 and 63 set.
    EXPECT_EQ(list, std::string(62, 'H') + "KK/K");
}

TEST(Lots, ABitListKeepsItsCellsAndUnfoldsItsEnd) {
    EXPECT_EQ(showBits(builtin_lots(apply(a("lots"), bits("KH", a("5"))))), "KHKKKH/K");
    EXPECT_EQ(run(builtin_lots, a("K")), "K");
    EXPECT_EQ(run(builtin_lots, bits("KH", a("x"))), "Z");
    EXPECT_EQ(run(builtin_lots, bits("KH", apply(a("J"), a("x"), a("K")))), "Z");
}

TEST(Lots, ABlockReadsAsTheBitsOfItsPayloadBelowTheHighestOneBit) {
    // 0x05 0x01 0x00: N = 0x0105, the sequence below the marker is bits 0 to 7 of 0x05.
    EXPECT_EQ(showBits(builtin_lots(apply(a("lots"), block(std::string_view("\x05\x01\0", 3))))),
              "KHKHHHHH/K");
    EXPECT_EQ(run(builtin_lots, block(std::string_view("\0\0", 2))), "K");
    EXPECT_EQ(run(builtin_lots, block("")), "K");
}

TEST(Lots, AStringGivesItsListView) {
    NodeRef v = builtin_lots(apply(a("lots"), a("[a[q]]")));
    Node* t = nullptr;
    ASSERT_FALSE(isAtomNode(v.get()));
    t = argumentOf(v.get());
    EXPECT_EQ(std::string(atomBytes(argumentOf(t))), "[q]");
    Node* init = argumentOf(functionOf(t));
    EXPECT_EQ(std::string(atomBytes(argumentOf(init))), characterCode('a'));
    EXPECT_EQ(std::string(atomBytes(argumentOf(functionOf(init)))), "K");
    EXPECT_EQ(run(builtin_zits, std::move(v)), "[a[q]]");
}

TEST(Lits, OneByteStringsAndBlocksReadAsSignedBytes) {
    EXPECT_EQ(run(builtin_lits, a("[a]")), "97");
    EXPECT_EQ(run(builtin_lits, a("[\xFF]")), "01");
    EXPECT_EQ(run(builtin_lits, a("[[q]]")), "91");
    EXPECT_EQ(run(builtin_lits, a("[[r]]")), "93");
    EXPECT_EQ(run(builtin_lits, a("[[p]]")), "Z");
    EXPECT_EQ(run(builtin_lits, a("[ab]")), "Z");
    EXPECT_EQ(run(builtin_lits, block("\x80")), "0128");
    EXPECT_EQ(run(builtin_lits, block("ab")), "Z");
    EXPECT_EQ(run(builtin_lits, a("x")), "Z");
}

TEST(Lits, ABitListGivesTheNumberItsBitsSpell) {
    EXPECT_EQ(run(builtin_lits, bits("KKKH", a("K"))), "5");
    EXPECT_EQ(run(builtin_lits, bits("H", a("K"))), "00");
    EXPECT_EQ(run(builtin_lits, bits("KK", a("1"))), "7"); // 1, 1, then 1's own 1, 1
    EXPECT_EQ(run(builtin_lits, bits("KK", a("x"))), "Z");
}

TEST(LitsAndLots, LitsUndoesLotsForNumbers) {
    for (const char* text : {"0", "5", "05", "123456789012345678901234567890", "00", "0070"}) {
        NodeRef list = builtin_lots(apply(a("lots"), a(text)));
        EXPECT_EQ(run(builtin_lits, std::move(list)), text);
    }
}

TEST(LitsAndLots, LotsUndoesLitsForBitLists) {
    NodeRef n = builtin_lits(apply(a("lits"), bits("HKKHK", a("K"))));
    EXPECT_EQ(showBits(builtin_lots(apply(a("lots"), std::move(n)))), "HKKHK/K");
}

TEST(LitsAndLots, ARealAndABlockGiveTheNumberOfTheirLists) {
    NodeRef real = makeReal(-2.0);
    NodeRef viaList = builtin_lits(apply(a("lits"), builtin_lots(apply(a("lots"), real))));
    EXPECT_EQ(run(builtin_lits, real), show(viaList));
    NodeRef list = builtin_lots(apply(a("lots"), block("\x05\x01")));
    EXPECT_EQ(run(builtin_lits, std::move(list)), "065"); // N = 0x0105 = 4 * 65 + 1
}

TEST(Look, ABlockGivesUnsignedBytesCountedFromEitherEnd) {
    EXPECT_EQ(run(builtin_look, block("ab\xFF"), a("01")), "255");
    EXPECT_EQ(run(builtin_look, block("abc"), a("0")), "97");
    EXPECT_EQ(run(builtin_look, block("abc"), a("3")), "Z");
    EXPECT_EQ(run(builtin_look, block("abc"), a("04")), "Z");
    EXPECT_EQ(run(builtin_look, block("abc"), a("x")), "Z");
}

TEST(Look, APositionBeyondSixtyFourBitsIsOutOfRange) {
    EXPECT_EQ(run(builtin_look, block("abc"), a("18446744073709551616")), "Z");
    EXPECT_EQ(run(builtin_look, block("abc"), a("018446744073709551615")), "Z");
}

TEST(Look, AStringCountsEscapeGroupsAsThreeBytes) {
    EXPECT_EQ(run(builtin_look, a("[a[q]b]"), a("1")), "91");
    EXPECT_EQ(run(builtin_look, a("[a[q]b]"), a("2")), "113");
    EXPECT_EQ(run(builtin_look, a("[a[q]b]"), a("01")), "98");
    EXPECT_EQ(run(builtin_look, a("[a[q]b]"), a("5")), "Z");
}

TEST(Look, NumbersAndRealsGiveBits) {
    EXPECT_EQ(run(builtin_look, a("5"), a("0")), "K");
    EXPECT_EQ(run(builtin_look, a("5"), a("3")), "H");
    EXPECT_EQ(run(builtin_look, a("5"), a("01")), "H");
    EXPECT_EQ(run(builtin_look, a("5"), a("4")), "Z");
    EXPECT_EQ(run(builtin_look, a("05"), a("1")), "H");
    EXPECT_EQ(run(builtin_look, makeReal(-2.0), a("63")), "K");
    EXPECT_EQ(run(builtin_look, makeReal(-2.0), a("01")), "K");
    EXPECT_EQ(run(builtin_look, makeReal(-2.0), a("0")), "H");
    EXPECT_EQ(run(builtin_look, makeReal(-2.0), a("64")), "Z");
    EXPECT_EQ(run(builtin_look, makeReal(-2.0), a("065")), "Z");
}

TEST(Trim, EqualPositionsGiveTheEmptyValueBeforeAnyRangeTest) {
    EXPECT_EQ(run(builtin_trim, block("abc"), a("9"), a("9")), "()");
    EXPECT_EQ(run(builtin_trim, a("[abc]"), a("09"), a("09")), "[]");
    EXPECT_EQ(run(builtin_trim, a("5"), a("1"), a("1")), "Z");
}

TEST(Trim, PositionsCountFromEitherEnd) {
    EXPECT_EQ(run(builtin_trim, block("abcde"), a("1"), a("4")), blockText("bcd"));
    EXPECT_EQ(run(builtin_trim, block("abcde"), a("03"), a("01")), blockText("cd"));
    EXPECT_EQ(run(builtin_trim, block("abcde"), a("0"), a("5")), blockText("abcde"));
    EXPECT_EQ(run(builtin_trim, a("[abcde]"), a("02"), a("5")), "[de]");
}

TEST(Trim, HugePositionsAreComparedWhole) {
    EXPECT_EQ(run(builtin_trim, block("abc"), a("18446744073709551616"), a("18446744073709551616")),
              "()");
    EXPECT_EQ(run(builtin_trim, block("abc"), a("0"), a("18446744073709551616")), "Z");
    EXPECT_EQ(run(builtin_trim, block("abc"), a("018446744073709551616"), a("2")), "Z");
}

TEST(Trim, OutOfRangeOrReversedPositionsAreZ) {
    EXPECT_EQ(run(builtin_trim, block("abc"), a("2"), a("1")), "Z");
    EXPECT_EQ(run(builtin_trim, block("abc"), a("0"), a("4")), "Z");
    EXPECT_EQ(run(builtin_trim, block("abc"), a("04"), a("1")), "Z");
    EXPECT_EQ(run(builtin_trim, block("abc"), a("x"), a("1")), "Z");
}

TEST(Trim, AStringPieceMustPairItsBrackets) {
    EXPECT_EQ(run(builtin_trim, a("[a[q]b]"), a("1"), a("4")), "[[q]]");
    EXPECT_EQ(run(builtin_trim, a("[a[q]b]"), a("0"), a("2")), "Z");
    EXPECT_EQ(run(builtin_trim, a("[a[q]b]"), a("2"), a("5")), "Z");
}

TEST(Cork, ABlockHeldOnlyByTheCallChangesInPlace) {
    NodeRef b = block("abc");
    Node* before = b.get();
    NodeRef r = builtin_cork(apply(a("cork"), std::move(b), a("01"), a("321")));
    EXPECT_EQ(r.get(), before);
    EXPECT_EQ(show(r), blockText("abA"));
}

TEST(Cork, ASharedBlockIsCopiedAndLeftUnchanged) {
    NodeRef b = block("abc");
    NodeRef r = builtin_cork(apply(a("cork"), b, a("0"), a("65")));
    EXPECT_NE(r.get(), b.get());
    EXPECT_EQ(show(r), blockText("Abc"));
    EXPECT_EQ(show(b), blockText("abc"));
}

TEST(Cork, AStringChangesOneByteButNeverABracket) {
    EXPECT_EQ(run(builtin_cork, a("[abc]"), a("1"), a("66")), "[aBc]");
    EXPECT_EQ(run(builtin_cork, a("[a[q]]"), a("1"), a("66")), "Z");
    EXPECT_EQ(run(builtin_cork, a("[a[q]]"), a("2"), a("114")), "[a[r]]");
    EXPECT_EQ(run(builtin_cork, a("[abc]"), a("0"), a("91")), "Z");
    EXPECT_EQ(run(builtin_cork, a("[abc]"), a("3"), a("65")), "Z");
    EXPECT_EQ(run(builtin_cork, a("[abc]"), a("1"), a("x")), "Z");
}

TEST(Cork, ASharedStringIsCopiedAndLeftUnchanged) {
    NodeRef s = a("[abc]");
    NodeRef r = builtin_cork(apply(a("cork"), s, a("01"), a("65")));
    EXPECT_EQ(show(r), "[abA]");
    EXPECT_EQ(show(s), "[abc]");
}

TEST(Cork, ARealHasOneBitSetOrCleared) {
    NodeRef r = builtin_cork(apply(a("cork"), makeReal(2.0), a("63"), a("K")));
    EXPECT_EQ(show(r), show(makeReal(-2.0)));
    r = builtin_cork(apply(a("cork"), makeReal(-2.0), a("01"), a("H")));
    EXPECT_EQ(show(r), show(makeReal(2.0)));
    EXPECT_EQ(run(builtin_cork, makeReal(2.0), a("64"), a("K")), "Z");
    EXPECT_EQ(run(builtin_cork, makeReal(2.0), a("1"), a("5")), "Z");
}

TEST(Copy, EachKindWritesItsBytes) {
    char buffer[16] = {};
    EXPECT_EQ(run(builtin_copy, block("ab"), address(buffer)), "I");
    EXPECT_EQ(run(builtin_copy, a("[[q]x]"), address(buffer + 2)), "I");
    EXPECT_EQ(run(builtin_copy, a("042"), address(buffer + 6)), "I");
    EXPECT_EQ(std::string(buffer), "ab[q]x042");
    EXPECT_EQ(run(builtin_copy, a("x"), address(buffer)), "Z");
    EXPECT_EQ(run(builtin_copy, block("ab"), a("y")), "Z");
}

TEST(Copy, ARealWritesItsEightBytes) {
    double d = 0;
    EXPECT_EQ(run(builtin_copy, makeReal(1.5), address(&d)), "I");
    EXPECT_EQ(d, 1.5);
}

TEST(Raws, OnlyTheVeryNodeItselfIsTheSame) {
    NodeRef x = a("5");
    EXPECT_EQ(run(builtin_raws, x, x), "K");
    EXPECT_EQ(run(builtin_raws, a("5"), a("5")), "H");
}

TEST(Leak, GivesTheNodeAddress) {
    NodeRef x = a("[a]");
    EXPECT_EQ(run(builtin_leak, x), show(address(x.get())));
}

TEST(RecordSlots, SetxStoresTheLowByteAndTheReadersSignIt) {
    unsigned char slot[8] = {};
    EXPECT_EQ(run(builtin_setx, address(slot), a("300")), "I");
    EXPECT_EQ(slot[0], 44);
    EXPECT_EQ(run(builtin_getx, address(slot)), "44");
    EXPECT_EQ(run(builtin_gety, address(slot)), "44");
    run(builtin_setx, address(slot), a("200"));
    EXPECT_EQ(run(builtin_getx, address(slot)), "200");
    EXPECT_EQ(run(builtin_gety, address(slot)), "056");
    EXPECT_EQ(slot[1], 0);
}

TEST(RecordSlots, SixteenBitSlots) {
    unsigned char slot[8] = {};
    EXPECT_EQ(run(builtin_sett, address(slot), a("01")), "I");
    EXPECT_EQ(run(builtin_gett, address(slot)), "65535");
    EXPECT_EQ(run(builtin_getv, address(slot)), "01");
    EXPECT_EQ(slot[2], 0);
}

TEST(RecordSlots, ThirtyTwoBitSlots) {
    unsigned char slot[8] = {};
    EXPECT_EQ(run(builtin_setu, address(slot), a("4294967295")), "I");
    EXPECT_EQ(run(builtin_getu, address(slot)), "4294967295");
    EXPECT_EQ(run(builtin_gets, address(slot)), "01");
    EXPECT_EQ(slot[4], 0);
}

TEST(RecordSlots, SixtyFourBitSlots) {
    unsigned char slot[8] = {};
    EXPECT_EQ(run(builtin_setw, address(slot), a("01")), "I");
    EXPECT_EQ(run(builtin_getw, address(slot)), "18446744073709551615");
    EXPECT_EQ(run(builtin_getz, address(slot)), "01");
    run(builtin_setw, address(slot), a("18446744073709551617"));
    EXPECT_EQ(run(builtin_getz, address(slot)), "1");
}

TEST(RecordSlots, ANonIntegerAddressOrValueIsZ) {
    unsigned char slot[8] = {1};
    EXPECT_EQ(run(builtin_getx, a("x")), "Z");
    EXPECT_EQ(run(builtin_setx, address(slot), a("x")), "Z");
    EXPECT_EQ(run(builtin_setx, a("[a]"), a("1")), "Z");
    EXPECT_EQ(slot[0], 1);
}
