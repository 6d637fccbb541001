#include "builtin_calls.h"
#include "builtins/c_math.h"
#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::callNamed;
using rill::testing::text;

namespace {

std::string run(const char* name, NodeRef x) {
    return text(callNamed(name, {std::move(x)}));
}

} // namespace

TEST(IntegerAbsolute, AbsExamples) {
    EXPECT_EQ(run("abs", makeAtom("05")), "5");
    EXPECT_EQ(run("abs", makeAtom("0")), "0");
    EXPECT_EQ(run("abs", makeAtom("7")), "7");
    EXPECT_EQ(run("abs", makeAtom("x")), "Z");
    EXPECT_EQ(run("abs", makeAtom("K")), "0");
}

TEST(IntegerAbsolute, TheMostNegativeValueStaysAsItIs) {
    EXPECT_EQ(run("abs", makeAtom("09223372036854775808")), "09223372036854775808");
    EXPECT_EQ(run("labs", makeAtom("09223372036854775808")), "09223372036854775808");
}

TEST(IntegerAbsolute, MagnitudesBeyondSixtyFourBitsAreCutFirst) {
    // 2^64 + 5 reads as 5; 2^64 - 1 reads as -1
    EXPECT_EQ(run("abs", makeAtom("018446744073709551621")), "5");
    EXPECT_EQ(run("abs", makeAtom("18446744073709551615")), "1");
}

TEST(IntegerAbsolute, LabsEqualsAbsOnTheSixtyFourBitLong) {
    EXPECT_EQ(run("labs", makeAtom("05")), "5");
    EXPECT_EQ(run("labs", makeAtom("04294967296")), "4294967296");
    EXPECT_EQ(run("labs", makeAtom("[5]")), "Z");
}

TEST(IntegerAbsolute, BitListsAreIntegersToo) {
    NodeRef minusOne =
        apply(makeAtom("J"), makeAtom("K"), apply(makeAtom("J"), makeAtom("H"), makeAtom("K")));
    EXPECT_EQ(run("abs", std::move(minusOne)), "1");
    EXPECT_EQ(run("abs", apply(makeAtom("J"), makeAtom("H"), makeAtom("K"))), "Z");
}

TEST(MathBridge, SqrtOfARealIsARealAndOfAnIntegerIsZ) {
    EXPECT_DOUBLE_EQ(readReal(callNamed("sqrt", {makeReal(2.0)})), std::sqrt(2.0));
    EXPECT_EQ(atomText(callNamed("sqrt", {makeInteger(2)})), "Z");
}

TEST(MathBridge, TwoRealFunctions) {
    EXPECT_DOUBLE_EQ(readReal(callNamed("pow", {makeReal(2.0), makeReal(10.0)})), 1024.0);
    EXPECT_DOUBLE_EQ(readReal(callNamed("fmod", {makeReal(7.0), makeReal(3.0)})), 1.0);
    EXPECT_DOUBLE_EQ(readReal(callNamed("hypot", {makeReal(3.0), makeReal(4.0)})), 5.0);
    EXPECT_EQ(atomText(callNamed("pow", {makeReal(2.0), makeInteger(1)})), "Z");
}

TEST(MathBridge, FrexpAndModfStoreTheirSecondResult) {
    int exponent = 0;
    EXPECT_DOUBLE_EQ(
        readReal(callNamed(
            "frexp", {makeReal(8.0), makeInteger(reinterpret_cast<std::intptr_t>(&exponent))})),
        0.5);
    EXPECT_EQ(exponent, 4);
    double whole = 0;
    EXPECT_DOUBLE_EQ(
        readReal(callNamed("modf",
                           {makeReal(2.75), makeInteger(reinterpret_cast<std::intptr_t>(&whole))})),
        0.75);
    EXPECT_DOUBLE_EQ(whole, 2.0);
    EXPECT_DOUBLE_EQ(readReal(callNamed("ldexp", {makeReal(0.5), makeInteger(3)})), 4.0);
}
