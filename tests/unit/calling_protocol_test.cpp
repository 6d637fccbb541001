#include "builtin_calls.h"
#include "builtins/calling_protocol.h"

#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::cell;

namespace {

char kindOf(NodeRef v) {
    return static_cast<char>(valueKind(v));
}

} // namespace

TEST(ValueKinds, AtomsAreClassifiedByTheirFirstBytes) {
    EXPECT_EQ(kindOf(makeReal(1.5)), 'e');
    EXPECT_EQ(kindOf(makeAtom("(b)xy")), 'a');
    EXPECT_EQ(kindOf(makeAtom("()")), 'a');
    EXPECT_EQ(kindOf(makeAtom("[ab]")), 'u');
    EXPECT_EQ(kindOf(makeAtom("42")), 'i');
    EXPECT_EQ(kindOf(makeAtom("042")), 'i');
    EXPECT_EQ(kindOf(makeAtom("0")), 'i');
    EXPECT_EQ(kindOf(makeAtom("00")), 'o');
    EXPECT_EQ(kindOf(makeAtom("007")), 'o');
    EXPECT_EQ(kindOf(makeAtom("K")), 'w');
    EXPECT_EQ(kindOf(makeAtom("plus")), 'w');
}

TEST(ValueKinds, BitListsAreClassifiedByTheirFirstCell) {
    EXPECT_EQ(kindOf(cell("K", makeAtom("K"))), 'i');
    EXPECT_EQ(kindOf(cell("H", makeAtom("K"))), 'o');
    EXPECT_EQ(kindOf(cell("Hx", makeAtom("K"))), 'o');
    EXPECT_EQ(kindOf(cell("K", makeAtom("nonsense"))), 'i');
    EXPECT_EQ(kindOf(apply(makeAtom("V"), makeAtom("K"), makeAtom("K"))), 'w');
    EXPECT_EQ(kindOf(apply(makeAtom("J"), makeAtom("K"))), 'w');
}

TEST(ValueKinds, DataApplicationsAreStrings) {
    EXPECT_EQ(kindOf(apply(makeAtom("[a]"), makeAtom("[b]"))), 'u');
}

TEST(IntegerValues, IsIntegerAcceptsTheDecimalFormsAndK) {
    for (const char* t : {"K", "0", "05", "123", "Kx"})
        EXPECT_TRUE(isInteger(makeAtom(t))) << t;
    for (const char* t : {"00", "007", "x", "[1]", "1x", ""})
        EXPECT_FALSE(isInteger(makeAtom(t))) << t;
}

TEST(IntegerValues, IsIntegerAcceptsOnlyWellFormedListsOfKindBitOne) {
    EXPECT_TRUE(isInteger(cell("K", makeAtom("K"))));
    EXPECT_TRUE(isInteger(cell("K", cell("H", makeAtom("12")))));
    EXPECT_FALSE(isInteger(cell("H", makeAtom("K"))));        // an `o` value
    EXPECT_FALSE(isInteger(cell("K", makeAtom("nonsense")))); // kind i, yet no number
}

TEST(IntegerValues, SignOfTexts) {
    EXPECT_TRUE(isNonNegative(makeAtom("0")));
    EXPECT_TRUE(isNonNegative(makeAtom("K")));
    EXPECT_TRUE(isNonNegative(makeAtom("7")));
    EXPECT_FALSE(isNonNegative(makeAtom("07")));
}

TEST(IntegerValues, SignOfAListIsItsSecondBit) {
    EXPECT_TRUE(isNonNegative(cell("K", cell("K", makeAtom("K")))));  // N = 7: 1
    EXPECT_FALSE(isNonNegative(cell("K", cell("H", makeAtom("K"))))); // N = 5: -1
    EXPECT_EQ(toInt64(cell("K", cell("H", makeAtom("K")))), -1);
}

TEST(IntegerValues, MagnitudeDropsTheSignMarker) {
    EXPECT_EQ(atomText(magnitudeOf(makeAtom("05"))), "5");
    EXPECT_EQ(atomText(magnitudeOf(makeAtom("0"))), "0");
    EXPECT_EQ(atomText(magnitudeOf(makeAtom("12"))), "12");
    EXPECT_EQ(atomText(magnitudeOf(cell("K", cell("H", makeAtom("K"))))), "1");
}

TEST(IntegerValues, ToInt64ReadsTheExtremesAndWrapsPastSixtyFourBits) {
    EXPECT_EQ(toInt64(makeAtom("09223372036854775808")), INT64_MIN);
    EXPECT_EQ(toInt64(makeAtom("9223372036854775807")), INT64_MAX);
    EXPECT_EQ(toInt64(makeAtom("18446744073709551617")), 1);
    EXPECT_EQ(toInt64(makeAtom("9223372036854775808")), INT64_MIN);
    EXPECT_EQ(toInt64(makeAtom("018446744073709551615")), 1);
    EXPECT_EQ(toInt64(makeAtom("K")), 0);
}

TEST(IntegerValuesDeathTest, SignOfANonIntegerIsAnInternalFailure) {
    EXPECT_DEATH(isNonNegative(makeAtom("x")), "ASSERTION FAILED:");
    EXPECT_DEATH(isNonNegative(cell("K", makeAtom("x"))), "ASSERTION FAILED:");
}

TEST(Addresses, ToPointerOfEachKind) {
    NodeRef s = makeAtom("[ab]");
    EXPECT_EQ(toPointer(s), static_cast<const void*>(atomBytes(s.get())));
    NodeRef b = makeAtom(std::string_view("(b)x\0", 5));
    EXPECT_EQ(std::memcmp(toPointer(b), "x", 1), 0);
    EXPECT_EQ(toPointer(makeAtom("4096")), reinterpret_cast<void*>(4096));
    EXPECT_EQ(toPointer(cell("K", makeAtom("nonsense"))), nullptr);
    EXPECT_EQ(toPointer(apply(makeAtom("[a]"), makeAtom("[b]"))), nullptr);
}

TEST(AddressesDeathTest, ToPointerOfAnotherKindIsAnInternalFailure) {
    EXPECT_DEATH(toPointer(makeAtom("K")), "ASSERTION FAILED:");
    EXPECT_DEATH(toPointer(makeReal(1.0)), "ASSERTION FAILED:");
}

TEST(Results, ARealAtomIsASpaceAndTheDoublesBytesLowFirst) {
    NodeRef r = makeReal(1.0); // 0x3FF0000000000000
    std::string_view t = atomText(r);
    ASSERT_EQ(t.size(), 9u);
    EXPECT_EQ(t[0], ' ');
    EXPECT_EQ(static_cast<unsigned char>(t[7]), 0xF0);
    EXPECT_EQ(static_cast<unsigned char>(t[8]), 0x3F);
    EXPECT_EQ(atomText(makeReal(0.0)), std::string_view(" \0\0\0\0\0\0\0\0", 9));
}

TEST(Calls, TakeArgumentsGivesThemInApplicationOrder) {
    NodeRef call = apply(makeAtom("f"), makeAtom("1"), makeAtom("2"), makeAtom("3"));
    auto [a, b, c] = takeArguments<3>(std::move(call));
    EXPECT_EQ(atomText(a), "1");
    EXPECT_EQ(atomText(b), "2");
    EXPECT_EQ(atomText(c), "3");
    EXPECT_EQ(referenceCount(a), 1u);
}

TEST(Calls, ArgumentOfCallWalksDownTheFunctionParts) {
    NodeRef call = apply(makeAtom("f"), makeAtom("1"), makeAtom("2"), makeAtom("3"));
    EXPECT_EQ(atomText(argumentOfCall(call, 1, 3)), "1");
    EXPECT_EQ(atomText(argumentOfCall(call, 3, 3)), "3");
}
