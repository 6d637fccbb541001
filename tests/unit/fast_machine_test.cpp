#include "core/contraction.h"
#include "core/definition_table.h"
#include "core/fast_machine.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"
#include "front/source_text.h"
#include "middle/program_checks.h"
#include "term_notation.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

using rill::testing::show;

std::vector<std::string>& calls() {
    static std::vector<std::string> seen;
    return seen;
}

void recordCall(const NodeRef& call) {
    calls().push_back(show(call));
}

// One run of a program's entry (applied to 0) by one machine: its result, the built-in
// calls it made, and the entries of the given names afterwards.
struct Run {
    std::string result;
    std::vector<std::string> builtinCalls;
    std::vector<std::string> entries;
};

Run runWith(Machine machine, const char* program, const std::vector<const char*>& names) {
    loadPrelude();
    EXPECT_TRUE(isEmpty(takeInProgram(program)));
    EXPECT_TRUE(isEmpty(checkProgram()));
    calls().clear();
    observeBuiltinCalls(recordCall);
    useMachine(machine);
    Run run;
    run.result = show(normalize(apply(definitionTable().at(""), makeAtom("0"))));
    useMachine(Machine::fast);
    observeBuiltinCalls(nullptr);
    run.builtinCalls = calls();
    for (const char* name : names)
        run.entries.push_back(show(definitionTable().at(name)));
    return run;
}

// Runs the program on both machines and expects the same of them.
void expectSameRuns(const char* program, const std::vector<const char*>& names = {}) {
    const Run plain = runWith(Machine::plain, program, names);
    const Run fast = runWith(Machine::fast, program, names);
    EXPECT_EQ(fast.result, plain.result) << program;
    EXPECT_EQ(fast.builtinCalls, plain.builtinCalls) << program;
    EXPECT_EQ(fast.entries, plain.entries) << program;
}

TEST(FastMachine, CallsTheSameBuiltinsInTheSameOrderAsThePlainMachine) {
    expectSameRuns("K(nfib(8)),nfib\\n\\(n<2)(1)(nfib(n-1)+nfib(n-2)+1)");
    expectSameRuns("K(sum(take(20,from(1)),0)),"
                   "from\\n\\V n (u\\from(n+1)),"
                   "take\\k\\s\\(k<1)(K H)(V (s K) (u\\take(k-1,(s H) 0))),"
                   "sum\\s\\a\\(s(x\\y\\K))(sum((s H) 0,a+(s K)))(a)");
    expectSameRuns("K(S B I (S B I) (S B I) (plus 1) 0)");
    expectSameRuns("a\\c{a+1}d{c*c}(d<10)(c)(d-c)");
}

TEST(FastMachine, StoresTheSameConstantsBack) {
    expectSameRuns("K(two+two+big),two\\1+1,big\\(x\\x*x)(12),once()\\7", {"two", "big"});
}

TEST(FastMachine, AConstantAppliedToArgumentsStaysAConstant) {
    // A number unfolds into an empty remainder, the empty name: the entry, a constant here.
    expectSameRuns("K(3 E 5)");
    expectSameRuns("K(V (con 1 2) 3 K),con\\plus 4");
}

TEST(FastMachine, FollowsARedefinedT) {
    expectSameRuns("K((I K) 4 5),T\\a\\b\\a");
    expectSameRuns("K(V 1 2 H),T\\a\\b\\b a");
}

TEST(FastMachine, MarkersDropTheContinuation) {
    expectSameRuns("K(plus 1 (cc+1)),cc\\cc+1");
    expectSameRuns("K(load([qq(1,2)]))");
}

TEST(FastMachine, ContractsLetsAtTheTopOfADefinitionAsThePlainMachineDoes) {
    // Five levels, one more than are split, each value to be worked out.
    expectSameRuns("K(fa(3,4)),fa\\a\\b\\c{a+b}d{c*a}e{d-b}g{e+1}h{g*2}(h<40)(h)(fa(a-1,b))");
    // A value that is normal already, and a binder that hides a parameter.
    expectSameRuns("K(fa(3,4)+ga(5,6)),fa\\a\\b\\c{a}(c+b),ga\\a\\b\\a{a+b}a*b");
    // A marker in a let's value ends the run with the let still waiting.
    expectSameRuns("K(fa(1)),fa\\a\\c{cx}(c+a),cx\\cx+1");
    // A let's value that loads definitions while the rest of the body waits.
    expectSameRuns("K(ga(1)),ga\\a\\c{load([0,ga\\a\\a*100])}d{a+1}(d>5)(d)(ga(d))");
    // Lets inside lambdas and inside let values are not split, and still agree.
    expectSameRuns("K(fa(2)),fa\\a\\(u\\c{a+u}c*c)(a{a+1}a{a*a}a)");
}

TEST(FastMachine, ContractsACallABodyStartsWithWithoutBuildingIt) {
    // Strict calls with normal arguments, lazy heads, a built-in head, a call with work in
    // its arguments, and a call applied to more arguments than it takes.
    expectSameRuns("K(aa(4)),aa\\x\\bb(x),bb\\x\\cc(x,x),cc\\x\\y\\x*y+1");
    expectSameRuns("K(aa(4)),aa\\x\\K(x+1)(x),bb\\x\\plus x 3");
    expectSameRuns("K(aa(4)),aa\\x\\bb(x+1),bb\\x\\x*2");
    expectSameRuns("K(aa(4)),aa\\x\\bb x 7 8,bb\\x\\K x");
    // A long run of calls, each a call the body starts with, costs no machine stack.
    expectSameRuns("K(go(30000,0)),go\\n\\a\\(n<1)(a)(step(n,a)),step\\n\\a\\go(n-1,a+1)");
}

TEST(FastMachine, AppliesALambdaValueToANormalArgumentFrame) {
    expectSameRuns("K((x\\y\\x+y) 3 4)");
    expectSameRuns("K((x\\x*2) (3+4))");
    expectSameRuns("K(V 1 2 (x\\y\\y) + (u\\u) 5 (plus 1 2))");
    expectSameRuns("K((x\\x) (y\\y) 6),T\\a\\b\\a");
    // A lambda waiting in a plug frame for its argument's value.
    expectSameRuns("K((x\\x*x) (sq 3)),sq\\n\\(y\\y+1) (n*n)");
}

TEST(FastMachine, GoesStraightFromAConstantToItsValueUnderArguments) {
    expectSameRuns("K(op 3 4 5),op\\addx,addx\\a\\b\\c\\a+b+c");
    expectSameRuns("K(op 3 4 5),op\\K");
    expectSameRuns("K(pp 2 + pp (pp 3)),pp\\plus 1");
    expectSameRuns("K(rank(str 1)),str\\[abc]");
    expectSameRuns("K(lam 6 7),lam\\(x\\y\\x-y)");
}

TEST(FastMachine, InstantiatesABodyThatIsASpineOfParametersAsThePlainMachineDoes) {
    // the head parameter: a selector, a built-in, a number, a string, a lambda, a definition
    expectSameRuns("K(V 1 2 K + V 1 2 H + V 3 4 plus)");
    expectSameRuns("K(rank(sw 1 2 (x\\y\\y+x)) + sw 5 6 K),sw\\a\\b\\f\\f b a");
    expectSameRuns("K(sw 1 2 3),sw\\a\\b\\f\\f b a");
    expectSameRuns("K(rank(sw 1 [ab] [cd])),sw\\a\\b\\f\\f b a");
    expectSameRuns("K(sw 7 8 mi),sw\\a\\b\\f\\f b a,mi\\x\\y\\x-y");
    // more arguments than the head takes, and fewer
    expectSameRuns("K(sw 1 2 K 9 + sw 1 2 (H I) 5),sw\\a\\b\\f\\f b a");
    expectSameRuns("K(sw 1 2 (x\\y\\z\\x+y+z) 3),sw\\a\\b\\f\\f b a");
    // a parameter taken twice, and one not taken
    expectSameRuns("K(du 3 plus),du\\a\\f\\f a a");
    expectSameRuns("K(dr 3 4 plus),dr\\a\\b\\f\\f a a");
}

TEST(FastMachine, BuildsOnlyTheArgumentASelectorHeadTakes) {
    // streams as functions of a selector, and truths applied to two branches
    expectSameRuns("K(sm(tk(5,fr(1)),0)),fr\\n\\s\\s n (fr(n+1)),"
                   "tk\\k\\l\\s\\(k<1)(s 0 0)(s (l K) (tk(k-1,l H))),"
                   "sm\\l\\a\\(l K=0)(a)(sm(l H,a+l(K)))");
    expectSameRuns("K((if (3<4) (1+2) (5*6)) + (if (4<3) (1+2) (5*6))),if\\b\\x\\y\\b x y");
    // more arguments than the selector takes, a selector of the program, one of three
    expectSameRuns("K((ap K (x\\x+1) 9 4) + (ap H 9 (x\\x*2) 4)),ap\\f\\a\\b\\c\\f a b c");
    expectSameRuns("K(ap sn 1 2 3),ap\\f\\a\\b\\c\\f (a+0) (b+0) (c+0),sn\\x\\y\\z\\y");
    expectSameRuns("K(ap I (x\\y\\x+y) 2 3),ap\\f\\a\\b\\c\\f (a+0) (b+0) (c+0)");
    // a selector redefined by a load after its atom was classified
    expectSameRuns("K(ap (ld(sn)) 1 2 3),ap\\f\\a\\b\\c\\f (a+0) (b+0) (c+0),"
                   "sn\\x\\y\\z\\y,ld\\v\\sq(load([0,sn\\x\\y\\x]),v),sq\\a\\b\\b");
}

TEST(FastMachine, ALongChainOfPendingWorkCostsNoMachineStack) {
    expectSameRuns("K(count 50000),count\\n\\(n<1)(0)(1+count(n-1))");
}

} // namespace
