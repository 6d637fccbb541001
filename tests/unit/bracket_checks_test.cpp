#include "front/bracket_checks.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

constexpr std::int64_t kTwoToThirty = std::int64_t{1} << 30;

} // namespace

TEST(PositionCode, ZeroIsAllUnderscores) {
    EXPECT_EQ(positionCode(0), "_____");
}
TEST(PositionCode, OneIsTheDigitA) {
    EXPECT_EQ(positionCode(1), "____a");
}
TEST(PositionCode, SixtyThreeIsTheLastDigit) {
    EXPECT_EQ(positionCode(63), "____~");
}
TEST(PositionCode, SixtyFourCarries) {
    EXPECT_EQ(positionCode(64), "___a_");
}
TEST(PositionCode, AlphabetSkipsAheadAfterP) {
    EXPECT_EQ(positionCode(17), "____q");
    EXPECT_EQ(positionCode(18), "____r");
    EXPECT_EQ(positionCode(19), "____u");
    EXPECT_EQ(positionCode(22), "____v");
    EXPECT_EQ(positionCode(24), "____z");
    EXPECT_EQ(positionCode(25), "____x");
}
TEST(PositionCode, LargestFiveDigitValue) {
    EXPECT_EQ(positionCode(kTwoToThirty - 1), "~~~~~");
}
TEST(PositionCode, TwoToTheThirtyIsAllBangs) {
    EXPECT_EQ(positionCode(kTwoToThirty), "!!!!!");
}
TEST(PositionCode, AboveTwoToTheThirtyIsShownAsTwoToTheThirty) {
    // A program of more than 2^30 bytes may have its fault that far on.
    EXPECT_EQ(positionCode(kTwoToThirty + 1), "!!!!!");
    EXPECT_EQ(positionCode(std::int64_t{5} << 40), "!!!!!");
}
TEST(PositionCodeDeathTest, NegativeIsAnInternalFailure) {
    EXPECT_DEATH(positionCode(-1), "ASSERTION FAILED:");
}

// --- Pass 1: brackets ----------------------------------------------------------------------

TEST(BracketMatching, EmptyTextSucceeds) {
    EXPECT_TRUE(checkBrackets("").ok);
}
TEST(BracketMatching, BalancedTextSucceeds) {
    EXPECT_TRUE(checkBrackets("f(a[b]{c})").ok);
}
TEST(BracketMatching, StrayClosingBracketDanglesLeft) {
    const BracketCheck check = checkBrackets("a)");
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.position, 1u);
    EXPECT_EQ(check.report, "Match[____a]Left dangling parenthesis.");
}
TEST(BracketMatching, ClosingBeforeOpeningDanglesLeftAtZero) {
    const BracketCheck check = checkBrackets(")(");
    EXPECT_EQ(check.position, 0u);
    EXPECT_EQ(check.report, "Match[_____]Left dangling parenthesis.");
}
TEST(BracketMatching, StrayClosingWingDanglesLeft) {
    EXPECT_EQ(checkBrackets("}").report, "Match[_____]Left dangling wing.");
}
TEST(BracketMatching, WrongKindDoesNotFitAtTheOpeningBracket) {
    const BracketCheck check = checkBrackets("(]");
    EXPECT_EQ(check.position, 0u);
    EXPECT_EQ(check.report, "Match[_____]Doesn't fit ']' at [____a].");
}
TEST(BracketMatching, WrongKindReportsBothPositions) {
    const BracketCheck check = checkBrackets("ab{c)");
    EXPECT_EQ(check.position, 2u);
    EXPECT_EQ(check.report, "Match[____b]Doesn't fit ')' at [____d].");
}
TEST(BracketMatching, UnclosedGroupDanglesRightAtTheInnermost) {
    const BracketCheck check = checkBrackets("((x)");
    EXPECT_EQ(check.position, 0u);
    EXPECT_EQ(check.report, "Match[_____]Right dangling parenthesis.");
    EXPECT_EQ(checkBrackets("x({").report, "Match[____b]Right dangling wing.");
}
TEST(BracketMatching, LoneOpeningBracketDanglesRight) {
    const BracketCheck check = checkBrackets("(");
    EXPECT_EQ(check.position, 0u);
    EXPECT_EQ(check.report, "Match[_____]Right dangling parenthesis.");
}
TEST(BracketMatching, RoundBracketInsideASquareLiteralIsNotExamined) {
    EXPECT_TRUE(checkBrackets("[(]").ok);
    EXPECT_TRUE(checkBrackets("[a[(}]b]").ok);
}
TEST(BracketMatching, ExtraClosingSquareBracketDanglesLeft) {
    const BracketCheck check = checkBrackets("[a]]");
    EXPECT_EQ(check.position, 3u);
    EXPECT_EQ(check.report, "Match[____c]Left dangling bracket.");
}
TEST(BracketMatching, UnclosedSquareLiteralDanglesRight) {
    EXPECT_EQ(checkBrackets("x[a[b]").report, "Match[____a]Right dangling bracket.");
}

// --- Pass 2: commas ------------------------------------------------------------------------

namespace {

const char* const kCommaMessage = "Comma encountered in parenthesization which is not a call list.";

std::string commaReport(const std::string& code) {
    return "Comma[" + code + "]" + kCommaMessage;
}

} // namespace

TEST(CommaCheck, CommasInsideBracesAreFree) {
    EXPECT_TRUE(checkBrackets("{a,b}").ok);
}
TEST(CommaCheck, CallListSucceeds) {
    EXPECT_TRUE(checkBrackets("g(a,b)").ok);
}
TEST(CommaCheck, GroupAfterASpaceIsNotACallList) {
    const BracketCheck check = checkBrackets("g (a,b,c)");
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.position, 4u);
    EXPECT_EQ(check.report, commaReport("____d"));
}
TEST(CommaCheck, GroupAtTheStartIsNotACallList) {
    const BracketCheck check = checkBrackets("(a,b)");
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.position, 2u);
    EXPECT_EQ(check.report,
              "Comma[____b]Comma encountered in parenthesization which is not a call list.");
}
TEST(CommaCheck, GroupAfterAnInfixOperatorIsNotACallList) {
    const BracketCheck check = checkBrackets("x+(a,b)");
    EXPECT_EQ(check.position, 4u);
    EXPECT_EQ(check.report, commaReport("____d"));
}
TEST(CommaCheck, TopLevelCommaAfterAGroupIsFree) {
    EXPECT_TRUE(checkBrackets("(a),b").ok);
}
TEST(CommaCheck, GroupAfterACommaIsNotACallList) {
    const BracketCheck check = checkBrackets("g(a,(b,c))");
    EXPECT_EQ(check.position, 6u);
    EXPECT_EQ(check.report, commaReport("____f"));
}
TEST(CommaCheck, GroupAfterAGroupIsACallList) {
    EXPECT_TRUE(checkBrackets("g(x)(a,b)").ok);
}
TEST(CommaCheck, GroupAfterAnOpeningRoundBracketIsACallList) {
    EXPECT_TRUE(checkBrackets("((a,b))").ok);
}
TEST(CommaCheck, GroupAfterAnOpeningBraceIsACallList) {
    EXPECT_TRUE(checkBrackets("{(a,b)}").ok);
}
TEST(CommaCheck, GroupAfterASquareLiteralIsACallList) {
    EXPECT_TRUE(checkBrackets("[f](a,b)").ok);
}
TEST(CommaCheck, GroupAfterAPrefixOperatorIsACallList) {
    EXPECT_TRUE(checkBrackets("~(a,b)").ok);
}
TEST(CommaCheck, CommasInsideASquareLiteralAreNotExamined) {
    EXPECT_TRUE(checkBrackets("x+([a,b])").ok);
}
TEST(CommaCheck, CommaInsideANestedCallDoesNotCountForTheOuterGroup) {
    EXPECT_TRUE(checkBrackets("x+(f(a,b))").ok);
}
TEST(CommaCheck, CommaInsideBracesInsideAGroupIsFree) {
    EXPECT_TRUE(checkBrackets("x+(v{a,b}c)").ok);
}
TEST(CommaCheck, TheLeftmostCommaOfTheGroupIsReported) {
    const BracketCheck check = checkBrackets("x+(a,f(b,c),d)");
    EXPECT_EQ(check.position, 4u);
}
TEST(CommaCheck, ReportPositionsAreRawOffsets) {
    const BracketCheck check = checkBrackets("x =  \n (a,b)");
    EXPECT_EQ(check.position, 9u);
    EXPECT_EQ(check.report, commaReport("____i"));
}
TEST(CommaCheck, DefinitionsSeparatedByCommasSucceed) {
    EXPECT_TRUE(checkBrackets("K(inc(41)),inc\\x\\x+1").ok);
}
TEST(CommaCheck, BracketMismatchIsFoundBeforeCommas) {
    EXPECT_EQ(checkBrackets("(a,b").report.substr(0, 5), "Match");
}

// --- Depth ---------------------------------------------------------------------------------

namespace {

constexpr int kDeep = 100000;

} // namespace

TEST(BracketChecksDepth, DeeplyNestedCallListsSucceed) {
    CodeText text;
    for (int k = 0; k < kDeep; ++k)
        text += "g(a,";
    text += "x";
    text += std::string(kDeep, ')');
    EXPECT_TRUE(checkBrackets(text).ok);
}
TEST(BracketChecksDepth, DeeplyNestedUnclosedGroupsDangleAtTheInnermost) {
    const BracketCheck check = checkBrackets(std::string(kDeep, '('));
    EXPECT_EQ(check.position, static_cast<std::size_t>(kDeep - 1));
    EXPECT_EQ(check.report, "Match[" + positionCode(kDeep - 1) + "]Right dangling parenthesis.");
}
TEST(BracketChecksDepth, DeeplyNestedCommaGroupFailsAtItsComma) {
    CodeText text;
    for (int k = 0; k < kDeep; ++k)
        text += "g(";
    text += "x+(a,b)";
    text += std::string(kDeep, ')');
    const BracketCheck check = checkBrackets(text);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.position, static_cast<std::size_t>(2 * kDeep + 4));
}
