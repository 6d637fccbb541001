#include "core/node_store.h"
#include "core/out_of_memory.h"

#include <string>

#include <gtest/gtest.h>

using namespace rill;

TEST(NodeStore, ANewAtomHasNoReferenceUntilAHandleReceivesIt) {
    Node* raw = newAtomNode("abc", 3);
    EXPECT_EQ(countOf(raw), 0u);
    NodeRef a(raw);
    EXPECT_EQ(referenceCount(a), 1u);
}

TEST(NodeStore, CopyingAHandleTakesOneMoreReference) {
    NodeRef a = makeAtom("123");
    NodeRef b = a;
    EXPECT_EQ(referenceCount(a), 2u);
    {
        NodeRef c = b;
        EXPECT_EQ(referenceCount(a), 3u);
    }
    EXPECT_EQ(referenceCount(a), 2u);
}

TEST(NodeStore, MovingAHandleHandsTheReferenceOver) {
    NodeRef a = makeAtom("x");
    NodeRef b = std::move(a);
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(referenceCount(b), 1u);
}

TEST(NodeStore, HeaderBitsOfANewAtom) {
    NodeRef a = makeAtom("123");
    EXPECT_TRUE(isAtomNode(a.get()));
    EXPECT_EQ(kindTagOf(a.get()), 0u);
    EXPECT_EQ(a.get()->header >> 63, 1u);
    EXPECT_EQ((a.get()->header >> 30) & ((1u << 26) - 1), 3u);
}

TEST(NodeStore, SpanHoldsTheLengthOfDigitAndBracketTextsOnly) {
    EXPECT_EQ(span(makeAtom("123")), 3u);
    EXPECT_EQ(span(makeAtom("[ab]")), 4u);
    EXPECT_EQ(span(makeAtom("abc")), 0u);
    NodeRef empty = makeAtom("");
    EXPECT_EQ(span(empty), 0u);
    EXPECT_EQ(firstByte(empty), 0u);
    EXPECT_EQ(atomText(empty), "");
}

TEST(NodeStore, AnAtomStoresItsTextInlineWithATrailingNul) {
    NodeRef a = makeAtom("plus");
    const char* bytes = atomBytes(a.get());
    EXPECT_EQ(bytes, reinterpret_cast<const char*>(a.get()) + 8);
    EXPECT_EQ(std::string(bytes, 5), std::string("plus\0", 5));
}

TEST(NodeStore, ABlockTextIsMeasuredByItsBase64Prefix) {
    const std::string raw("(b)\0x", 5);
    NodeRef block = makeAtom(std::string_view(raw));
    EXPECT_EQ(atomText(block).size(), 5u);
    EXPECT_EQ(atomText(block), std::string_view(raw));
    EXPECT_EQ(atomText(makeAtom("()")).size(), 2u);
}

TEST(NodeStore, ARealTextIsAlwaysNineBytes) {
    const std::string raw(" \0\0\0\0\0\0\xf0\x3f", 9);
    EXPECT_EQ(atomText(makeAtom(std::string_view(raw))), std::string_view(raw));
    // A short text beginning with a space is padded, never read past its block.
    EXPECT_EQ(atomText(makeAtom(" ab")), std::string_view(" ab\0\0\0\0\0\0", 9));
}

TEST(NodeStore, OtherTextsEndAtTheFirstNul) {
    const std::string raw("ab\0cd", 5);
    EXPECT_EQ(atomText(makeAtom(std::string_view(raw))), "ab");
    // Digit and bracket texts keep their NUL bytes: their length is stored.
    const std::string digits("1\0002", 3);
    EXPECT_EQ(atomText(makeAtom(std::string_view(digits))).size(), 3u);
}

TEST(NodeStore, MakingAnAtomFromAStringMovesItsBytes) {
    std::string bytes = "hello";
    NodeRef a = makeAtom(std::move(bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(atomText(a), "hello");
}

TEST(NodeStore, AnApplicationHasFirstByteZeroAndEmptyText) {
    NodeRef app = apply(makeAtom("f"), makeAtom("x"));
    EXPECT_TRUE(isApplication(app));
    EXPECT_EQ(firstByte(app), 0u);
    EXPECT_EQ(atomText(app), "");
}

TEST(NodeStore, ApplyRetainsEachOperandOnce) {
    NodeRef p = makeAtom("p");
    NodeRef x = makeAtom("x");
    NodeRef app = apply(p, x);
    EXPECT_EQ(referenceCount(p), 2u);
    EXPECT_EQ(referenceCount(x), 2u);
    NodeRef handed = apply(std::move(p), std::move(x));
    EXPECT_EQ(referenceCount(app), 1u);
    EXPECT_EQ(functionOf(app.get()), functionOf(handed.get()));
    EXPECT_EQ(countOf(functionOf(app.get())), 2u);
}

TEST(NodeStore, ApplyOfSeveralArgumentsNestsToTheLeft) {
    NodeRef t = apply(makeAtom("p"), makeAtom("x"), makeAtom("y"), makeAtom("z"));
    EXPECT_EQ(atomText(argumentPart(t)), "z");
    NodeRef f = functionPart(t);
    EXPECT_EQ(atomText(argumentPart(f)), "y");
    NodeRef g = functionPart(f);
    EXPECT_EQ(atomText(argumentPart(g)), "x");
    EXPECT_EQ(atomText(functionPart(g)), "p");
}

TEST(NodeStore, AssigningTheSameNodeLeavesTheCountUnchanged) {
    NodeRef a = makeAtom("a");
    NodeRef b = a;
    a = b;
    EXPECT_EQ(referenceCount(a), 2u);
    NodeRef& self = a;
    a = self;
    EXPECT_EQ(referenceCount(a), 2u);
}

TEST(NodeStore, AssigningAChildToItsParentsHandleKeepsTheChild) {
    NodeRef parent = apply(makeAtom("f"), makeAtom("child"));
    NodeRef child = argumentPart(parent);
    Node* childNode = child.get();
    child = NodeRef(); // only the parent holds the child now
    EXPECT_EQ(countOf(childNode), 1u);
    parent = NodeRef(argumentOf(parent.get()));
    EXPECT_EQ(parent.get(), childNode);
    EXPECT_EQ(atomText(parent), "child");
    EXPECT_EQ(referenceCount(parent), 1u);
}

TEST(NodeStore, TakePartsOfTheOnlyReferenceKeepsTheChildCounts) {
    NodeRef f = makeAtom("f");
    NodeRef app = apply(f, makeAtom("x"));
    auto [p, x] = takeParts(std::move(app));
    EXPECT_EQ(referenceCount(f), 2u);
    EXPECT_EQ(referenceCount(x), 1u);
    EXPECT_EQ(atomText(x), "x");
}

TEST(NodeStore, TakePartsOfASharedApplicationCopiesTheParts) {
    NodeRef app = apply(makeAtom("f"), makeAtom("x"));
    NodeRef other = app;
    auto [p, x] = takeParts(std::move(app));
    EXPECT_EQ(referenceCount(other), 1u);
    EXPECT_EQ(referenceCount(x), 2u);
}

TEST(NodeStore, ReleasingALongChainAtOnceDoesNotExhaustTheStack) {
    NodeRef chain = makeAtom("end");
    for (int i = 0; i < 10'000'000; ++i)
        chain = apply(std::move(chain), makeAtom("x"));
    NodeRef spine = makeAtom("end");
    for (int i = 0; i < 1'000'000; ++i)
        spine = apply(makeAtom("x"), std::move(spine));
    chain = NodeRef();
    spine = NodeRef();
    SUCCEED();
}

TEST(NodeStore, FreedBlocksAreReusedForNewNodes) {
    Node* first = nullptr;
    {
        NodeRef a = apply(makeAtom("f"), makeAtom("x"));
        first = a.get();
    }
    NodeRef b = apply(makeAtom("g"), makeAtom("y"));
#ifndef RILL_SANITIZE
    EXPECT_EQ(b.get(), first);
#else
    (void)first;
#endif
}

TEST(NodeStore, MakeIntegerWritesNegativesWithALeadingZero) {
    EXPECT_EQ(atomText(makeInteger(0)), "0");
    EXPECT_EQ(atomText(makeInteger(5)), "5");
    EXPECT_EQ(atomText(makeInteger(-5)), "05");
    EXPECT_EQ(atomText(makeInteger(INT64_MAX)), "9223372036854775807");
    EXPECT_EQ(atomText(makeInteger(INT64_MIN)), "09223372036854775808");
}

TEST(NodeStore, Base64DigitsFollowTheAlphabet) {
    EXPECT_EQ(base64Value('_'), 0);
    EXPECT_EQ(base64Value('a'), 1);
    EXPECT_EQ(base64Value('r'), 18);
    EXPECT_EQ(base64Value('u'), 19);
    EXPECT_EQ(base64Value('s'), 20);
    EXPECT_EQ(base64Value('t'), 21);
    EXPECT_EQ(base64Value('z'), 24);
    EXPECT_EQ(base64Value('y'), 26);
    EXPECT_EQ(base64Value('0'), 27);
    EXPECT_EQ(base64Value('A'), 37);
    EXPECT_EQ(base64Value('U'), 55);
    EXPECT_EQ(base64Value('Y'), 62);
    EXPECT_EQ(base64Value('~'), 63);
    EXPECT_EQ(base64Digits(0), "");
    EXPECT_EQ(base64Digits(64), "a_");
    EXPECT_EQ(blockText("xy"), "(b)xy");
}

TEST(NodeStoreDeathTest, AnInvalidBase64DigitIsAnInternalFailure) {
    EXPECT_DEATH(base64Value('!'), "ASSERTION FAILED:");
}

TEST(NodeStoreDeathTest, FunctionPartOfAnAtomIsAnInternalFailure) {
    EXPECT_DEATH(functionPart(makeAtom("K")), "ASSERTION FAILED:");
    EXPECT_DEATH(argumentPart(makeAtom("K")), "ASSERTION FAILED:");
}

TEST(NodeStoreDeathTest, ANullTextIsAnInternalFailure) {
    EXPECT_DEATH(makeAtom(static_cast<const char*>(nullptr)), "ASSERTION FAILED:");
}

TEST(NodeStoreDeathTest, ACountAtItsLimitTakesNoMoreReferences) {
    NodeRef a = makeAtom("a");
    a.get()->header |= kCountMask; // as if 2^30 - 1 references were held
    // So many holders take more memory than a run can have: the run ends as out of memory.
    EXPECT_EXIT(retainNode(a.get()), ::testing::ExitedWithCode(kOutOfMemoryStatus),
                "^rill: out of memory: one value");
    a.get()->header &= ~kCountMask;
    a.get()->header |= 1;
}

TEST(NodeStoreDeathTest, ReleasingANodeWithNoReferenceIsAnInternalFailure) {
    Node* raw = newAtomNode("a", 1);
    EXPECT_DEATH(releaseNode(raw), "ASSERTION FAILED:");
    NodeRef keep(raw);
}

TEST(NodeStoreDeathTest, ABlockTextWhosePrefixOverrunsItsBytesIsRefused) {
    EXPECT_DEATH(makeAtom("(z)ab"), "ASSERTION FAILED:");
}

TEST(NodeStore, AnUnsharedLongStringGrowsInPlace) {
    NodeRef s = makeAtom("[" + std::string(300, 'a') + "]");
    ASSERT_TRUE(appendToStringInPlace(s, "bc"));
    EXPECT_EQ(atomText(s), "[" + std::string(300, 'a') + "bc]");
    EXPECT_EQ(span(s), 304u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(appendToStringInPlace(s, "x"));
    EXPECT_EQ(atomText(s).size(), 1304u);
    EXPECT_EQ(atomText(s).back(), ']');
}

TEST(NodeStore, ASharedOrShortStringIsNotChangedInPlace) {
    NodeRef s = makeAtom("[" + std::string(300, 'a') + "]");
    NodeRef other = s;
    EXPECT_FALSE(appendToStringInPlace(s, "b"));
    EXPECT_EQ(atomText(other).size(), 302u);
    NodeRef shortString = makeAtom("[ab]");
    EXPECT_FALSE(appendToStringInPlace(shortString, "c"));
    NodeRef notString = makeAtom(std::string(300, '1'));
    EXPECT_FALSE(appendToStringInPlace(notString, "2"));
}

TEST(PeakNodes, ThePeakGrowsWithTheMostNodesAliveAndNeverShrinks) {
    const std::int64_t before = peakNodeCount();
    constexpr int kMore = 1'000'000; // more than every test before has held at once
    {
        NodeRef chain = makeAtom("x");
        for (int i = 0; i < kMore; ++i)
            chain = apply(std::move(chain), makeAtom(std::string(300, 'y'))); // own blocks
        EXPECT_GE(peakNodeCount(), 2 * kMore);
    }
    const std::int64_t after = peakNodeCount();
    EXPECT_GT(after, before);
    // Freed nodes are used again before the store grows: the same chain once more leaves the
    // high-water mark where it was.
    {
        NodeRef chain = makeAtom("x");
        for (int i = 0; i < kMore; ++i)
            chain = apply(std::move(chain), makeAtom(std::string(300, 'y')));
    }
    EXPECT_EQ(peakNodeCount(), after);
}
