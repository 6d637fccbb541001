#include "front/lexical_classes.h"

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

using Positions = std::vector<std::size_t>;

// The terms of a stretch, as texts.
std::vector<std::string> terms(std::string_view stretch) {
    const Positions starts = cutTerms(stretch);
    std::vector<std::string> out;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : stretch.size();
        out.emplace_back(stretch.substr(starts[k], end - starts[k]));
    }
    return out;
}

using Terms = std::vector<std::string>;

} // namespace

TEST(CharacterClasses, UnderscoreIsLower) {
    EXPECT_TRUE(isLower('_'));
}
TEST(CharacterClasses, PunctuationHasThirtyThreeBytes) {
    int count = 0;
    for (int b = 0; b < 256; ++b)
        count += isPunctuation(static_cast<unsigned char>(b)) ? 1 : 0;
    EXPECT_EQ(count, 33);
    EXPECT_FALSE(isPunctuation('_'));
    EXPECT_TRUE(isPunctuation('\n'));
    EXPECT_TRUE(isPunctuation(' '));
}
TEST(CharacterClasses, EveryByteIsInExactlyOneClass) {
    for (int v = 0; v < 256; ++v) {
        const auto b = static_cast<unsigned char>(v);
        const int classes = (isLower(b) ? 1 : 0) + (isDigit(b) ? 1 : 0) + (isUpper(b) ? 1 : 0) +
                            (isPunctuation(b) ? 1 : 0) + (isOtherByte(b) ? 1 : 0);
        EXPECT_EQ(classes, 1) << v;
    }
}
TEST(CharacterClasses, PrefixOperatorsAreTheFiveQuoteLikeCharacters) {
    for (const char c : std::string_view("~!\"$`"))
        EXPECT_TRUE(isPrefixOperator(static_cast<unsigned char>(c)));
    EXPECT_FALSE(isPrefixOperator('@'));
    EXPECT_FALSE(isPrefixOperator('\''));
}

TEST(BracketKindWord, NamesTheThreeKinds) {
    EXPECT_EQ(bracketKindWord('('), "parenthesis");
    EXPECT_EQ(bracketKindWord(')'), "parenthesis");
    EXPECT_EQ(bracketKindWord('['), "bracket");
    EXPECT_EQ(bracketKindWord(']'), "bracket");
    EXPECT_EQ(bracketKindWord('{'), "wing");
    EXPECT_EQ(bracketKindWord('}'), "wing");
}
TEST(BracketKindWordDeathTest, ANonBracketIsAnInternalFailure) {
    EXPECT_DEATH(bracketKindWord('a'), "ASSERTION FAILED:");
}

TEST(IsLowerWord, HoldsForLettersAndUnderscores) {
    EXPECT_TRUE(isLowerWord("a_bz"));
}
TEST(IsLowerWord, FailsForTheEmptyText) {
    EXPECT_FALSE(isLowerWord(""));
}
TEST(IsLowerWord, FailsForADigitOrUpperLetter) {
    EXPECT_FALSE(isLowerWord("ab1"));
    EXPECT_FALSE(isLowerWord("aB"));
}

TEST(MatchBracket, RoundBracketSkipsASquareLiteralHoldingARoundBracket) {
    EXPECT_EQ(matchBracket("(a[)]b)", 0), 6u);
}
TEST(MatchBracket, ClosingBracketSearchesBackward) {
    EXPECT_EQ(matchBracket("(a[)]b)", 6), 0u);
    EXPECT_EQ(matchBracket("x(a(b))", 6), 1u);
}
TEST(MatchBracket, SquareModeCountsOnlySquareBrackets) {
    EXPECT_EQ(matchBracket("[a(]", 0), 3u);
    EXPECT_EQ(matchBracket("[a[b]c]", 0), 6u);
    EXPECT_EQ(matchBracket("[a[b]c]", 6), 0u);
}
TEST(MatchBracket, RoundAndCurlyBracketsCloseEachOther) {
    EXPECT_EQ(matchBracket("(a}", 0), 2u);
    EXPECT_EQ(matchBracket("{(a)}", 0), 4u);
}
TEST(MatchBracket, NonBracketIsItsOwnPartner) {
    EXPECT_EQ(matchBracket("ab", 1), 1u);
}
TEST(MatchBracketDeathTest, PositionPastTheEndIsAnInternalFailure) {
    EXPECT_DEATH(matchBracket("ab", 2), "ASSERTION FAILED:");
}
TEST(MatchBracketDeathTest, UnclosedBracketIsAnInternalFailure) {
    EXPECT_DEATH(matchBracket("(a", 0), "ASSERTION FAILED:");
    EXPECT_DEATH(matchBracket("a]", 1), "ASSERTION FAILED:");
}

TEST(SplitPoints, PointsInsideGroupsAreNotRecorded) {
    EXPECT_EQ(splitPoints("a;(b;c);d", CharSet(";")), (Positions{1, 7}));
}
TEST(SplitPoints, OpeningBracketInTheSetIsRecorded) {
    EXPECT_EQ(splitPoints("a{b;c};d", CharSet(";{")), (Positions{1, 6}));
}
TEST(SplitPoints, SquareLiteralsAreNotLookedInto) {
    EXPECT_EQ(splitPoints("[a b] c", CharSet(" ")), (Positions{5}));
}
TEST(SplitPoints, NoPointsInATextWithoutTheSet) {
    EXPECT_TRUE(splitPoints("abc", CharSet(";")).empty());
}

TEST(FindTopLevel, FindsTheFirstByteOutsideGroups) {
    EXPECT_EQ(findTopLevel(0, "g(~x)[~]~y", kPrefixOperators), 8u);
}
TEST(FindTopLevel, StartsAtTheGivenPosition) {
    EXPECT_EQ(findTopLevel(2, "~a~b", kPrefixOperators), 2u);
    EXPECT_EQ(findTopLevel(3, "~a~b", kPrefixOperators), kNoPosition);
}

TEST(Segments, PiecesAroundPlainSplitPoints) {
    const std::string_view text = "ab;c;;d";
    const Positions points = splitPoints(text, CharSet(";"));
    ASSERT_EQ(points, (Positions{2, 4, 5}));
    EXPECT_EQ(partBeforeFirst(text, points), "ab");
    EXPECT_EQ(partBefore(text, points, 1), "c");
    EXPECT_EQ(partBefore(text, points, 2), "");
    EXPECT_EQ(partAfter(text, points, 0), "c");
    EXPECT_EQ(partAfter(text, points, 2), "d");
}
TEST(Segments, PieceAfterABraceGroupStartsAfterItsPartner) {
    const std::string_view text = "a{x,y}b;c{}";
    const Positions points = splitPoints(text, CharSet(";{"));
    ASSERT_EQ(points, (Positions{1, 7, 9}));
    EXPECT_EQ(partBefore(text, points, 1), "b");
    EXPECT_EQ(partAfterLastGroup(text, points), "");
    EXPECT_EQ(partAfterLastGroup("a{x}yz", splitPoints("a{x}yz", CharSet("{"))), "yz");
}
TEST(Segments, WholeTextWhenThereAreNoSplitPoints) {
    EXPECT_EQ(partBeforeFirst("abc", Positions{}), "abc");
}

TEST(CutTerms, UpperLettersAreTermsOfTheirOwn) {
    EXPECT_EQ(terms("BKK"), (Terms{"B", "K", "K"}));
}
TEST(CutTerms, UpperLetterThenWord) {
    EXPECT_EQ(terms("Ya"), (Terms{"Y", "a"}));
}
TEST(CutTerms, WordThenNumber) {
    EXPECT_EQ(terms("abc1"), (Terms{"abc", "1"}));
}
TEST(CutTerms, NumberThenWord) {
    EXPECT_EQ(terms("12ab"), (Terms{"12", "ab"}));
}
TEST(CutTerms, UnderscoreBelongsToTheWord) {
    EXPECT_EQ(terms("x_1y"), (Terms{"x_", "1", "y"}));
}
TEST(CutTerms, EachParenthesisedGroupIsATerm) {
    EXPECT_EQ(terms("g(x)(y)"), (Terms{"g", "(x)", "(y)"}));
}
TEST(CutTerms, SquareLiteralIsOneTerm) {
    EXPECT_EQ(terms("[a b]c"), (Terms{"[a b]", "c"}));
}
TEST(CutTerms, LeadingGroupEndsTheFirstTerm) {
    EXPECT_EQ(terms("(a)b[c]"), (Terms{"(a)", "b", "[c]"}));
}
TEST(CutTerms, UpperLetterBeforeAnOtherByteGivesTwoTerms) {
    EXPECT_EQ(terms("A\x80"), (Terms{"A", "\x80"}));
}
TEST(CutTerms, CommaStaysWithTheTermBeforeIt) {
    EXPECT_EQ(terms("a,b"), (Terms{"a,", "b"}));
    EXPECT_EQ(terms("A,B"), (Terms{"A,", "B"}));
}
TEST(CutTerms, ByteAfterAClosingBracketStartsATerm) {
    EXPECT_EQ(terms("(a),b"), (Terms{"(a)", ",", "b"}));
}
TEST(CutTerms, NulByteIsATermOfItsOwn) {
    EXPECT_EQ(terms(std::string_view("a\0b", 3)), (Terms{"a", std::string("\0", 1), "b"}));
}

TEST(TermAtom, WordNumberAndLiteralKeepTheirWholeText) {
    EXPECT_EQ(atomText(termAtom("abc,")), "abc,");
    EXPECT_EQ(atomText(termAtom("123")), "123");
    EXPECT_EQ(atomText(termAtom("[+]")), "[+]");
}
TEST(TermAtom, NulByteGivesTheNewlineAtom) {
    EXPECT_EQ(atomText(termAtom(std::string_view("\0", 1))), "\n");
}
TEST(TermAtom, SingleOtherByteIsItsOwnAtom) {
    EXPECT_EQ(atomText(termAtom("\r")), "\r");
}
TEST(TermAtom, LongTermStartingWithAnUpperLetterIsUnreadable) {
    EXPECT_FALSE(isReadableTerm("A,"));
    EXPECT_FALSE(isReadableTerm(",,"));
    EXPECT_TRUE(isReadableTerm("a,"));
    EXPECT_TRUE(isReadableTerm("A"));
}
TEST(TermAtomDeathTest, UnreadableTermIsAnInternalFailure) {
    EXPECT_DEATH(termAtom("A,"), "ASSERTION FAILED:");
}

TEST(BracketPartners, AgreeWithMatchBracketOnEveryVisibleBracket) {
    const std::string_view text = "f(a[(]{b}(c))[x[y]]{}";
    const BracketPartners partners = pairBrackets(text);
    for (const std::size_t i : Positions{1, 3, 5, 6, 8, 9, 11, 12, 13, 18, 19, 20})
        EXPECT_EQ(partnerOf(partners, i), matchBracket(text, i)) << i;
    EXPECT_EQ(partnerOf(partners, 0), 0u);
}
TEST(BracketPartners, RangedScansAgreeWithTheWholeTextOnes) {
    const std::string_view text = "x(a;(b;c);d)";
    const BracketPartners partners = pairBrackets(text);
    Positions points;
    splitPointsIn(text, partners, 2, 11, CharSet(";"), points);
    EXPECT_EQ(points, (Positions{3, 9}));
    Positions starts;
    cutTermsIn(text, partners, 0, text.size(), starts);
    EXPECT_EQ(starts, (Positions{0, 1}));
    EXPECT_EQ(findTopLevelIn(text, partners, 0, text.size(), CharSet(";")), kNoPosition);
}
TEST(BracketPartnersDeathTest, UnbalancedTextIsAnInternalFailure) {
    EXPECT_DEATH(pairBrackets("(a"), "ASSERTION FAILED:");
    EXPECT_DEATH(pairBrackets("a)"), "ASSERTION FAILED:");
    EXPECT_DEATH(pairBrackets("a]"), "ASSERTION FAILED:");
    EXPECT_DEATH(pairBrackets("[a"), "ASSERTION FAILED:");
}
