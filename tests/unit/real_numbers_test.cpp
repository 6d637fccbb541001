#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

NodeRef a(const char* text) {
    return makeAtom(text);
}

NodeRef real(NodeRef x) {
    return builtin_real(apply(makeAtom("real"), std::move(x)));
}

Integer parse(std::string_view text) {
    Integer x;
    EXPECT_TRUE(parseDecimalText(text, x));
    return x;
}

std::uint64_t bitsOf(double d) {
    return std::bit_cast<std::uint64_t>(d);
}

} // namespace

TEST(RealAtoms, MakeAndReadRoundTrip) {
    for (double d : {0.0, -0.0, 1.5, -1e300, 5e-324, double(INFINITY)})
        EXPECT_EQ(bitsOf(readReal(makeReal(d))), bitsOf(d));
}

TEST(RealAtoms, TheRealOfZeroIsNineBytesWithEightNuls) {
    NodeRef r = makeReal(0.0);
    EXPECT_EQ(atomText(r).size(), 9u);
    EXPECT_EQ(atomText(r), std::string_view(" \0\0\0\0\0\0\0\0", 9));
}

TEST(RealAtoms, TextIsTheCLibrarysExponentForm) {
    EXPECT_EQ(realText(5.0), "5.000000e+00");
}

TEST(RealAtomsDeathTest, ReadingANonRealIsAnInternalFailure) {
    EXPECT_DEATH(readReal(a("5")), "ASSERTION FAILED:");
}

TEST(RealAtomsDeathTest, TruecastOfAnotherKindWritesTheFatalLine) {
    EXPECT_DEATH(toReal(a("[1]")), "ASSERTION FAILED:");
}

TEST(RealConversions, IntegersRoundToNearest) {
    EXPECT_EQ(realOfInteger(parse("05")), -5.0);
    EXPECT_EQ(realOfInteger(parse("0")), 0.0);
    // 2^53 + 1 lies halfway: ties to even gives 2^53
    EXPECT_EQ(realOfInteger(parse("9007199254740993")), 9007199254740992.0);
    // 2^53 + 3 rounds up to 2^53 + 4
    EXPECT_EQ(realOfInteger(parse("9007199254740995")), 9007199254740996.0);
    EXPECT_TRUE(std::isinf(realOfInteger(parse("1" + std::string(400, '0')))));
}

TEST(RealConversions, OValuesTruncateInsteadOfRounding) {
    Integer x = parse("9007199254740995"); // 2^53 + 3
    EXPECT_EQ(realOfO(x), 9007199254740994.0);
    EXPECT_EQ(realOfO(parse("05")), -5.0);
    EXPECT_EQ(realOfO(Integer{}), 0.0);
}

TEST(RealConversions, OValuesBeyondTheExponentRangeGiveTheNaN) {
    Integer big{false, shiftLeftBits(magnitudeFromUInt64(1), 1024)};
    EXPECT_EQ(bitsOf(realOfO(big)), kOutOfRangeNaNBits);
    Integer below{false, shiftLeftBits(magnitudeFromUInt64(3), 1022)};
    EXPECT_EQ(realOfO(below), std::ldexp(3.0, 1022));
}

TEST(RealBuiltin, EachKindOfArgument) {
    EXPECT_EQ(readReal(real(a("5"))), 5.0);
    EXPECT_EQ(readReal(real(a("05"))), -5.0);
    EXPECT_EQ(readReal(real(a("0"))), 0.0);
    EXPECT_EQ(readReal(real(a("0002"))), -5.0);
    EXPECT_EQ(readReal(real(a("[2.5]"))), 2.5);
    EXPECT_EQ(readReal(real(a("[abc]"))), 0.0);
    EXPECT_EQ(readReal(real(a("(c)1e3"))), 1000.0);
    EXPECT_EQ(atomText(real(a("K"))), "Z");
    EXPECT_EQ(atomText(real(apply(a("J"), a("K"), a("x")))), "Z");
}

TEST(RealBuiltin, ARealIsGivenBackAsItIs) {
    NodeRef r = makeReal(2.0);
    Node* before = r.get();
    EXPECT_EQ(real(std::move(r)).get(), before);
}

TEST(RealBitTrees, TheTreeIsCompleteWithBitZeroLeftmost) {
    NodeRef t = realBitTree(1); // only bit 0 set
    NodeRef node = t;
    for (int depth = 0; depth < 6; ++depth) {
        ASSERT_TRUE(isApplication(node));
        EXPECT_EQ(firstByte(functionPart(functionPart(node))), 'V');
        node = argumentPart(functionPart(node)); // the lower half
    }
    EXPECT_EQ(atomText(node), "K");
    NodeRef top = argumentPart(t); // the upper half: all clear
    for (int depth = 1; depth < 6; ++depth)
        top = argumentPart(top);
    EXPECT_EQ(atomText(top), "H");
}

TEST(RealBitTrees, RealTurnsTheExpansionBackIntoTheSameDouble) {
    for (double d : {1.0, -2.75, 6.02e23, double(NAN)}) {
        NodeRef r = real(realBitTree(bitsOf(d)));
        EXPECT_EQ(bitsOf(readReal(r)), bitsOf(d));
    }
}

TEST(RealBitTrees, OtherShapesAreRefused) {
    std::uint64_t bits = 0;
    EXPECT_FALSE(readRealBitTree(apply(a("V"), a("K"), a("H")), bits));
    NodeRef t = realBitTree(0);
    EXPECT_FALSE(
        readRealBitTree(apply(a("W"), argumentPart(functionPart(t)), argumentPart(t)), bits));
    EXPECT_EQ(atomText(real(apply(a("V"), a("K"), a("H")))), "Z");
}
