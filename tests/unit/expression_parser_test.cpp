#include "front/expression_parser.h"
#include "front/source_text.h"
#include "term_notation.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

using rill::testing::show;

std::string parsed(const CodeText& text) {
    return show(parseExpression(text));
}

} // namespace

// --- Forms at a glance ---------------------------------------------------------------------

TEST(ExpressionParser, SpaceIsApplication) {
    EXPECT_EQ(parsed("g x"), "(g x)");
}
TEST(ExpressionParser, NewlineIsApplication) {
    EXPECT_EQ(parsed("g\nx"), "(g x)");
}
TEST(ExpressionParser, JuxtaposedTermsApply) {
    EXPECT_EQ(parsed("gK"), "(g K)");
}
TEST(ExpressionParser, LowerRunIsOneWord) {
    EXPECT_EQ(parsed("gx"), "gx");
}
TEST(ExpressionParser, CallListAppliesEachArgument) {
    EXPECT_EQ(parsed("g(a,b)"), "(g a b)");
}
TEST(ExpressionParser, EmptyCallListPassesTheEmptyPiece) {
    EXPECT_EQ(parsed("g()"), "(g })");
}
TEST(ExpressionParser, EmptyLastArgumentIsTheEmptyPiece) {
    EXPECT_EQ(parsed("g(a,)"), "(g a })");
}
TEST(ExpressionParser, LeadingGroupIsItsContents) {
    EXPECT_EQ(parsed("(e)"), "e");
}
TEST(ExpressionParser, BackslashBuildsTheLambdaForm) {
    EXPECT_EQ(parsed("a\\b"), "(\\ a b)");
}
TEST(ExpressionParser, BracesBuildTheLetForm) {
    EXPECT_EQ(parsed("L{x,y}R"), "({ L (, x y) R)");
}
TEST(ExpressionParser, InfixOperatorIsACurriedApplication) {
    EXPECT_EQ(parsed("a+b"), "(+ a b)");
}
TEST(ExpressionParser, PostfixOperatorAppliesToTheTermBeforeIt) {
    EXPECT_EQ(parsed("x!"), "(! x)");
}
TEST(ExpressionParser, PrefixOperatorAppliesToTheTermAfterIt) {
    EXPECT_EQ(parsed("!x"), "(! x)");
}
TEST(ExpressionParser, SquareLiteralIsOneAtomWithItsSpaces) {
    EXPECT_EQ(parsed("[text and more]"), "[text and more]");
}
TEST(ExpressionParser, NumberWordAndLetterAreAtoms) {
    EXPECT_EQ(parsed("123"), "123");
    EXPECT_EQ(parsed("abc"), "abc");
    EXPECT_EQ(parsed("A"), "A");
}
TEST(ExpressionParser, EmptyTextIsTheEmptyPieceAtom) {
    EXPECT_EQ(parsed(""), "}");
}

// --- Folds and levels ----------------------------------------------------------------------

TEST(ExpressionParserFolds, AdditiveOperatorsFoldLeft) {
    EXPECT_EQ(parsed("a-b+c"), "(+ (- a b) c)");
}
TEST(ExpressionParserFolds, LogicalOperatorsFoldRight) {
    EXPECT_EQ(parsed("a&b|c"), "(& a (| b c))");
}
TEST(ExpressionParserFolds, PowerFoldsRight) {
    EXPECT_EQ(parsed("a^b^c"), "(^ a (^ b c))");
}
TEST(ExpressionParserFolds, SemicolonsFoldRight) {
    EXPECT_EQ(parsed("x;y;z"), "(; x (; y z))");
}
TEST(ExpressionParserFolds, LambdasNestToTheRight) {
    EXPECT_EQ(parsed("a\\b\\body"), "(\\ a (\\ b body))");
}
TEST(ExpressionParserFolds, LambdaWithoutParameterHasTheEmptyPiece) {
    EXPECT_EQ(parsed("\\x"), "(\\ } x)");
}
TEST(ExpressionParserFolds, ComparisonsFoldRight) {
    EXPECT_EQ(parsed("a=b<c>d#e"), "(= a (< b (> c (# d e))))");
}
TEST(ExpressionParserFolds, QuestionAndNewlineFoldLeft) {
    EXPECT_EQ(parsed("a?b\nc?d"), "(? (? a b c) d)");
}
TEST(ExpressionParserFolds, MultiplicativeOperatorsFoldLeft) {
    EXPECT_EQ(parsed("a*b/c%d'e"), "(' (% (/ (* a b) c) d) e)");
}
TEST(ExpressionParserFolds, LevelsNestLoosestOutside) {
    EXPECT_EQ(parsed("a;b?c&d=e@f+g*h^i"), "(; a (? b (& c (= d (@ e (+ f (* g (^ h i))))))))");
}
TEST(ExpressionParserFolds, LeadingInfixOperatorHasAnEmptyLeftOperand) {
    EXPECT_EQ(parsed("-5"), "(- } 5)");
}
TEST(ExpressionParserFolds, AtAndSpaceShareALevel) {
    EXPECT_EQ(parsed("a@b"), "(@ a b)");
    EXPECT_EQ(parsed("a b@c"), "(@ (a b) c)");
}
TEST(ExpressionParserFolds, NewlineBindsLooserThanSpace) {
    EXPECT_EQ(parsed("x\ny z"), "(x (y z))");
}
TEST(ExpressionParserFolds, DotIsAnOperatorNotANumber) {
    EXPECT_EQ(parsed("a.b"), "(. a b)");
}
TEST(ExpressionParserFolds, SquareLiteralThenTerm) {
    EXPECT_EQ(parsed("[a b]c"), "([a b] c)");
}
TEST(ExpressionParserFolds, TrailingOperatorHasAnEmptyRightOperand) {
    EXPECT_EQ(parsed("a+"), "(+ a })");
}

// --- Braces --------------------------------------------------------------------------------

TEST(ExpressionParserBraces, EmptyBraceListIsTheEmptyPiece) {
    EXPECT_EQ(parsed("L{}R"), "({ L } R)");
}
TEST(ExpressionParserBraces, BraceElementsAreFullExpressions) {
    EXPECT_EQ(parsed("v{a;b,c\\d}x"), "({ v (, (; a b) (\\ c d)) x)");
}
TEST(ExpressionParserBraces, PieceAfterABraceGroupFoldsOn) {
    EXPECT_EQ(parsed("a{x}b;c"), "({ a x (; b c))");
}
TEST(ExpressionParserBraces, EmptyElementsAreEmptyPieces) {
    EXPECT_EQ(parsed("v{,}"), "({ v (, } }) })");
}
TEST(ExpressionParserBraces, PairLetBindsTwoNames) {
    EXPECT_EQ(parsed("a b{p}a+b"), "({ (a b) p (+ a b))");
}

// --- Prefix and postfix --------------------------------------------------------------------

TEST(ExpressionParserPrefix, PostfixRunAppliesInnermostFirst) {
    EXPECT_EQ(parsed("x!!"), "(! (! x))");
}
TEST(ExpressionParserPrefix, LonePostfixOperatorAppliesToTheEmptyPiece) {
    EXPECT_EQ(parsed("!"), "(! })");
}
TEST(ExpressionParserPrefix, PrefixInsideAStretchAppliesToTheRest) {
    EXPECT_EQ(parsed("g~x"), "(g (~ x))");
}
TEST(ExpressionParserPrefix, PrefixRunInsideAStretchNests) {
    EXPECT_EQ(parsed("g~!x y"), "(g (~ (! x)) y)");
}
TEST(ExpressionParserPrefix, PrefixTakesTheWholeStretchUpToTheNextRun) {
    EXPECT_EQ(parsed("g~x(y)$z"), "(g (~ (x y)) ($ z))");
}
TEST(ExpressionParserPrefix, PrefixAndPostfixOnOneTerm) {
    EXPECT_EQ(parsed("!x`"), "(` (! x))");
}
TEST(ExpressionParserPrefix, QuoteIsAPrefix) {
    EXPECT_EQ(parsed("`(a+b)"), "(` (+ a b))");
}
TEST(ExpressionParserPrefix, DoubleQuoteIsAnOperator) {
    EXPECT_EQ(parsed("\"x"), "(\" x)");
}

// --- Terms and calls -----------------------------------------------------------------------

TEST(ExpressionParserTerms, CombinatorLettersApplyLeftToRight) {
    EXPECT_EQ(parsed("BKK"), "(B K K)");
}
TEST(ExpressionParserTerms, CallOnALaterTerm) {
    EXPECT_EQ(parsed("a c b(c)"), "(a c (b c))");
}
TEST(ExpressionParserTerms, CallListsChain) {
    EXPECT_EQ(parsed("g(a,b)(c)"), "(g a b c)");
}
TEST(ExpressionParserTerms, GroupThenCall) {
    EXPECT_EQ(parsed("(g)(x)"), "(g x)");
}
TEST(ExpressionParserTerms, CallArgumentsAreFullExpressions) {
    EXPECT_EQ(parsed("g(a;b,c d)"), "(g (; a b) (c d))");
}
TEST(ExpressionParserTerms, CommaInADoubleGroupStaysWithItsTerm) {
    EXPECT_EQ(parsed("((a,b))"), "(a, b)");
}
TEST(ExpressionParserTerms, NulByteIsTheNewlineAtom) {
    EXPECT_EQ(parsed(CodeText("g\0", 2)), "(g \n)");
}
TEST(ExpressionParserTerms, OtherBytesAreTermsOfTheirOwn) {
    EXPECT_EQ(parsed("A\x80\r"), "(A \x80 \r)");
}
TEST(ExpressionParserTerms, SquareLiteralInACall) {
    EXPECT_EQ(parsed("f([a,b])"), "(f [a,b])");
}

// --- Worked examples -----------------------------------------------------------------------

TEST(ExpressionParserExamples, SCombinatorDefinition) {
    EXPECT_EQ(parsed("S\\a\\b\\c\\a c b(c)"), "(\\ S (\\ a (\\ b (\\ c (a c (b c))))))");
}
TEST(ExpressionParserExamples, GCombinatorBody) {
    EXPECT_EQ(parsed("G\\a\\VZ BW(BC)DDV(V XJ)"),
              "(\\ G (\\ a (V Z (B W (B C) D D V (V (X J))))))");
}
TEST(ExpressionParserExamples, IncrementProgram) {
    EXPECT_EQ(parsed("inc\\x\\x+1"), "(\\ inc (\\ x (+ x 1)))");
}
TEST(ExpressionParserExamples, ParsingFromATighterLevel) {
    EXPECT_EQ(show(parseFromLevel(5, "g~!x y").tree), "(g (~ (! x)) y)");
    EXPECT_EQ(show(parseFromLevel(8, "a+b").tree), "(a+ b)");
}

// --- Terms that cannot be read -------------------------------------------------------------

TEST(ExpressionParserBadTerm, UpperLetterWithACommaIsReported) {
    const ParseOutcome outcome = parseProgramExpression("((A,B))");
    EXPECT_EQ(outcome.badTerm, "A,");
    EXPECT_FALSE(outcome.tree.empty());
}
TEST(ExpressionParserBadTerm, TheLeftmostBadTermIsReported) {
    EXPECT_EQ(parseProgramExpression("f((A,B),(C,,D))").badTerm, "A,");
}
TEST(ExpressionParserBadTerm, ReadableTextReportsNothing) {
    EXPECT_EQ(parseProgramExpression("((a,b))").badTerm, "");
}
TEST(ExpressionParserBadTerm, MessageQuotesTheTerm) {
    EXPECT_EQ(badTermMessage("A,"), "Term [A,] cannot be read.");
}
TEST(ExpressionParserBadTermDeathTest, ParseExpressionAssertsOnABadTerm) {
    EXPECT_DEATH(parseExpression("((A,B))"), "ASSERTION FAILED:");
}
TEST(ExpressionParserDeathTest, UnbalancedTextIsAnInternalFailure) {
    EXPECT_DEATH(parseExpression("(a"), "ASSERTION FAILED:");
}

// --- Depth and size ------------------------------------------------------------------------

namespace {

constexpr int kDeep = 100000;

// Follows n argument parts down from the tree, checking each step's function part.
NodeRef descend(NodeRef n, int steps, const std::string& head) {
    for (int k = 0; k < steps; ++k) {
        if (!isApplication(n) || show(functionPart(n)) != head)
            return makeAtom("mismatch");
        n = argumentPart(n);
    }
    return n;
}

} // namespace

TEST(ExpressionParserDepth, DeeplyNestedParenthesesParse) {
    const CodeText text = std::string(kDeep, '(') + "f x" + std::string(kDeep, ')');
    EXPECT_EQ(parsed(text), "(f x)");
}
TEST(ExpressionParserDepth, DeeplyNestedCallsParse) {
    CodeText text;
    for (int k = 0; k < kDeep; ++k)
        text += "f(";
    text += "x";
    text += std::string(kDeep, ')');
    EXPECT_EQ(show(descend(parseExpression(text), kDeep, "f")), "x");
}
TEST(ExpressionParserDepth, LongPrefixRunParses) {
    const CodeText text = std::string(kDeep, '!') + "x";
    EXPECT_EQ(show(descend(parseExpression(text), kDeep, "!")), "x");
}
TEST(ExpressionParserDepth, LongPostfixRunParses) {
    const CodeText text = "x" + std::string(kDeep, '~');
    EXPECT_EQ(show(descend(parseExpression(text), kDeep, "~")), "x");
}
TEST(ExpressionParserDepth, LongPrefixRunInsideAStretchParses) {
    const CodeText text = "g" + std::string(kDeep, '$') + "x";
    const NodeRef tree = parseExpression(text);
    ASSERT_TRUE(isApplication(tree));
    EXPECT_EQ(show(functionPart(tree)), "g");
    EXPECT_EQ(show(descend(argumentPart(tree), kDeep, "$")), "x");
}
TEST(ExpressionParserDepth, LongLambdaChainParses) {
    CodeText text;
    for (int k = 0; k < kDeep; ++k)
        text += "a\\";
    text += "b";
    EXPECT_EQ(show(descend(parseExpression(text), kDeep, "(\\ a)")), "b");
}
TEST(ExpressionParserDepth, DeeplyNestedBracesParse) {
    CodeText text;
    for (int k = 0; k < kDeep; ++k)
        text += "v{";
    text += "x";
    text += std::string(kDeep, '}');
    NodeRef n = parseExpression(text);
    for (int k = 0; k < kDeep; ++k) {
        ASSERT_EQ(show(functionPart(functionPart(n))), "({ v)");
        n = argumentPart(functionPart(n));
    }
    EXPECT_EQ(show(n), "x");
}
TEST(ExpressionParserDepth, AMegabyteProgramParses) {
    CodeText text;
    while (text.size() < 1000000)
        text += "f(a+b*c,[x y],g h)-K(x!)\\y;z{p,q}r\n";
    const NodeRef tree = parseExpression(text);
    EXPECT_TRUE(isApplication(tree));
}
TEST(ExpressionParserDepth, AMegabyteOfOneLevelParses) {
    CodeText text = "a";
    while (text.size() < 1000000)
        text += "+a";
    const NodeRef tree = parseExpression(text);
    EXPECT_EQ(show(functionPart(functionPart(tree))), "+");
}

// --- One parser for many texts -------------------------------------------------------------

TEST(ExpressionParserReuse, EachTextGivesTheTreeOfAFreshParse) {
    const std::vector<std::string> texts = {
        "f(a+b*c,[x y],g h)-K(x!)\\y;z{p,q}r", "a b{v}a", "", "!!x$", "((A,B))", "x`y", "a\nb c"};
    ExpressionParser parser;
    for (const std::string& text : texts) {
        ParseOutcome again = parser.parse(text);
        ParseOutcome fresh = parseProgramExpression(text);
        EXPECT_EQ(show(again.tree), show(fresh.tree)) << text;
        EXPECT_EQ(again.badTerm, fresh.badTerm) << text;
    }
}

TEST(ExpressionParserReuse, ATermWithNoMeaningIsForgottenByTheNextText) {
    ExpressionParser parser;
    EXPECT_EQ(parser.parse("((A,B))").badTerm, "A,");
    EXPECT_EQ(parser.parse("x").badTerm, "");
}

TEST(ExpressionParserReuse, WithACacheEqualAtomsAreOneNode) {
    AtomCache atoms;
    ExpressionParser parser(&atoms);
    const NodeRef first = parser.parse("plus(x,12)").tree;
    const NodeRef second = parser.parse("x+12").tree;
    EXPECT_EQ(show(first), "(plus x 12)");
    EXPECT_EQ(argumentPart(first).get(), argumentPart(second).get()); // 12
    EXPECT_EQ(argumentPart(functionPart(first)).get(),                // x
              argumentPart(functionPart(second)).get());
    EXPECT_NE(functionPart(functionPart(first)).get(), functionPart(functionPart(second)).get());
}

TEST(AtomCache, HandsOutOneNodePerTextAndHoldsIt) {
    AtomCache atoms;
    Node* kept = nullptr;
    {
        NodeRef a = atoms.atomOf("foo");
        kept = a.get();
    }
    EXPECT_EQ(atoms.atomOf("foo").get(), kept); // still held by the cache
    EXPECT_EQ(atomText(atoms.atomOf("[a b]")), "[a b]");
    EXPECT_NE(atoms.atomOf("fo").get(), kept);
    EXPECT_NE(atoms.atomOf("[a]").get(), atoms.atomOf("[a b]").get());
    EXPECT_EQ(atoms.atomOf("[a]").get(), atoms.atomOf("[a]").get());
}

TEST(AtomCache, KeepsItsAtomsApartAsItGrows) {
    AtomCache atoms;
    std::vector<NodeRef> made;
    for (int k = 0; k < 5000; ++k)
        made.push_back(atoms.atomOf(std::string(1, 'n').append(std::to_string(k))));
    for (int k = 0; k < 5000; ++k)
        ASSERT_EQ(atoms.atomOf(std::string(1, 'n').append(std::to_string(k))).get(), made[k].get())
            << k;
}

// --- Where atoms stand ------------------------------------------------------------------------

namespace {

// The text of every atom with an origin, followed by "@" and its offset, in order of offset.
std::vector<std::string> origins(std::string_view text) {
    std::vector<AtomOrigin> found;
    ParseOutcome outcome = parseWithOrigins(text, found);
    std::vector<std::pair<std::size_t, std::string>> placed;
    for (const AtomOrigin& o : found)
        placed.emplace_back(o.offset, std::string(atomBytes(o.atom), measureText(o.atom)));
    std::sort(placed.begin(), placed.end());
    std::vector<std::string> shown;
    for (const auto& [offset, atom] : placed)
        shown.push_back(atom + "@" + std::to_string(offset));
    return shown;
}

} // namespace

TEST(ParseWithOrigins, TermsAndOperatorsStandWhereTheirBytesAre) {
    EXPECT_EQ(origins("fact\\n\\n*fact(n-1)"),
              (std::vector<std::string>{"fact@0", "\\@4", "n@5", "\\@6", "n@7", "*@8", "fact@9",
                                        "n@14", "-@15", "1@16"}));
}

TEST(ParseWithOrigins, AnEmptyPieceStandsWhereItIsEmpty) {
    // The empty left operand of "-" is where the "-" is; an empty binder where its backslash is.
    EXPECT_EQ(origins("-5"), (std::vector<std::string>{"-@0", "}@0", "5@1"}));
    EXPECT_EQ(origins("\\x"), (std::vector<std::string>{"\\@0", "}@0", "x@1"}));
}

TEST(ParseWithOrigins, PrefixesBracesAndCommasOfBraceListsAreTheirOwnBytes) {
    EXPECT_EQ(origins("v{a,b}!v"),
              (std::vector<std::string>{"v@0", "{@1", "a@2", ",@3", "b@4", "!@6", "v@7"}));
}

TEST(ParseWithOrigins, GivesTheTreeThatParsingGives) {
    std::vector<AtomOrigin> found;
    const std::string text = "K(seq(out([a b]),x`+y!)),seq\\a\\b\\b";
    EXPECT_EQ(show(parseWithOrigins(text, found).tree), parsed(text));
}
