#include "core/contraction.h"
#include "core/instantiation_template.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"
#include "front/source_text.h"
#include "term_notation.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

using rill::testing::show;

class InstantiationTemplate : public ::testing::Test {
protected:
    void SetUp() override {
        loadPrelude();
        ASSERT_TRUE(isEmpty(takeInProgram("K(0)")));
    }
    NodeRef term(const char* text) { return parseExpression(normaliseSpacing(text)); }

    // Every node of a term.
    static std::set<const Node*> nodesOf(const NodeRef& t) {
        std::set<const Node*> seen;
        std::vector<const Node*> work{t.get()};
        while (!work.empty()) {
            const Node* n = work.back();
            work.pop_back();
            if (!seen.insert(n).second || isAtomNode(n))
                continue;
            work.push_back(functionOf(n));
            work.push_back(argumentOf(n));
        }
        return seen;
    }

    // True when the two results are the same term and share the same body nodes: at every
    // position both hold the same node, or both hold a new application (one not in the body).
    static bool sameTermAndSharing(const NodeRef& a, const NodeRef& b, const NodeRef& body) {
        const std::set<const Node*> old = nodesOf(body);
        std::vector<std::pair<const Node*, const Node*>> work{{a.get(), b.get()}};
        while (!work.empty()) {
            auto [x, y] = work.back();
            work.pop_back();
            if (x == y)
                continue;
            if (isAtomNode(x) || isAtomNode(y) || old.count(x) != 0 || old.count(y) != 0)
                return false;
            work.emplace_back(functionOf(x), functionOf(y));
            work.emplace_back(argumentOf(x), argumentOf(y));
        }
        return true;
    }

    // The definition's body with the arguments put in by the substitution walk, last
    // parameter first, as the plain machine does it.
    static NodeRef byWalk(const NodeRef& definition, const std::vector<NodeRef>& args) {
        std::vector<unsigned char> letters;
        NodeRef d = definition;
        while (isLambdaForm(d.get())) {
            letters.push_back(firstByteOf(argumentOf(functionOf(d.get()))));
            d = argumentPart(d);
        }
        Node* values[26] = {};
        std::uint32_t mask = 0;
        for (std::size_t i = letters.size(); i-- > 0;) {
            const std::uint32_t bit = std::uint32_t{1} << (letters[i] - 'a');
            if ((mask & bit) == 0)
                values[letters[i] - 'a'] = args[i].get();
            mask |= bit;
        }
        return substituteLetters(d, values, mask);
    }

    static NodeRef byTemplate(const NodeRef& definition, const std::vector<NodeRef>& args) {
        std::vector<Node*> raw;
        for (const NodeRef& a : args)
            raw.push_back(a.get());
        return instantiateTemplate(definition.get(), raw.data(), static_cast<int>(raw.size()));
    }

    // Compares the template with the walk for one definition, twice (compiled, then reused).
    void expectSameAsWalk(const char* definition, const std::vector<const char*>& argTexts) {
        NodeRef d = term(definition);
        std::vector<NodeRef> args;
        for (const char* a : argTexts)
            args.push_back(term(a));
        for (int round = 0; round < 2; ++round) {
            NodeRef walked = byWalk(d, args);
            NodeRef compiled = byTemplate(d, args);
            EXPECT_EQ(show(compiled), show(walked)) << definition;
            EXPECT_TRUE(sameTermAndSharing(compiled, walked, d)) << definition;
        }
    }
};

TEST_F(InstantiationTemplate, BuildsWhatTheSubstitutionWalkBuilds) {
    expectSameAsWalk("a\\b\\c\\a c (b c)", {"f", "g", "7"});
    expectSameAsWalk("n\\(n<2)(1)(nfib(n-1)+nfib(n-2)+1)", {"27"});
    expectSameAsWalk("s\\a\\(s(x\\y\\K))(sum((s H) 0,a+(s K)))(a)", {"(V 1 2)", "5"});
    expectSameAsWalk("a\\b\\plus (f y) z", {"1", "2"}); // nothing put in: the body itself
}

TEST_F(InstantiationTemplate, ABinderHidesItsLetterFromItsBody) {
    expectSameAsWalk("x\\y\\(x\\x y)(y\\x y)", {"1", "2"});
    expectSameAsWalk("x\\y\\x{x+y}(x*y)", {"1", "2"}); // the let's value sees the outer x
    expectSameAsWalk("x\\y\\y{x+y}(x*y)", {"1", "2"});
}

TEST_F(InstantiationTemplate, ALaterParameterOfTheSameLetterWins) {
    expectSameAsWalk("x\\x\\x x", {"1", "2"});
    NodeRef d = term("x\\x\\x");
    EXPECT_EQ(show(byTemplate(d, {makeAtom("1"), makeAtom("2")})), "2");
}

TEST_F(InstantiationTemplate, AnArgumentThatIsTheVariableItselfKeepsTheBodyNode) {
    // When every part put back is the part that was there, the walk keeps the body's node.
    NodeRef d = term("x\\f x");
    NodeRef x = argumentPart(argumentPart(d));
    NodeRef compiled = byTemplate(d, {x});
    EXPECT_EQ(compiled.get(), argumentOf(d.get()));
}

TEST_F(InstantiationTemplate, TheUnwoundSpineIsWhatTheMachineWouldLeave) {
    // T has arity 2: (T a b c d) is built as (T a b) with the frames d, then c on top.
    std::vector<NodeRef> args{makeAtom("1"), makeAtom("2"), makeAtom("3"), makeAtom("4")};
    std::vector<Node*> raw;
    for (const NodeRef& a : args)
        raw.push_back(a.get());
    for (const auto& [body, built] : {std::pair{"a\\b\\c\\d\\T a b c d", "(T 1 2)"},
                                      // the selector K is contracted at once to a
                                      std::pair{"a\\b\\c\\d\\K a b c d", "1"}}) {
        NodeRef d = term(body);
        Unwound unwound;
        NodeRef focus = instantiateTemplateUnwound(d.get(), raw.data(), 4, unwound);
        EXPECT_EQ(show(focus), built);
        ASSERT_EQ(unwound.count, 2);
        EXPECT_STREQ(atomBytes(unwound.arguments[0]), "4"); // deepest first
        EXPECT_STREQ(atomBytes(unwound.arguments[1]), "3");
        for (int i = 0; i < unwound.count; ++i)
            releaseNode(unwound.arguments[i]);
    }
    // A head of arity 0 still has its first application built.
    NodeRef e = term("a\\b\\plus a b");
    Unwound none;
    NodeRef call = instantiateTemplateUnwound(e.get(), raw.data(), 2, none);
    EXPECT_EQ(show(call), "(plus 1 2)"); // arity 2: nothing to take apart
    EXPECT_EQ(none.count, 0);
}

TEST_F(InstantiationTemplate, SubstitutingOneLetterMatchesTheWalk) {
    for (const char* body : {"x{x+1}x", "f (g x) (y\\x y) x", "plus 1 2", "x"}) {
        NodeRef b = term(body);
        NodeRef value = makeAtom("9");
        NodeRef walked = substitute(b, value, 'x');
        for (int round = 0; round < 3; ++round) { // raw walk, then compiled on a second meeting
            Unwound unwound;
            NodeRef compiled = substituteByTemplate(b.get(), value.get(), 'x', unwound);
            ASSERT_EQ(unwound.count, 0) << body; // none of these bodies has a spine to take apart
            EXPECT_EQ(show(compiled), show(walked)) << body;
            EXPECT_TRUE(sameTermAndSharing(compiled, walked, b)) << body;
        }
    }
}

} // namespace
