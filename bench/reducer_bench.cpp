// The reducer's speed on small programs: machine steps per second and, for nfib, calls per
// second (nfib n counts its own calls).
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"
#include "front/source_text.h"

#include <benchmark/benchmark.h>

using namespace rill;

namespace {

// Takes in a program and returns its entry applied to 0.
NodeRef loadEntry(const char* program) {
    loadPrelude();
    if (!isEmpty(takeInProgram(program)))
        std::abort();
    return apply(definitionTable().at(std::string()), makeAtom("0"));
}

// Runs the machine to normal form, counting its steps.
std::int64_t stepsToNormalForm(NodeRef term) {
    NodeRef machine = apply(makeAtom("I"), std::move(term));
    std::int64_t steps = 0;
    for (;;) {
        Node* k = functionOf(machine.get());
        if (isAtomNode(k) && atomBytes(k)[0] == 'I' && isNormalNode(argumentOf(machine.get())))
            return steps;
        machine = step(std::move(machine));
        ++steps;
    }
}

void runProgram(benchmark::State& state, const char* program, double callsPerRun) {
    std::int64_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        NodeRef entry = loadEntry(program);
        state.ResumeTiming();
        steps += stepsToNormalForm(std::move(entry));
    }
    state.counters["steps/s"] =
        benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    if (callsPerRun > 0)
        state.counters["calls/s"] =
            benchmark::Counter(callsPerRun * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Nfib20(benchmark::State& state) {
    runProgram(state, "K(nfib(20)),nfib\\n\\(n<2)(1)(nfib(n-1)+nfib(n-2)+1)", 21891);
}
BENCHMARK(BM_Nfib20)->Unit(benchmark::kMillisecond);

void BM_CombinatorChain(benchmark::State& state) {
    runProgram(state, "K(S B I (S B I) (S B I) (S B I) (plus 1) 0)", 0);
}
BENCHMARK(BM_CombinatorChain)->Unit(benchmark::kMillisecond);

void BM_LazyPrimes(benchmark::State& state) {
    runProgram(state,
               "K(nth(primes(0),200)),primes\\u\\sieve(from(2)),from\\n\\V n (u\\from(n+1)),"
               "sieve\\s\\V (s K) (u\\sieve(filter(s K,(s H) 0))),"
               "filter\\p\\s\\(((s K)%p)=0)(filter(p,(s H) 0))(V (s K) (u\\filter(p,(s H) 0))),"
               "nth\\s\\n\\(n<1)(s K)(nth((s H) 0,n-1))",
               0);
}
BENCHMARK(BM_LazyPrimes)->Unit(benchmark::kMillisecond);

} // namespace
