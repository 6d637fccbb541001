#include "builtins/c_math.h"

#include <string>

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
