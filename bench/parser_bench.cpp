// The front end's speed: normalising and parsing program texts of a megabyte.
#include "front/expression_parser.h"
#include "front/source_text.h"

#include <benchmark/benchmark.h>

using namespace rill;

namespace {

void parseText(benchmark::State& state, const CodeText& text) {
    for (auto _ : state) {
        NodeRef tree = parseExpression(text);
        benchmark::DoNotOptimize(tree.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_ParseMixedProgram(benchmark::State& state) {
    CodeText text;
    while (text.size() < 1000000)
        text += "f(a+b*c,[x y],g h)-K(x!)\\y;z{p,q}r\n";
    parseText(state, text);
}
BENCHMARK(BM_ParseMixedProgram)->Unit(benchmark::kMillisecond);

void BM_ParseOneLevel(benchmark::State& state) {
    CodeText text = "a";
    while (text.size() < 1000000)
        text += "+a";
    parseText(state, text);
}
BENCHMARK(BM_ParseOneLevel)->Unit(benchmark::kMillisecond);

void BM_ParseDeepNesting(benchmark::State& state) {
    CodeText text = std::string(100000, '(') + "x" + std::string(100000, ')');
    parseText(state, text);
}
BENCHMARK(BM_ParseDeepNesting)->Unit(benchmark::kMillisecond);

void BM_NormaliseSpacing(benchmark::State& state) {
    CodeText text;
    while (text.size() < 1000000)
        text += "f  x ,\n  g (y)  +  [a  b]\n\n";
    for (auto _ : state) {
        CodeText out = normaliseSpacing(text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_NormaliseSpacing)->Unit(benchmark::kMillisecond);

} // namespace
