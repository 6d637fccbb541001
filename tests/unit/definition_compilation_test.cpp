#include "builtins/calling_protocol.h"
#include "core/node_store.h"
#include "front/expression_parser.h"
#include "middle/definition_compilation.h"
#include "middle/value_rendering.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

NodeRef atom(const char* text) {
    return makeAtom(text);
}

NodeRef parsed(const char* source) {
    return parseExpression(CodeText(source));
}

bool sameStructure(const NodeRef& a, const NodeRef& b) {
    return compareTerms(a.get(), b.get()) == 0;
}

NodeRef let(NodeRef v, NodeRef e, NodeRef b) {
    return apply(atom("{"), std::move(v), std::move(e), std::move(b));
}

NodeRef lambda(NodeRef v, NodeRef b) {
    return apply(atom("\\"), std::move(v), std::move(b));
}

} // namespace

TEST(QuoteExpansion, AQuoteBecomesThePairOfItsTextAndItsValue) {
    NodeRef value = apply(atom("plus"), atom("1"), atom("2"));
    NodeRef expanded = expandQuotes(apply(atom("`"), value));
    NodeRef want = apply(atom("V"), atom("[(plus1 2)]"), value);
    EXPECT_TRUE(sameStructure(expanded, want)) << renderTerm(expanded);
}

TEST(QuoteExpansion, TheTextIsTakenBeforeInnerQuotesExpand) {
    NodeRef inner = apply(atom("`"), atom("K"));
    NodeRef expanded = expandQuotes(apply(atom("`"), inner));
    NodeRef want = apply(atom("V"), atom("[`K]"), apply(atom("V"), atom("[K]"), atom("K")));
    EXPECT_TRUE(sameStructure(expanded, want)) << renderTerm(expanded);
}

TEST(QuoteExpansion, ATermWithoutQuotesIsTheSameNode) {
    NodeRef term = parsed("plus(x,1)");
    EXPECT_EQ(expandQuotes(term).get(), term.get());
}

TEST(PairLetExpansion, APairBinderBecomesThreeLets) {
    NodeRef expanded = expandPairLets(parsed("a b{v}a"));
    NodeRef want = let(atom("b"), atom("v"),
                       let(atom("a"), apply(atom("b"), atom("K")),
                           let(atom("b"), apply(atom("b"), atom("H")), atom("a"))));
    EXPECT_TRUE(sameStructure(expanded, want)) << renderTerm(expanded);
}

TEST(PairLetExpansion, TheSecondComponentIsReadThroughItsKey) {
    NodeRef expanded = expandPairLets(let(apply(atom("p"), atom("[+]")), atom("v"), atom("p")));
    NodeRef want = let(atom("[+]"), atom("v"),
                       let(atom("p"), apply(atom("+"), atom("K")),
                           let(atom("[+]"), apply(atom("+"), atom("H")), atom("p"))));
    EXPECT_TRUE(sameStructure(expanded, want)) << renderTerm(expanded);
}

TEST(PairLetExpansion, ANestedPatternStaysAsWritten) {
    NodeRef term = parsed("a b c{v}a");
    EXPECT_TRUE(sameStructure(expandPairLets(term), term));
}

TEST(PairLetExpansion, InnerPairLetsExpandToo) {
    NodeRef expanded = expandPairLets(parsed("K(a b{v}a)"));
    EXPECT_EQ(renderTerm(expanded), "(K ({b v ({a bK ({b bH a))))");
}

TEST(LetterAssignment, ParametersGetTheirLettersInBodies) {
    NodeRef term = parsed("foo\\bar\\plus foo bar");
    term = assignLetters(std::move(term), "bar", 'a');
    term = assignLetters(std::move(term), "foo", 'b');
    EXPECT_TRUE(sameStructure(
        term, lambda(atom("b"), lambda(atom("a"), apply(atom("plus"), atom("b"), atom("a"))))))
        << renderTerm(term);
}

TEST(LetterAssignment, AReferenceOutsideEveryBinderStaysGlobal) {
    NodeRef term = assignLetters(parsed("V foo (foo\\foo)"), "foo", 'a');
    EXPECT_EQ(renderTerm(term), "(Vfoo (\\a a))");
}

TEST(LetterAssignment, ALetValueIsOutsideItsOwnBinder) {
    NodeRef term = assignLetters(parsed("foo{foo}foo"), "foo", 'a');
    EXPECT_TRUE(sameStructure(term, let(atom("a"), atom("foo"), atom("a"))));
}

TEST(LetterAssignment, ALetValueSeesTheEnclosingBinder) {
    NodeRef term = assignLetters(parsed("foo\\foo{foo}foo"), "foo", 'c');
    EXPECT_TRUE(sameStructure(term, lambda(atom("c"), let(atom("c"), atom("c"), atom("c")))));
}

TEST(LetterAssignment, OtherBindersKeepTheScopeOpen) {
    NodeRef term = assignLetters(parsed("foo\\x\\y{foo}x+y+foo"), "foo", 'a');
    EXPECT_EQ(renderTerm(term), "(\\a (\\x ({y a (+ (+x y) a))))");
}

TEST(LetterAssignment, BracketedBindersAreMatchedByKey) {
    NodeRef term = assignLetters(parsed("[+]\\1+2"), "+", 'a');
    EXPECT_TRUE(sameStructure(term, lambda(atom("a"), apply(atom("a"), atom("1"), atom("2")))));
}

TEST(LetterAssignment, UnchangedPartsStayTheSameNodes) {
    NodeRef term = parsed("V(plus 1 2)(foo\\foo)");
    NodeRef assigned = assignLetters(term, "foo", 'a');
    EXPECT_EQ(argumentPart(functionPart(assigned)).get(), argumentPart(functionPart(term)).get());
    NodeRef untouched = assignLetters(term, "bar", 'a');
    EXPECT_EQ(untouched.get(), term.get());
}

TEST(TermOrder, TheSameNodeIsEqual) {
    NodeRef t = parsed("plus 1 2");
    EXPECT_TRUE(compareTerms(t.get(), t.get()) == 0);
}

TEST(TermOrder, EqualStructuresAreEqual) {
    EXPECT_TRUE(compareTerms(parsed("plus 1 2").get(), parsed("plus 1 2").get()) == 0);
}

TEST(TermOrder, AnAtomComesBeforeAnApplication) {
    NodeRef a = atom("zzz");
    NodeRef b = apply(atom("A"), atom("A"));
    EXPECT_TRUE(compareTerms(a.get(), b.get()) < 0);
    EXPECT_TRUE(compareTerms(b.get(), a.get()) > 0);
}

TEST(TermOrder, AtomBytesCompareUnsigned) {
    NodeRef high = makeAtom("\xC8");
    NodeRef low = makeAtom("z");
    EXPECT_TRUE(compareTerms(high.get(), low.get()) > 0);
}

TEST(TermOrder, AShorterTextComesFirstOnACommonPrefix) {
    EXPECT_TRUE(compareTerms(atom("ab").get(), atom("abc").get()) < 0);
}

TEST(TermOrder, BracketAtomsCompareTheirWholeTexts) {
    EXPECT_TRUE(compareTerms(atom("[ab!]").get(), atom("[ab]").get()) < 0); // "!" is below "]"
}

TEST(TermOrder, RealsCompareAllNineBytes) {
    NodeRef a = makeReal(1.0);
    NodeRef b = makeReal(1.0000000000000002); // differs in the lowest byte only
    EXPECT_TRUE(compareTerms(a.get(), b.get()) != 0);
    EXPECT_TRUE(compareTerms(a.get(), makeReal(1.0).get()) == 0);
}

TEST(TermOrder, BlocksComparePayloadsWithNulBytes) {
    NodeRef a = makeAtom(blockText(std::string_view("a\0b", 3)));
    NodeRef b = makeAtom(blockText(std::string_view("a\0c", 3)));
    EXPECT_TRUE(compareTerms(a.get(), b.get()) < 0);
}

TEST(TermOrder, FunctionPartsDecideBeforeArgumentParts) {
    NodeRef a = apply(atom("A"), atom("Z"));
    NodeRef b = apply(atom("B"), atom("A"));
    EXPECT_TRUE(compareTerms(a.get(), b.get()) < 0);
}

TEST(TermOrder, DeepTermsCompareWithoutRecursion) {
    NodeRef a = atom("x");
    NodeRef b = atom("y");
    for (int i = 0; i < 1000000; ++i) {
        a = apply(atom("I"), std::move(a));
        b = apply(atom("I"), std::move(b));
    }
    EXPECT_TRUE(compareTerms(a.get(), b.get()) < 0);
}

TEST(Sharing, EqualTermsEndAsOneNode) {
    sharedTerms().members.clear();
    NodeRef first = parsed("plus(x,1)");
    NodeRef second = parsed("plus(x,1)");
    NodeRef a = shareTerms(first);
    NodeRef b = shareTerms(second);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(second.get(), a.get()); // the slot holds the representative
}

TEST(Sharing, ANewTermIsItsOwnRepresentative) {
    sharedTerms().members.clear();
    NodeRef term = parsed("V 1 2");
    Node* before = term.get();
    NodeRef shared = shareTerms(term);
    EXPECT_EQ(shared.get(), before);
    EXPECT_EQ(term.get(), before);
}

TEST(Sharing, EqualSubtermsInsideOneTermBecomeOneNode) {
    sharedTerms().members.clear();
    NodeRef term = parsed("V(plus x 1)(plus x 1)");
    shareTerms(term);
    EXPECT_EQ(argumentPart(functionPart(term)).get(), argumentPart(term).get());
}

TEST(Sharing, ATermIsRebuiltOnlyWhereAPartWasReplaced) {
    sharedTerms().members.clear();
    NodeRef earlier = parsed("plus x 1");
    shareTerms(earlier);
    NodeRef term = parsed("V(plus x 1)K");
    Node* kAtom = argumentPart(term).get();
    shareTerms(term);
    EXPECT_EQ(argumentPart(functionPart(term)).get(), earlier.get());
    EXPECT_EQ(argumentPart(term).get(), kAtom);
}

TEST(Sharing, FindSharedTermLooksUpByStructure) {
    sharedTerms().members.clear();
    NodeRef term = parsed("J 1 K");
    shareTerms(term);
    EXPECT_EQ(findSharedTerm(parsed("J 1 K")).get(), term.get());
    EXPECT_TRUE(findSharedTerm(parsed("J 2 K")).empty());
}

TEST(Sharing, DeepTermsShareWithoutRecursion) {
    sharedTerms().members.clear();
    NodeRef a = atom("x");
    NodeRef b = atom("x");
    for (int i = 0; i < 200000; ++i) {
        a = apply(atom("I"), std::move(a));
        b = apply(atom("I"), std::move(b));
    }
    shareTerms(a);
    shareTerms(b);
    EXPECT_EQ(a.get(), b.get());
}

// --- Sharing many terms afresh ---------------------------------------------------------------

namespace {

// Where each node of the terms first appears, in a walk of the terms in turn: equal numbers
// are the same node. Shows which parts are shared, whatever the nodes' addresses.
std::vector<std::size_t> sharingShape(const std::vector<NodeRef>& terms) {
    std::vector<const Node*> seen;
    std::vector<std::size_t> shape;
    for (const NodeRef& t : terms) {
        std::vector<const Node*> work{t.get()};
        while (!work.empty()) {
            const Node* n = work.back();
            work.pop_back();
            const auto at = std::find(seen.begin(), seen.end(), n);
            shape.push_back(static_cast<std::size_t>(at - seen.begin()));
            if (at != seen.end())
                continue;
            seen.push_back(n);
            if (!isAtomNode(n)) {
                work.push_back(argumentOf(n));
                work.push_back(functionOf(n));
            }
        }
    }
    return shape;
}

std::vector<NodeRef> someTerms() {
    return {parsed("V(plus x 1)(plus x 1)"), parsed("plus x 1"), parsed("K(V(plus x 1)y)"),
            apply(atom("plus"), atom("x")),  parsed("x\\x+1"),   parsed("plus x 1")};
}

bool keepApplications(Node* n) {
    return !isAtomNode(n);
}

} // namespace

TEST(SharingAfresh, GivesWhatSharingEachTermInTurnGives) {
    std::vector<NodeRef> one = someTerms();
    sharedTerms().members.clear();
    for (NodeRef& t : one)
        shareTerms(t);
    std::vector<NodeRef> other = someTerms();
    std::vector<NodeRef*> slots;
    for (NodeRef& t : other)
        slots.push_back(&t);
    shareTermsAfresh(slots, keepApplications);
    ASSERT_EQ(one.size(), other.size());
    for (std::size_t k = 0; k < one.size(); ++k)
        EXPECT_TRUE(sameStructure(one[k], other[k])) << k;
    EXPECT_EQ(sharingShape(one), sharingShape(other));
}

TEST(SharingAfresh, KeepsOnlyTheMembersKeepAccepts) {
    std::vector<NodeRef> terms = someTerms();
    std::vector<NodeRef*> slots;
    for (NodeRef& t : terms)
        slots.push_back(&t);
    shareTermsAfresh(slots, keepApplications);
    EXPECT_EQ(findSharedTerm(parsed("plus x 1")).get(), terms[1].get());
    EXPECT_EQ(findSharedTerm(parsed("plus x")).get(), terms[3].get());
    EXPECT_TRUE(findSharedTerm(atom("x")).empty());
    EXPECT_TRUE(findSharedTerm(parsed("plus 2")).empty());
}

TEST(SharingAfresh, ATermAlreadySharedIsItsOwnMember) {
    NodeRef term = parsed("V 1 2");
    Node* before = term.get();
    std::vector<NodeRef*> slots{&term};
    shareTermsAfresh(slots, keepApplications, 1000);
    EXPECT_EQ(term.get(), before);
}

TEST(SharingAfresh, MembersAreHandedToKeepAfterTheirParts) {
    static std::vector<const Node*> handed;
    handed.clear();
    NodeRef term = parsed("f(g a,g a,h)");
    std::vector<NodeRef*> slots{&term};
    shareTermsAfresh(slots, [](Node* n) {
        if (!isAtomNode(n)) {
            EXPECT_NE(std::find(handed.begin(), handed.end(), functionOf(n)), handed.end());
            EXPECT_NE(std::find(handed.begin(), handed.end(), argumentOf(n)), handed.end());
        }
        EXPECT_EQ(std::find(handed.begin(), handed.end(), n), handed.end()); // once each
        handed.push_back(n);
        return true;
    });
    EXPECT_EQ(handed.size(), 8u); // f g a h (g a) (f (g a)) ((f (g a)) (g a)) and the whole
}

TEST(SharingAfresh, DeepTermsShareWithoutRecursion) {
    NodeRef a = atom("x");
    NodeRef b = atom("x");
    for (int i = 0; i < 200000; ++i) {
        a = apply(atom("I"), std::move(a));
        b = apply(atom("I"), std::move(b));
    }
    std::vector<NodeRef*> slots{&a, &b};
    shareTermsAfresh(slots, keepApplications);
    EXPECT_EQ(a.get(), b.get());
}
