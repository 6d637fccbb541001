// Big-number arithmetic on decimal texts: the limb algorithms beside a plain digit-by-digit
// baseline, for add, multiply, divide and decimal-to-binary conversion at 10, 1,000 and
// 100,000 digits. Each measured operation starts from and ends at decimal texts, as the
// built-ins do. The built-in runs call plus, mult and less on atoms the way the machine
// does: short numbers as in everyday loops, and a long number times a short one as in a
// running product.
#include "builtins/arithmetic.h"
#include "builtins/comparison.h"
#include "builtins/decimal_integers.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace rill;

namespace {

std::string randomDigits(std::size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::string s(1, static_cast<char>('1' + rng() % 9));
    while (s.size() < n)
        s.push_back(static_cast<char>('0' + rng() % 10));
    return s;
}

// --- The digit-by-digit baseline: reversed digit strings, one decimal digit at a time ------

using Digits = std::vector<int>; // least significant first

Digits reversed(const std::string& text) {
    Digits d;
    for (std::size_t i = text.size(); i-- > 0;)
        d.push_back(text[i] - '0');
    return d;
}

std::string textOf(Digits d) {
    while (!d.empty() && d.back() == 0)
        d.pop_back();
    if (d.empty())
        return "0";
    std::string s;
    for (std::size_t i = d.size(); i-- > 0;)
        s.push_back(static_cast<char>('0' + d[i]));
    return s;
}

Digits baselineAdd(const Digits& a, const Digits& b) {
    Digits r;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        int digit = (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0) + carry;
        r.push_back(digit % 10);
        carry = digit / 10;
    }
    if (carry != 0)
        r.push_back(1);
    return r;
}

Digits baselineMultiply(const Digits& a, const Digits& b) {
    Digits r(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        int carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            int cur = r[i + j] + a[i] * b[j] + carry;
            r[i + j] = cur % 10;
            carry = cur / 10;
        }
        for (std::size_t k = i + b.size(); carry != 0; ++k) {
            int cur = r[k] + carry;
            r[k] = cur % 10;
            carry = cur / 10;
        }
    }
    return r;
}

// a >= b on reversed digits, ignoring leading zeros
bool notBelow(const Digits& a, const Digits& b) {
    for (std::size_t i = std::max(a.size(), b.size()); i-- > 0;) {
        int x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
        if (x != y)
            return x > y;
    }
    return true;
}

void subtractInPlace(Digits& a, const Digits& b) {
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int cur = a[i] - (i < b.size() ? b[i] : 0) - borrow;
        borrow = cur < 0;
        a[i] = borrow ? cur + 10 : cur;
    }
}

// Long division: each quotient digit by repeated comparison and subtraction.
Digits baselineDivide(const Digits& a, const Digits& b) {
    Digits q(a.size(), 0);
    Digits rest;
    for (std::size_t i = a.size(); i-- > 0;) {
        rest.insert(rest.begin(), a[i]);
        while (rest.size() > b.size() && rest.back() == 0)
            rest.pop_back();
        int digit = 0;
        while (notBelow(rest, b)) {
            subtractInPlace(rest, b);
            ++digit;
        }
        q[i] = digit;
    }
    return q;
}

// Decimal to binary by halving the digit string once per bit.
std::vector<bool> baselineToBinary(Digits d) {
    std::vector<bool> bits;
    while (!d.empty()) {
        bits.push_back(d[0] % 2 != 0);
        int rest = 0;
        for (std::size_t i = d.size(); i-- > 0;) {
            int cur = rest * 10 + d[i];
            d[i] = cur / 2;
            rest = cur % 2;
        }
        while (!d.empty() && d.back() == 0)
            d.pop_back();
    }
    return bits;
}

// --- Limb algorithms ------------------------------------------------------------------------

void BM_Add(benchmark::State& state) {
    const std::string a = randomDigits(state.range(0), 1), b = randomDigits(state.range(0), 2);
    for (auto _ : state) {
        Magnitude r = addMagnitudes(magnitudeFromDigits(a), magnitudeFromDigits(b));
        std::string text;
        appendDigits(r, text);
        benchmark::DoNotOptimize(text);
    }
}

void BM_Multiply(benchmark::State& state) {
    const std::string a = randomDigits(state.range(0), 1), b = randomDigits(state.range(0), 2);
    for (auto _ : state) {
        Magnitude r = multiplyMagnitudes(magnitudeFromDigits(a), magnitudeFromDigits(b));
        std::string text;
        appendDigits(r, text);
        benchmark::DoNotOptimize(text);
    }
}

// A dividend of twice the digits by a divisor of the given digits.
void BM_Divide(benchmark::State& state) {
    const std::string a = randomDigits(2 * state.range(0), 1);
    const std::string b = randomDigits(state.range(0), 2);
    for (auto _ : state) {
        Magnitude q;
        divideMagnitudes(magnitudeFromDigits(a), magnitudeFromDigits(b), &q, nullptr);
        std::string text;
        appendDigits(q, text);
        benchmark::DoNotOptimize(text);
    }
}

// Decimal text to its BitString.
void BM_DecimalToBinary(benchmark::State& state) {
    const std::string a = randomDigits(state.range(0), 1);
    for (auto _ : state) {
        BitString s;
        benchmark::DoNotOptimize(bitStringOfText(a, s));
        benchmark::DoNotOptimize(s);
    }
}

// The low 64 bits of a decimal atom, as exit statuses and addresses are read.
void BM_ToUInt64(benchmark::State& state) {
    const NodeRef a = makeAtom(randomDigits(state.range(0), 1));
    for (auto _ : state)
        benchmark::DoNotOptimize(toUInt64(a));
}

// --- Baseline runs --------------------------------------------------------------------------

void BM_BaselineAdd(benchmark::State& state) {
    const std::string a = randomDigits(state.range(0), 1), b = randomDigits(state.range(0), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(textOf(baselineAdd(reversed(a), reversed(b))));
}

void BM_BaselineMultiply(benchmark::State& state) {
    const std::string a = randomDigits(state.range(0), 1), b = randomDigits(state.range(0), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(textOf(baselineMultiply(reversed(a), reversed(b))));
}

void BM_BaselineDivide(benchmark::State& state) {
    const std::string a = randomDigits(2 * state.range(0), 1);
    const std::string b = randomDigits(state.range(0), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(textOf(baselineDivide(reversed(a), reversed(b))));
}

void BM_BaselineDecimalToBinary(benchmark::State& state) {
    const std::string a = randomDigits(state.range(0), 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(baselineToBinary(reversed(a)));
}

// --- Built-in calls on atoms -----------------------------------------------------------------

using BuiltinFn = NodeRef (*)(NodeRef);

// One saturated call (op x y) handed to the built-in, as the machine hands it over.
void runBuiltin(benchmark::State& state, BuiltinFn f, const char* x, const char* y) {
    const NodeRef op = makeAtom("op"), a = makeAtom(x), b = makeAtom(y);
    for (auto _ : state)
        benchmark::DoNotOptimize(f(apply(op, a, b)));
}

void BM_BuiltinPlusShort(benchmark::State& state) {
    runBuiltin(state, builtin_plus, "12345", "678");
}

void BM_BuiltinDashShortNegative(benchmark::State& state) {
    runBuiltin(state, builtin_dash, "017", "25");
}

void BM_BuiltinMultShort(benchmark::State& state) {
    runBuiltin(state, builtin_mult, "123456789", "987654321");
}

void BM_BuiltinLessShort(benchmark::State& state) {
    runBuiltin(state, builtin_less, "12345", "678");
}

// A fresh long product by a short factor each time: the factor walks up as in n!.
void BM_BuiltinMultLongByShort(benchmark::State& state) {
    const NodeRef op = makeAtom("op");
    NodeRef acc = makeAtom(randomDigits(state.range(0), 1));
    const NodeRef start = acc;
    std::int64_t k = 2;
    for (auto _ : state) {
        acc = builtin_mult(apply(op, std::move(acc), makeInteger(k)));
        if (++k == 50) { // keep the length near the argument
            k = 2;
            acc = start;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The same long number times a short one, with nothing carried from one call to the next.
void BM_BuiltinMultLongByShortFresh(benchmark::State& state) {
    const NodeRef op = makeAtom("op"), a = makeAtom(randomDigits(state.range(0), 1));
    const NodeRef b = makeAtom("12345");
    for (auto _ : state)
        benchmark::DoNotOptimize(builtin_mult(apply(op, makeAtom(atomText(a)), b)));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_BuiltinPlusLongAndShort(benchmark::State& state) {
    const NodeRef op = makeAtom("op"), a = makeAtom(randomDigits(state.range(0), 1));
    const NodeRef b = makeAtom("987654321");
    for (auto _ : state)
        benchmark::DoNotOptimize(builtin_plus(apply(op, a, b)));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_BuiltinPlusShort);
BENCHMARK(BM_BuiltinDashShortNegative);
BENCHMARK(BM_BuiltinMultShort);
BENCHMARK(BM_BuiltinLessShort);
BENCHMARK(BM_BuiltinMultLongByShort)->Arg(100)->Arg(10000)->Arg(80000);
BENCHMARK(BM_BuiltinMultLongByShortFresh)->Arg(100)->Arg(10000)->Arg(80000);
BENCHMARK(BM_BuiltinPlusLongAndShort)->Arg(100)->Arg(10000)->Arg(80000);
BENCHMARK(BM_Add)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_BaselineAdd)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_Multiply)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineMultiply)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineMultiply)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Divide)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineDivide)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineDivide)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecimalToBinary)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineDecimalToBinary)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineDecimalToBinary)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToUInt64)->Arg(10)->Arg(20)->Arg(1000)->Arg(100000);
