// The describer behind rill_traced's trace of built-in calls, and the random programs that the
// differential check runs (tests/differential).
#include "core/classification.h"
#include "core/error_report.h"
#include "front/definition_intake.h"
#include "middle/program_checks.h"
#include "tests/differential/builtin_trace.h"
#include "tests/differential/program_generator.h"

#include <string>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using trace::CallDescriber;
using trace::Renaming;

namespace {

NodeRef atom(const char* text) {
    return makeAtom(text);
}

// (f a1 .. an)
NodeRef call(const char* f, std::vector<NodeRef> arguments) {
    NodeRef c = atom(f);
    for (NodeRef& a : arguments)
        c = apply(std::move(c), std::move(a));
    return c;
}

// A chain of n applications going down its function parts (leftward) or its argument parts.
NodeRef chain(std::size_t n, bool leftward) {
    NodeRef t = atom("x");
    for (std::size_t i = 0; i < n; ++i)
        t = leftward ? apply(std::move(t), atom("y")) : apply(atom("y"), std::move(t));
    return t;
}

} // namespace

TEST(BuiltinTrace, AShortCallIsWrittenOutWithEveryArgument) {
    CallDescriber d(Renaming::none);
    NodeRef c = call("plus", {atom("1"), apply(apply(atom("V"), atom("K")), atom("[ab]"))});
    EXPECT_EQ(d.describeCall(c.get()), "plus 1 (V K [ab])");
    NodeRef constant = atom("stdout");
    EXPECT_EQ(d.describeCall(constant.get()), "stdout");
}

TEST(BuiltinTrace, BytesThatCouldPassForStructureAreEscaped) {
    CallDescriber d(Renaming::none);
    EXPECT_EQ(d.describe(atom("[a (b)]").get()), "[a%20%28b%29]");
    EXPECT_EQ(d.describe(apply(atom("a"), atom("b")).get()), "(a b)");
    EXPECT_EQ(d.describe(atom("#").get()), "%23");
    EXPECT_EQ(d.describe(atom("@").get()), "%40");
}

TEST(BuiltinTrace, ALongArgumentIsHashedByItsShape) {
    CallDescriber d(Renaming::none);
    const NodeRef left = chain(40, true), right = chain(40, false);
    const std::string l = d.describe(left.get()), r = d.describe(right.get());
    ASSERT_EQ(l.size(), 17u);
    EXPECT_EQ(l[0], '#');
    EXPECT_NE(l, r);
    EXPECT_EQ(d.describe(chain(40, true).get()), l); // the same shape built anew
    EXPECT_NE(d.describe(chain(41, true).get()), l);
}

TEST(BuiltinTrace, ATermAMillionDeepIsHashedWithoutRecursion) {
    CallDescriber d(Renaming::none);
    const NodeRef left = chain(1'000'000, true), right = chain(1'000'000, false);
    EXPECT_NE(d.describe(left.get()), d.describe(right.get()));
}

TEST(BuiltinTrace, SharingDoesNotShowAndIsHashedOnce) {
    CallDescriber d(Renaming::none);
    // (x x) twice as one shared node, and as two copies: the same hash.
    NodeRef part = apply(atom("x"), atom("x"));
    NodeRef dag = apply(part, part);
    NodeRef tree = apply(apply(atom("x"), atom("x")), apply(atom("x"), atom("x")));
    EXPECT_EQ(d.hash(dag.get()), d.hash(tree.get()));
    // 60 levels of (t t): 2^60 leaves as a tree, 61 nodes as a graph.
    NodeRef deep = atom("x");
    for (int i = 0; i < 60; ++i)
        deep = apply(deep, deep);
    EXPECT_EQ(d.describe(deep.get())[0], '#');
}

TEST(BuiltinTrace, AddressesAreNamedByTheOrderTheyFirstAppearIn) {
    const char* first = "140000000000000"; // between 2^40 and 2^47
    const char* second = "100000000000000";
    NodeRef c = call("fwrite", {atom(first), atom("7"), atom(first), atom(second),
                                atom("4294967296"), atom("0140000000000000")});
    CallDescriber renaming(Renaming::addresses);
    EXPECT_EQ(renaming.describeCall(c.get()), "fwrite @1 7 @1 @2 4294967296 0140000000000000");
    NodeRef again = call("free", {atom(second)});
    EXPECT_EQ(renaming.describeCall(again.get()), "free @2");
    CallDescriber plain(Renaming::none);
    EXPECT_EQ(plain.describeCall(again.get()), "free 100000000000000");
}

TEST(BuiltinTrace, DescribingACallLeavesEveryHeaderAsItWas) {
    // Counts and kind tags (classified or not) must not move, or a traced run could differ.
    NodeRef shared = call("rank", {atom("[abc]")});
    NodeRef c = call("cork", {shared, apply(shared, chain(100, false)), atom("5")});
    ensureClassified(shared.get());
    std::vector<std::pair<Node*, std::uint64_t>> headers;
    std::vector<Node*> work{c.get()};
    std::unordered_set<Node*> seen;
    while (!work.empty()) {
        Node* n = work.back();
        work.pop_back();
        if (!seen.insert(n).second)
            continue;
        headers.emplace_back(n, n->header);
        if (!isAtomNode(n)) {
            work.push_back(functionOf(n));
            work.push_back(argumentOf(n));
        }
    }
    CallDescriber d(Renaming::addresses);
    (void)d.describeCall(c.get());
    for (auto [n, header] : headers)
        EXPECT_EQ(n->header, header);
}

TEST(ProgramGenerator, GeneratedProgramsPassIntakeAndTheChecks) {
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const std::string program = generated::generateProgram(seed);
        loadPrelude();
        ErrorReport intake = takeInProgram(CodeText(program));
        ASSERT_TRUE(isEmpty(intake)) << intake.message << "\n" << program;
        ErrorReport checks = checkProgram();
        ASSERT_TRUE(isEmpty(checks)) << checks.message << "\n" << program;
    }
}
