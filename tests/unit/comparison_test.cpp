#include "builtin_calls.h"
#include "builtins/calling_protocol.h"
#include "builtins/comparison.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::cell;

namespace {

NodeRef a(const char* text) {
    return makeAtom(text);
}

using Fn = NodeRef (*)(NodeRef);

std::string run(Fn f, NodeRef x, NodeRef y) {
    return std::string(atomText(f(apply(makeAtom("op"), std::move(x), std::move(y)))));
}

} // namespace

TEST(ComparisonOrder, IntegerExamples) {
    EXPECT_EQ(run(builtin_less, a("05"), a("3")), "K");
    EXPECT_EQ(run(builtin_less, a("3"), a("3")), "H");
    EXPECT_EQ(run(builtin_gteq, a("3"), a("3")), "K");
    EXPECT_EQ(run(builtin_less, a("02"), a("01")), "K");
    EXPECT_EQ(run(builtin_gteq, a("1"), a("02")), "K");
    EXPECT_EQ(run(builtin_less, a("99999999999999999999"), a("100000000000000000000")), "K");
}

TEST(ComparisonOrder, DifferentKindsCompareByKindLetter) {
    EXPECT_EQ(run(builtin_less, a("1"), makeReal(0.5)), "H");
    EXPECT_EQ(run(builtin_less, makeReal(100.0), a("1")), "K");
    EXPECT_EQ(run(builtin_less, a("(a)x"), makeReal(1.0)), "K");
    EXPECT_EQ(run(builtin_less, a("5"), a("00")), "K");
    EXPECT_EQ(run(builtin_gteq, a("[a]"), a("007")), "K");
}

TEST(ComparisonOrder, RealsUseIeeeComparison) {
    EXPECT_EQ(run(builtin_less, makeReal(1.0), makeReal(2.0)), "K");
    EXPECT_EQ(run(builtin_gteq, makeReal(2.0), makeReal(2.0)), "K");
    EXPECT_EQ(run(builtin_less, makeReal(NAN), makeReal(1.0)), "H");
    EXPECT_EQ(run(builtin_gteq, makeReal(NAN), makeReal(1.0)), "H");
}

TEST(ComparisonOrder, OValuesGoByTheirNumbers) {
    EXPECT_EQ(run(builtin_less, a("000"), a("00")), "K");   // -1 < 0
    EXPECT_EQ(run(builtin_less, a("003"), a("0002")), "H"); // 3 < -5 is false
    EXPECT_EQ(run(builtin_gteq, cell("H", a("K")), a("00")), "K");
}

TEST(ComparisonOrder, StringsAndBlocksGoByTheirOwnBytes) {
    EXPECT_EQ(run(builtin_less, a("[ab]"), a("[ab!]")), "K");
    EXPECT_EQ(run(builtin_less, a("[b]"), a("[ab]")), "H");
    EXPECT_EQ(run(builtin_less, a("[\x80]"), a("[a]")), "H"); // unsigned bytes
    EXPECT_EQ(run(builtin_less, a("(a)a"), a("(b)ab")), "K");
}

TEST(ComparisonOrder, AnOtherValueGivesZ) {
    EXPECT_EQ(run(builtin_less, a("K"), a("1")), "Z");
    EXPECT_EQ(run(builtin_gteq, a("1"), apply(a("V"), a("1"), a("2"))), "Z");
    EXPECT_EQ(run(builtin_less, cell("K", a("x")), a("1")), "Z");
}

TEST(ComparisonEquality, SameAndDiffOfEqualValues) {
    EXPECT_EQ(run(builtin_same, a("0"), a("0")), "K");
    EXPECT_EQ(run(builtin_same, a("[ab]"), a("[ab]")), "K");
    EXPECT_EQ(run(builtin_same, a("(b)ab"), a("(b)ab")), "K");
    EXPECT_EQ(run(builtin_same, makeReal(2.0), makeReal(2.0)), "K");
    EXPECT_EQ(run(builtin_diff, a("12"), a("12")), "H");
}

TEST(ComparisonEquality, ABitListEqualsItsCanonicalText) {
    EXPECT_EQ(run(builtin_same, cell("K", cell("K", a("0"))), a("3")), "K");
    EXPECT_EQ(run(builtin_same, cell("H", cell("H", a("K"))), a("000")), "K");
}

TEST(ComparisonEquality, DifferentKindsAreNeverTheSame) {
    EXPECT_EQ(run(builtin_same, a("1"), a("[1]")), "H");
    EXPECT_EQ(run(builtin_diff, a("1"), a("[1]")), "K");
    EXPECT_EQ(run(builtin_same, a("5"), a("005")), "H");
}

TEST(ComparisonEquality, NaNIsSameOnlyAsTheVeryNode) {
    NodeRef nan = makeReal(NAN);
    EXPECT_EQ(run(builtin_same, nan, nan), "K");
    EXPECT_EQ(run(builtin_same, makeReal(NAN), makeReal(NAN)), "H");
    EXPECT_EQ(run(builtin_diff, makeReal(NAN), makeReal(NAN)), "K");
}

TEST(ComparisonEquality, OtherValuesAreZUnlessTheVeryNode) {
    NodeRef k = a("K");
    EXPECT_EQ(run(builtin_same, k, k), "K");
    EXPECT_EQ(run(builtin_diff, k, k), "H");
    EXPECT_EQ(run(builtin_same, a("K"), a("K")), "Z");
    EXPECT_EQ(run(builtin_diff, apply(a("V"), a("1")), apply(a("V"), a("1"))), "Z");
}

TEST(ComparisonTerms, CmprExamples) {
    EXPECT_EQ(run(builtin_cmpr, a("a"), a("b")), "1");
    EXPECT_EQ(run(builtin_cmpr, a("b"), a("a")), "01");
    EXPECT_EQ(run(builtin_cmpr, a("ab"), a("abc")), "1");
    EXPECT_EQ(run(builtin_cmpr, a("ab"), a("ab")), "0");
    EXPECT_EQ(run(builtin_cmpr, a("z"), apply(a("a"), a("b"))), "1");
}

TEST(ComparisonTerms, ApplicationsCompareFunctionPartsFirst) {
    EXPECT_EQ(run(builtin_cmpr, apply(a("a"), a("z")), apply(a("b"), a("a"))), "1");
    EXPECT_EQ(run(builtin_cmpr, apply(a("a"), a("z")), apply(a("a"), a("b"))), "01");
}

TEST(ComparisonTerms, DigitAtomsCompareTheirNulBytesOtherAtomsStopAtTheFirst) {
    EXPECT_EQ(run(builtin_cmpr, makeAtom(std::string_view("[a\0b]", 5)),
                  makeAtom(std::string_view("[a\0c]", 5))),
              "1");
    EXPECT_EQ(run(builtin_cmpr, makeReal(1.0), makeReal(2.0)), "0"); // both stop at byte 1
}

TEST(ComparisonTerms, DeepTermsAreComparedWithoutRecursion) {
    NodeRef x = a("x"), y = a("x");
    for (int i = 0; i < 300000; ++i) {
        x = apply(std::move(x), a("p"));
        y = apply(std::move(y), a("p"));
    }
    EXPECT_EQ(compareByShape(x, y), 0);
}
