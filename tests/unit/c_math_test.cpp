#include "builtins/c_math.h"
#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

std::string run(NodeRef (*f)(NodeRef), NodeRef x) {
    return std::string(atomText(f(apply(makeAtom("abs"), std::move(x)))));
}

} // namespace

TEST(IntegerAbsolute, AbsExamples) {
    EXPECT_EQ(run(builtin_abs, makeAtom("05")), "5");
    EXPECT_EQ(run(builtin_abs, makeAtom("0")), "0");
    EXPECT_EQ(run(builtin_abs, makeAtom("7")), "7");
    EXPECT_EQ(run(builtin_abs, makeAtom("x")), "Z");
    EXPECT_EQ(run(builtin_abs, makeAtom("K")), "0");
}

TEST(IntegerAbsolute, TheMostNegativeValueStaysAsItIs) {
    EXPECT_EQ(run(builtin_abs, makeAtom("09223372036854775808")), "09223372036854775808");
    EXPECT_EQ(run(builtin_labs, makeAtom("09223372036854775808")), "09223372036854775808");
}

TEST(IntegerAbsolute, MagnitudesBeyondSixtyFourBitsAreCutFirst) {
    // 2^64 + 5 reads as 5; 2^64 - 1 reads as -1
    EXPECT_EQ(run(builtin_abs, makeAtom("018446744073709551621")), "5");
    EXPECT_EQ(run(builtin_abs, makeAtom("18446744073709551615")), "1");
}

TEST(IntegerAbsolute, LabsEqualsAbsOnTheSixtyFourBitLong) {
    EXPECT_EQ(run(builtin_labs, makeAtom("05")), "5");
    EXPECT_EQ(run(builtin_labs, makeAtom("04294967296")), "4294967296");
    EXPECT_EQ(run(builtin_labs, makeAtom("[5]")), "Z");
}

TEST(IntegerAbsolute, BitListsAreIntegersToo) {
    NodeRef minusOne =
        apply(makeAtom("J"), makeAtom("K"), apply(makeAtom("J"), makeAtom("H"), makeAtom("K")));
    EXPECT_EQ(run(builtin_abs, std::move(minusOne)), "1");
    EXPECT_EQ(run(builtin_abs, apply(makeAtom("J"), makeAtom("H"), makeAtom("K"))), "Z");
}

namespace {

NodeRef realCall(const char* name, std::vector<NodeRef> arguments) {
    NodeRef call = makeAtom(name);
    for (NodeRef& a : arguments)
        call = apply(std::move(call), std::move(a));
    return callBridge(std::move(call));
}

} // namespace

TEST(MathBridge, SqrtOfARealIsARealAndOfAnIntegerIsZ) {
    EXPECT_DOUBLE_EQ(readReal(realCall("sqrt", {makeReal(2.0)})), std::sqrt(2.0));
    EXPECT_EQ(atomText(realCall("sqrt", {makeInteger(2)})), "Z");
}

TEST(MathBridge, TwoRealFunctions) {
    EXPECT_DOUBLE_EQ(readReal(realCall("pow", {makeReal(2.0), makeReal(10.0)})), 1024.0);
    EXPECT_DOUBLE_EQ(readReal(realCall("fmod", {makeReal(7.0), makeReal(3.0)})), 1.0);
    EXPECT_DOUBLE_EQ(readReal(realCall("hypot", {makeReal(3.0), makeReal(4.0)})), 5.0);
    EXPECT_EQ(atomText(realCall("pow", {makeReal(2.0), makeInteger(1)})), "Z");
}

TEST(MathBridge, FrexpAndModfStoreTheirSecondResult) {
    int exponent = 0;
    EXPECT_DOUBLE_EQ(
        readReal(realCall(
            "frexp", {makeReal(8.0), makeInteger(reinterpret_cast<std::intptr_t>(&exponent))})),
        0.5);
    EXPECT_EQ(exponent, 4);
    double whole = 0;
    EXPECT_DOUBLE_EQ(
        readReal(realCall("modf",
                          {makeReal(2.75), makeInteger(reinterpret_cast<std::intptr_t>(&whole))})),
        0.75);
    EXPECT_DOUBLE_EQ(whole, 2.0);
    EXPECT_DOUBLE_EQ(readReal(realCall("ldexp", {makeReal(0.5), makeInteger(3)})), 4.0);
}
