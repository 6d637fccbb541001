#include "builtins/calling_protocol.h"
#include "core/node_store.h"
#include "front/expression_parser.h"
#include "middle/definition_compilation.h"
#include "middle/value_rendering.h"

#include <gtest/gtest.h>

using namespace rill;

namespace {

NodeRef atom(const char* text) {
    return makeAtom(text);
}

std::string rendered(const char* source) {
    return renderTerm(parseExpression(CodeText(source)));
}

NodeRef call(const char* builtin, NodeRef argument) {
    return apply(makeAtom(builtin), std::move(argument));
}

} // namespace

TEST(RenderingAtoms, EmptyAtomAndMarkersRenderAsEmptyParentheses) {
    EXPECT_EQ(renderTerm(atom("")), "()");
    EXPECT_EQ(renderTerm(atom(")foo")), "()");
    EXPECT_EQ(renderTerm(atom("]foo")), "()");
}

TEST(RenderingAtoms, RealsUseTheCLibraryExponentForm) {
    EXPECT_EQ(renderTerm(makeReal(1.5)), "real[1.500000e+00]");
    EXPECT_EQ(renderTerm(makeReal(-0.25)), "real[-2.500000e-01]");
}

TEST(RenderingAtoms, BlocksRenderAsCapeOfTheirEscapedPayload) {
    EXPECT_EQ(renderTerm(makeAtom(blockText("a\n["))), "cape[a[p][q]]");
    EXPECT_EQ(renderTerm(makeAtom(blockText("]x"))), "cape[[r]x]");
    EXPECT_EQ(renderTerm(makeAtom(blockText(""))), "cape[]");
}

TEST(RenderingAtoms, OtherAtomsRenderAsTheirText) {
    EXPECT_EQ(renderTerm(atom("042")), "042");
    EXPECT_EQ(renderTerm(atom("[a[b]c]")), "[a[b]c]");
    EXPECT_EQ(renderTerm(atom("plus")), "plus");
    EXPECT_EQ(renderTerm(atom("+")), "+");
}

TEST(RenderingApplications, CapitalsJuxtapose) {
    EXPECT_EQ(renderTerm(apply(atom("K"), atom("I"))), "KI");
}

TEST(RenderingApplications, AnArgumentOfCapitalsIsParenthesised) {
    EXPECT_EQ(renderTerm(apply(atom("I"), apply(atom("K"), atom("I")))), "(I KI)");
}

TEST(RenderingApplications, CallsOnOneHeadBecomeOneOpenList) {
    EXPECT_EQ(renderTerm(apply(atom("plus"), atom("a"), atom("b"))), "(plus a b)");
    EXPECT_EQ(renderTerm(apply(apply(atom("plus"), atom("a"), atom("b")), atom("c"))),
              "(plus a b c)");
}

TEST(RenderingApplications, WordsAndNumbersNeverRunTogether) {
    EXPECT_EQ(renderTerm(apply(atom("plus"), atom("12"))), "plus12");
    EXPECT_EQ(renderTerm(apply(atom("a"), atom("12"))), "a12");
    EXPECT_EQ(renderTerm(apply(atom("g_"), atom("b"))), "(g_ b)");
    EXPECT_EQ(renderTerm(apply(atom("2"), atom("3"))), "(2 3)");
    EXPECT_EQ(renderTerm(apply(atom("K"), atom("a"))), "Ka");
}

TEST(RenderingApplications, OneBracketGroupJuxtaposes) {
    EXPECT_EQ(renderTerm(apply(atom("V"), atom("[ab]"))), "V[ab]");
    EXPECT_EQ(renderTerm(apply(atom("plus"), atom("[x]"))), "plus[x]");
}

TEST(RenderingApplications, TwoBracketGroupsAsArgumentAreParenthesised) {
    NodeRef groups = apply(atom("[a]"), atom("[b]"));
    EXPECT_EQ(renderTerm(groups), "[a][b]");
    EXPECT_EQ(renderTerm(apply(atom("V"), groups)), "(V [a][b])");
}

TEST(RenderingApplications, AnUnpairedBracketArgumentIsNoGroup) {
    EXPECT_EQ(renderTerm(apply(atom("V"), atom("[ab"))), "(V [ab)");
}

TEST(RenderingApplications, AMarkerHeadIsNoOpenList) {
    EXPECT_EQ(renderTerm(apply(atom("]foo"), atom("a"))), "()a");
}

TEST(RenderingApplications, LambdaAndLetFormsRenderAsPrefixForms) {
    EXPECT_EQ(rendered("x\\x+1"), "(\\x +x1)");
    EXPECT_EQ(rendered("x{2}x"), "{x2x");
}

TEST(RenderingApplications, RenderingReadsBackIntoTheSameStructure) {
    for (const char* source : {"plus(plus(x,1),2)", "a b(c d)e", "V[ab][cd]K", "g_ b 12 c"}) {
        const std::string text = rendered(source);
        EXPECT_EQ(rendered(text.c_str()), text) << source;
        NodeRef back = parseExpression(CodeText(text));
        EXPECT_TRUE(compareTerms(back.get(), parseExpression(CodeText(source)).get()) == 0)
            << source << " -> " << text;
    }
}

TEST(RenderingDepth, ARightDeepListRendersWithoutRecursion) {
    NodeRef list = atom("K");
    const int n = 1000000;
    for (int i = 0; i < n; ++i)
        list = apply(atom("J"), atom("1"), std::move(list));
    const std::string text = renderTerm(std::move(list));
    EXPECT_EQ(text.size(), static_cast<std::size_t>(5 * n - 2));
    EXPECT_EQ(text.substr(0, 9), "(J1 (J1 (");
}

TEST(RenderingDepth, ALeftDeepChainRendersWithoutRecursion) {
    NodeRef chain = atom("g");
    const int n = 1000000;
    for (int i = 0; i < n; ++i)
        chain = apply(std::move(chain), atom("x"));
    const std::string text = renderTerm(std::move(chain));
    EXPECT_EQ(text.size(), static_cast<std::size_t>(2 * n + 3));
    EXPECT_EQ(text.substr(0, 6), "(g x x");
}

TEST(RenderingBuiltins, LispWrapsTheRenderingInBrackets) {
    NodeRef r = builtin_lisp(call("lisp", apply(atom("plus"), atom("a"), atom("b"))));
    EXPECT_EQ(atomText(r), "[(plus a b)]");
}

TEST(RenderingBuiltins, TypeNamesEachKind) {
    EXPECT_EQ(atomText(builtin_type(call("type", atom("42")))), "[hint]");
    EXPECT_EQ(atomText(builtin_type(call("type", makeReal(2.0)))), "[real]");
    EXPECT_EQ(atomText(builtin_type(call("type", atom("[ab]")))), "[zits]");
    EXPECT_EQ(atomText(builtin_type(call("type", makeAtom(blockText("x"))))), "[post]");
    EXPECT_EQ(atomText(builtin_type(call("type", atom("K")))), "[void]");
    EXPECT_EQ(atomText(builtin_type(call("type", atom("0042")))), "[numb]");
}

TEST(RenderingBuiltins, TypeOfTheSameKindIsTheSameNode) {
    NodeRef a = builtin_type(call("type", atom("1")));
    NodeRef b = builtin_type(call("type", atom("2")));
    EXPECT_EQ(a.get(), b.get());
}

TEST(RenderingBuiltins, TernMakesEqualStructuresIdentical) {
    sharedTerms().members.clear();
    NodeRef a = builtin_tern(call("tern", apply(atom("V"), atom("1"), atom("2"))));
    NodeRef b = builtin_tern(call("tern", apply(atom("V"), atom("1"), atom("2"))));
    EXPECT_EQ(a.get(), b.get());
    NodeRef c = builtin_tern(call("tern", apply(atom("V"), atom("1"), atom("3"))));
    EXPECT_NE(a.get(), c.get());
}
