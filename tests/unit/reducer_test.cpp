#include "core/classification.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"
#include "front/source_text.h"
#include "term_notation.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

using rill::testing::show;

class Reducer : public ::testing::Test {
protected:
    // Takes in the Prelude and a program whose definitions the expressions may use.
    void load(const char* program = "K(0)") {
        loadPrelude();
        ASSERT_TRUE(isEmpty(takeInProgram(program)));
    }
    void SetUp() override { load(); }
    NodeRef term(const char* text) { return parseExpression(normaliseSpacing(text)); }
    std::string reduced(const char* text) { return show(normalize(term(text))); }
};

} // namespace

TEST_F(Reducer, ANormalAtomIsItsOwnNormalForm) {
    NodeRef k = term("K");
    NodeRef result = normalize(k);
    EXPECT_EQ(result.get(), k.get());
}

TEST_F(Reducer, KOfTwoArgumentsContractsInOneStep) {
    NodeRef machine = apply(makeAtom("I"), term("K 1 2"));
    machine = step(std::move(machine));
    EXPECT_EQ(show(machine), "(I 1)");
}

TEST_F(Reducer, KNeverTouchesItsSecondArgument) {
    EXPECT_EQ(reduced("K 1 (M M)"), "1"); // M M would never end
}

TEST_F(Reducer, SKKIsTheIdentity) {
    EXPECT_EQ(reduced("S K K (plus 1 2)"), "3");
    EXPECT_EQ(reduced("S K K 7"), "7");
}

TEST_F(Reducer, ABuiltinGetsItsArgumentsInNormalForm) {
    EXPECT_EQ(reduced("plus (plus 1 2) 3"), "6");
    EXPECT_EQ(reduced("(1+2)*(3+4)"), "21");
}

TEST_F(Reducer, APartialApplicationHasItsArgumentsNormalised) {
    EXPECT_EQ(reduced("I (K (plus 1 2))"), "(K 3)");
}

TEST_F(Reducer, AnArgumentFrameHandsALazyHeadItsArguments) {
    EXPECT_EQ(reduced("(I K) 4 5"), "4");
    EXPECT_EQ(reduced("V 1 2 K"), "1");
    EXPECT_EQ(reduced("V 1 2 H"), "2");
}

TEST_F(Reducer, ArgumentFramesFollowARedefinedT) {
    load("K(0),T\\a\\b\\a");
    EXPECT_EQ(reduced("(I K) 4 5"), "5"); // each frame now answers its own argument
    load("K(0),T\\p\\q\\q(p)");
    EXPECT_EQ(reduced("(I K) 4 5"), "4"); // the same definition written another way
}

TEST_F(Reducer, ANumberUnfoldsIntoItsFirstPartAndRemainder) {
    EXPECT_EQ(reduced("6 x"), "(V H 3)");
    EXPECT_EQ(reduced("05 x"), "(V K 01)");
    EXPECT_EQ(reduced("0 7"), "(K 7)");
}

TEST_F(Reducer, TheEmptyStringAppliedToGIsTheEmptyListView) {
    NodeRef machine = step(apply(makeAtom("I"), term("[] G")));
    EXPECT_EQ(show(machine), "(I (G (X J) K))");
}

TEST_F(Reducer, AStringAppliedToGSplitsOffItsLastElement) {
    NodeRef result = normalize(term("[ab] G"));
    EXPECT_EQ(show(functionPart(functionPart(result))), "V");
    EXPECT_EQ(atomText(argumentPart(functionPart(result))), "[a]");
}

TEST_F(Reducer, AStringAppliedToAFunctionIsExpandedIntoCells) {
    // The list view of [] is K; of a one-element string J K code.
    EXPECT_EQ(reduced("[] I"), "(X J K)");
    EXPECT_EQ(reduced("[[]] V"), "(V (X J) (J K K))");
    EXPECT_EQ(reduced("[[][[]]] V"), "(V (X J) (J (J K K) (J K K)))");
}

TEST_F(Reducer, ABlockOfOneByteUnfoldsIntoItsBitTree) {
    NodeRef block = makeAtom(std::string_view("(a)\x05", 4));
    NodeRef result = normalize(apply(block, makeAtom("x")));
    EXPECT_EQ(show(result), "(V (J (J I H) (J I H)) (J (J H H) (J H H)))");
}

TEST_F(Reducer, ALongerBlockSplitsAtAPowerOfTwo) {
    NodeRef block = makeAtom(std::string_view("(c)abc", 6));
    NodeRef result = normalize(apply(block, makeAtom("x")));
    EXPECT_EQ(atomText(argumentPart(functionPart(result))), "(b)ab");
    EXPECT_EQ(atomText(argumentPart(result)), "(a)c");
    EXPECT_EQ(reduced("(I x)"), "x");
}

TEST_F(Reducer, ALambdaFormSubstitutesItsArgument) {
    EXPECT_EQ(reduced("(x\\x+1) 4"), "5");
    EXPECT_EQ(reduced("(x\\y\\x) 1 2"), "1");
}

TEST_F(Reducer, ALetFormBindsItsValueInTheBody) {
    EXPECT_EQ(reduced("x{3}x*x"), "9");
    EXPECT_EQ(reduced("x{plus 1 2}x+x"), "6");
}

TEST_F(Reducer, ALetValueSeesTheOuterBinderOfItsName) {
    load("K(0),gg\\x\\x{x+1}x");
    EXPECT_EQ(reduced("gg 4"), "5");
}

TEST_F(Reducer, ADefinitionIsInstantiatedWithItsArguments) {
    load("K(0),inc\\x\\x+1,sub\\a\\b\\a-b");
    EXPECT_EQ(reduced("inc 41"), "42");
    EXPECT_EQ(reduced("sub 10 3"), "7");
}

TEST_F(Reducer, AConstantIsStoredBackWithItsValue) {
    load("K(0),cc\\plus 1 2");
    EXPECT_EQ(reduced("cc"), "3");
    EXPECT_EQ(show(definitionTable().at("cc")), "3");
}

TEST_F(Reducer, ALambdaValueOfAConstantIsWrappedSoItsArityStaysZero) {
    load("K(0),cc\\I(x\\x)");
    EXPECT_EQ(reduced("cc 5"), "5");
    EXPECT_EQ(show(definitionTable().at("cc")), "(B I (\\ x x))");
    EXPECT_EQ(arity(makeAtom("cc")), 0);
    EXPECT_EQ(reduced("cc 6"), "6");
}

TEST_F(Reducer, AOnceNameIsNeverStoredBack) {
    load("K(0),cc()\\plus 1 2");
    EXPECT_EQ(reduced("cc"), "3");
    EXPECT_EQ(show(definitionTable().at("cc")), "(I (plus 1 2))");
}

TEST_F(Reducer, AConstantThatNeedsItsOwnValueEndsInItsUpdateMarker) {
    load("K(0),cc\\cc");
    EXPECT_EQ(reduced("plus cc 1"), ")cc");
}

TEST_F(Reducer, AnUndefinedNameEndsTheReductionWithItsMarker) {
    EXPECT_EQ(reduced("plus nosuch 1"), "]nosuch");
}

TEST_F(Reducer, ABuiltinThatCannotHandleItsArgumentsGivesZ) {
    EXPECT_EQ(reduced("plus K I"), "Z");
}

TEST_F(Reducer, SubstituteSharesEverySubtermWithoutTheVariable) {
    NodeRef body = term("plus (f y) x");
    NodeRef fy = argumentPart(functionPart(body));
    NodeRef result = substitute(body, makeAtom("7"), 'x');
    EXPECT_EQ(show(result), "(plus (f y) 7)");
    EXPECT_EQ(argumentOf(functionOf(result.get())), fy.get());
    NodeRef same = substitute(body, makeAtom("7"), 'q');
    EXPECT_EQ(same.get(), body.get());
}

TEST_F(Reducer, SubstituteLeavesTheBodyOfALetThatRebindsTheVariable) {
    NodeRef body = term("x{x+1}x");
    EXPECT_EQ(show(substitute(body, makeAtom("4"), 'x')), "({ x (+ 4 1) x)");
}

TEST_F(Reducer, SubstituteWalksDeepTermsWithoutTheMachineStack) {
    NodeRef body = makeAtom("x");
    for (int i = 0; i < 1'000'000; ++i)
        body = apply(makeAtom("f"), std::move(body));
    NodeRef result = substitute(body, makeAtom("1"), 'x');
    Node* n = result.get();
    while (!isAtomNode(n))
        n = argumentOf(n);
    EXPECT_STREQ(atomBytes(n), "1");
}

TEST_F(Reducer, ALongChainOfPendingWorkCostsNoMachineStack) {
    load("K(0),count\\n\\(n<1)(0)(1+count(n-1))");
    EXPECT_EQ(reduced("count 100000"), "100000");
}

// A lazy head hands its arguments over untouched: an argument it drops is never reduced, so
// a never-ending one (M M) does no harm. Each letter is seen doing it.
TEST_F(Reducer, LazyHeadsNeverReduceTheArgumentsTheyDrop) {
    EXPECT_EQ(reduced("H (M M) 2"), "2");
    EXPECT_EQ(reduced("N (M M)"), "K");
    EXPECT_EQ(reduced("Z (M M)"), "Z");
    EXPECT_EQ(reduced("V 1 (M M) K"), "1");
    EXPECT_EQ(reduced("J 1 (M M) 3 K"), "1");
    EXPECT_EQ(reduced("F (M M) 2 K"), "2");
    EXPECT_EQ(reduced("B (K 1) M M"), "1");
    EXPECT_EQ(reduced("C K (M M) 1"), "1");
    EXPECT_EQ(reduced("T (M M) (K 1)"), "1");
    EXPECT_EQ(reduced("U 1 (M M)"), "(U 1)");
    EXPECT_EQ(reduced("R K"), "Z");
    // behind an argument frame too: (I K) 4 (M M) hands both arguments to K
    EXPECT_EQ(reduced("(I K) 4 (M M)"), "4");
}

// The combinators that are not lazy (S and W copy an argument) give what their definitions
// give on arguments that still need reducing.
TEST_F(Reducer, CopyingCombinatorsWorkOnArgumentsThatNeedReducing) {
    EXPECT_EQ(reduced("S plus I (plus 2 3)"), "10");
    EXPECT_EQ(reduced("W plus (plus 1 1)"), "4");
}

TEST_F(Reducer, NormalFormsAreValuesWithNothingPending) {
    EXPECT_TRUE(isNormal(term("K 3")));
    EXPECT_FALSE(isNormal(term("K (plus 1 2)")));
    EXPECT_FALSE(isNormal(term("K 1 2")));
    EXPECT_TRUE(isNormal(term("[ab]")));
    EXPECT_TRUE(isNormal(term("x\\plus x 1")));
}

TEST(ReducerDeathTest, ANormalFocusNeedsAPlugFrame) {
    loadPrelude();
    EXPECT_DEATH(step(apply(makeAtom("I"), makeAtom("K"))), "ASSERTION FAILED:");
}

TEST(ReducerDeathTest, SubstitutingSomethingOtherThanALetterIsAnInternalFailure) {
    EXPECT_DEATH(substitute(makeAtom("x"), makeAtom("1"), 'X'), "ASSERTION FAILED:");
}
