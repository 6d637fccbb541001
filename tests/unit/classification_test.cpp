#include "core/classification.h"
#include "front/definition_intake.h"

#include <gtest/gtest.h>

using namespace rill;

namespace {

NodeRef atom(const char* t) {
    return makeAtom(t);
}
NodeRef lambda(const char* v, NodeRef body) {
    return apply(atom("\\"), atom(v), std::move(body));
}
NodeRef let(const char* w, NodeRef e, NodeRef body) {
    return apply(atom("{"), atom(w), std::move(e), std::move(body));
}

class Classification : public ::testing::Test {
protected:
    void SetUp() override {
        DefinitionTable& table = definitionTable();
        table.clear();
        table.insert_or_assign("K", lambda("a", lambda("b", atom("a"))));
        table.insert_or_assign("I", lambda("a", atom("a")));
        table.insert_or_assign("\\", lambda("a", lambda("b", lambda("c", atom("Z")))));
        table.insert_or_assign("{", lambda("a", lambda("b", lambda("c", atom("Z")))));
        table.insert_or_assign("plus", lambda("a", lambda("b", atom("Z"))));
        table.insert_or_assign("cc", atom("cc"));
    }
    void TearDown() override { definitionTable().clear(); }
};

} // namespace

TEST_F(Classification, ANameTakesAsManyArgumentsAsItsDefinitionHasLambdas) {
    EXPECT_EQ(arity(atom("K")), 2);
    EXPECT_EQ(arity(atom("plus")), 2);
    EXPECT_EQ(arity(atom("cc")), 0);
}

TEST_F(Classification, ApplyingTakesOneFromTheArity) {
    NodeRef kx = apply(atom("K"), atom("x"));
    EXPECT_EQ(arity(kx), 1);
    EXPECT_FALSE(isPending(kx));
    EXPECT_EQ(arity(apply(kx, atom("y"))), 0);
    EXPECT_EQ(arity(apply(kx, atom("y"), atom("z"))), -1);
}

TEST_F(Classification, ADigitAtomIsAValueThatKeepsItsLength) {
    NodeRef n = atom("42");
    EXPECT_EQ(arity(n), 1);
    EXPECT_FALSE(isPending(n));
    EXPECT_EQ(freeVariables(n), 0u);
    EXPECT_EQ(span(n), 2u);
}

TEST_F(Classification, AnUndefinedLetterIsAVariableOfUnboundedArity) {
    NodeRef x = atom("x");
    EXPECT_EQ(arity(x), 11);
    EXPECT_EQ(freeVariables(x), 1u << 23);
    NodeRef xy = apply(x, atom("y"));
    EXPECT_EQ(arity(xy), 11);
    EXPECT_EQ(freeVariables(xy), (1u << 23) | (1u << 24));
}

TEST_F(Classification, BracketAtomsAndTheirApplicationsAreInertData) {
    NodeRef a = atom("[ab]");
    NodeRef b = atom("[abc]");
    EXPECT_TRUE(isData(a));
    EXPECT_EQ(arity(a), 1);
    NodeRef ab = apply(a, b);
    EXPECT_TRUE(isData(ab));
    EXPECT_EQ(span(ab), 9u);
    EXPECT_EQ(freeVariables(ab), 0u);
    EXPECT_FALSE(isPending(ab));
}

TEST_F(Classification, TheDataSpanAddsTheLengthsOfBothParts) {
    NodeRef t = apply(atom("[]"), apply(atom("[a]"), atom("[bc]")));
    classify(t);
    EXPECT_EQ(span(t), 9u);
}

TEST_F(Classification, TheDataSpanStaysZeroWhenAPartHasNoLength) {
    NodeRef big = atom("[a]");
    classify(big);
    setSpan(big.get(), 0); // as for a text too long for the span field
    NodeRef t = apply(atom("[b]"), big);
    classify(t);
    EXPECT_TRUE(isData(t));
    EXPECT_EQ(span(t), 0u);
}

TEST_F(Classification, DataAppliedToANonDataTermIsSaturated) {
    NodeRef t = apply(atom("[a]"), atom("G"));
    EXPECT_FALSE(isData(t));
    EXPECT_EQ(arity(t), 0);
}

TEST_F(Classification, ASaturatedArgumentMakesTheTermPending) {
    NodeRef inner = apply(atom("plus"), atom("1"), atom("2"));
    NodeRef outer = apply(atom("plus"), inner);
    EXPECT_EQ(arity(inner), 0);
    EXPECT_EQ(arity(outer), 1);
    EXPECT_TRUE(isPending(outer));
    EXPECT_TRUE(isPending(apply(outer, atom("3"))));
}

TEST_F(Classification, ALambdaFormIsAValueWhateverItsBodyHolds) {
    NodeRef body = apply(atom("plus"), atom("a"), atom("1"));
    NodeRef f = lambda("a", body);
    EXPECT_EQ(arity(f), 1);
    EXPECT_FALSE(isPending(f));
    EXPECT_EQ(freeVariables(f), 0u);
    EXPECT_EQ(freeVariables(lambda("a", atom("b"))), 1u << 1);
}

TEST_F(Classification, ALetBinderIsBoundInTheBodyButNotInItsValue) {
    // { x (x + 1) x: the x in the value refers to an outer x.
    NodeRef t = let("x", apply(atom("plus"), atom("x"), atom("1")), atom("x"));
    EXPECT_EQ(freeVariables(t), 1u << 23);
    NodeRef u = let("x", atom("y"), apply(atom("x"), atom("z")));
    EXPECT_EQ(freeVariables(u), (1u << 24) | (1u << 25));
    EXPECT_EQ(arity(u), 0);
}

TEST_F(Classification, MarkersAreValues) {
    EXPECT_EQ(arity(atom(")cc")), 1);
    EXPECT_EQ(arity(atom("]foo")), 1);
    EXPECT_FALSE(isPending(atom(")")));
}

TEST_F(Classification, AnUndefinedNameIsSaturatedSoTheMachineMeetsIt) {
    EXPECT_EQ(arity(atom("nosuch")), 0);
    EXPECT_EQ(freeVariables(atom("nosuch")), 0u);
}

TEST_F(Classification, TheArityCodeIsStoredBiasedByFiftyTwo) {
    NodeRef k = atom("K");
    classify(k);
    EXPECT_EQ(kindTagOf(k.get()) & 63, 54u);
    NodeRef x = atom("x");
    classify(x);
    EXPECT_EQ(kindTagOf(x.get()) & 63, 63u);
}

TEST_F(Classification, OverSaturationStopsCountingAtMinusFiftyOne) {
    NodeRef t = atom("cc");
    for (int i = 0; i < 60; ++i)
        t = apply(std::move(t), atom("1"));
    EXPECT_EQ(arity(t), -51);
}

TEST_F(Classification, ADeepTermIsClassifiedWithoutExhaustingTheStack) {
    NodeRef t = atom("[a]");
    for (int i = 0; i < 2'000'000; ++i)
        t = apply(atom("[b]"), std::move(t));
    EXPECT_TRUE(isData(t));
    NodeRef u = atom("x");
    for (int i = 0; i < 2'000'000; ++i)
        u = apply(std::move(u), atom("y"));
    EXPECT_EQ(arity(u), 11);
}

TEST_F(Classification, ATermIsClassifiedOnce) {
    NodeRef k = atom("K");
    EXPECT_EQ(arity(k), 2);
    definitionTable().insert_or_assign("K", atom("Z"));
    EXPECT_EQ(arity(k), 2); // the cached fact stays
    EXPECT_EQ(arity(atom("K")), 0);
}

TEST(ClassificationDeathTest, SettersRefuseValuesOutOfRange) {
    NodeRef a = makeAtom("q");
    EXPECT_DEATH(setArity(a.get(), 12), "ASSERTION FAILED:");
    EXPECT_DEATH(setArity(a.get(), -53), "ASSERTION FAILED:");
    EXPECT_DEATH(setSpan(a.get(), 1u << 26), "ASSERTION FAILED:");
}

TEST_F(Classification, AOneByteNameIsClassifiedByTheTableOfTheMoment) {
    // Atoms made before a change of the table and classified after it see the new table;
    // those classified before keep what they were given.
    NodeRef early = atom("K");
    EXPECT_EQ(arity(early), 2);
    NodeRef late = atom("K");
    definitionTable().insert_or_assign("K", lambda("a", atom("a")));
    EXPECT_EQ(arity(late), 1);
    EXPECT_EQ(arity(early), 2);
    definitionTable().erase("K");
    EXPECT_EQ(arity(atom("K")), 0); // undefined now: saturated
    EXPECT_EQ(arity(atom("x")), kUnboundedArity);
    EXPECT_EQ(freeVariables(atom("x")), 1u << ('x' - 'a'));
    definitionTable().insert_or_assign("x", lambda("a", lambda("b", lambda("c", atom("a")))));
    EXPECT_EQ(arity(atom("x")), 3);
    EXPECT_EQ(freeVariables(atom("x")), 0u);
}
