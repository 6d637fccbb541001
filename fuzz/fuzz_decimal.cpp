// Decimal arithmetic against checks of its own. Operands that fit in 64 bits are compared
// with 128-bit machine arithmetic for every operation, through the built-ins as a program
// calls them; long operands (up to 10^5 digits, from repeated input digits) must satisfy
// a*b/b = a, a = b*(a/b) + a%b for a positive b, (a+b)-b = a, a*b = b*a, agree with a plain
// digit-by-digit sum and product when they are short enough, and turn into text and back
// unchanged. (The remainder is the size of the floor quotient's remainder: a = b*q - r for
// a negative b.)
#include "builtins/arithmetic.h"
#include "builtins/calling_protocol.h"
#include "builtins/comparison.h"
#include "builtins/decimal_integers.h"
#include "fuzz/fuzz_run.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

namespace {

using namespace rill;

using Builtin = NodeRef (*)(NodeRef);

// The built-in's answer for two atoms, as its text.
std::string call(Builtin f, const char* name, const std::string& a, const std::string& b) {
    NodeRef r = f(apply(makeAtom(name), makeAtom(a), makeAtom(b)));
    FUZZ_CHECK(isAtom(r));
    return std::string(atomText(r));
}

// The language's text of a 128-bit integer: its digits, "0" in front when negative.
std::string textOf(__int128 v) {
    if (v == 0)
        return "0";
    const bool negative = v < 0;
    unsigned __int128 m = negative ? -static_cast<unsigned __int128>(v) : v;
    std::string digits;
    while (m != 0) {
        digits.push_back(static_cast<char>('0' + static_cast<int>(m % 10)));
        m /= 10;
    }
    if (negative)
        digits.push_back('0');
    std::reverse(digits.begin(), digits.end());
    return digits;
}

__int128 floorDiv(__int128 a, __int128 b) {
    __int128 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// The remainder in 0 .. |b| - 1 as the language defines it: |a| mod |b| when the signs
// agree, else |b| minus it (or 0); that is the size of the remainder of the floor quotient.
__int128 remainderOf(__int128 a, __int128 b) {
    const __int128 r = a - b * floorDiv(a, b);
    return r < 0 ? -r : r;
}

void checkShort(std::int64_t x, std::int64_t y, unsigned exponent) {
    const std::string a = textOf(x);
    const std::string b = textOf(y);
    const __int128 p = x;
    const __int128 q = y;
    FUZZ_CHECK(call(builtin_plus, "plus", a, b) == textOf(p + q));
    FUZZ_CHECK(call(builtin_dash, "dash", a, b) == textOf(p - q));
    FUZZ_CHECK(call(builtin_mult, "mult", a, b) == textOf(p * q));
    if (y == 0) {
        FUZZ_CHECK(call(builtin_over, "over", a, b) == "Z");
        FUZZ_CHECK(call(builtin_cent, "cent", a, b) == "Z");
    } else {
        FUZZ_CHECK(call(builtin_over, "over", a, b) == textOf(floorDiv(p, q)));
        FUZZ_CHECK(call(builtin_cent, "cent", a, b) == textOf(remainderOf(p, q)));
    }
    FUZZ_CHECK(call(builtin_less, "less", a, b) == (x < y ? "K" : "H"));
    FUZZ_CHECK(call(builtin_same, "same", a, b) == (x == y ? "K" : "H"));
    // Powers that fit in 128 bits: a small base to a small exponent.
    const std::int64_t base = x % 1000;
    const unsigned e = exponent % 12;
    __int128 power = 1;
    for (unsigned i = 0; i < e; ++i)
        power *= base;
    FUZZ_CHECK(call(builtin_powa, "powa", textOf(base), textOf(e)) == textOf(power));
}

// Plain digit-by-digit arithmetic on magnitudes (most significant digit first).
std::string plainSum(const std::string& a, const std::string& b) {
    std::string r;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
        int d = carry;
        if (i < a.size())
            d += a[a.size() - 1 - i] - '0';
        if (i < b.size())
            d += b[b.size() - 1 - i] - '0';
        r.push_back(static_cast<char>('0' + d % 10));
        carry = d / 10;
    }
    while (r.size() > 1 && r.back() == '0')
        r.pop_back();
    std::reverse(r.begin(), r.end());
    return r;
}

std::string plainProduct(const std::string& a, const std::string& b) {
    std::vector<int> r(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i)
        for (std::size_t j = 0; j < b.size(); ++j)
            r[i + j] += (a[a.size() - 1 - i] - '0') * (b[b.size() - 1 - j] - '0');
    std::string out;
    int carry = 0;
    for (int d : r) {
        d += carry;
        out.push_back(static_cast<char>('0' + d % 10));
        carry = d / 10;
    }
    while (carry != 0) {
        out.push_back(static_cast<char>('0' + carry % 10));
        carry /= 10;
    }
    while (out.size() > 1 && out.back() == '0')
        out.pop_back();
    std::reverse(out.begin(), out.end());
    return out;
}

// A long operand: digits from the input, the run repeated up to the length asked for.
std::string longOperand(FuzzedDataProvider& in, std::size_t length) {
    std::string digits = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(1, 64));
    for (char& c : digits)
        c = static_cast<char>('0' + static_cast<unsigned char>(c) % 10);
    if (digits.empty())
        digits = "7";
    std::string text;
    while (text.size() < length)
        text += digits;
    text.resize(length);
    const std::size_t first = text.find_first_not_of('0');
    if (first == std::string::npos)
        return "0";
    return text.substr(first);
}

std::string negate(const std::string& t) {
    if (t == "0")
        return t;
    return t[0] == '0' ? t.substr(1) : "0" + t;
}

void checkLong(FuzzedDataProvider& in) {
    const std::size_t limit = in.ConsumeBool() ? 100000 : 400;
    const std::string ma = longOperand(in, in.ConsumeIntegralInRange<std::size_t>(1, limit));
    const std::string mb = longOperand(in, in.ConsumeIntegralInRange<std::size_t>(1, limit));
    const std::string a = in.ConsumeBool() ? negate(ma) : ma;
    const std::string b = in.ConsumeBool() ? negate(mb) : mb;

    // Text and back, through the limbs and through an atom.
    Integer ia;
    FUZZ_CHECK(parseDecimalText(a, ia));
    FUZZ_CHECK(decimalText(ia) == a);
    FUZZ_CHECK(atomText(makeIntegerAtom(ia)) == a);

    const std::string sum = call(builtin_plus, "plus", a, b);
    const std::string product = call(builtin_mult, "mult", a, b);
    FUZZ_CHECK(call(builtin_dash, "dash", sum, b) == a);
    FUZZ_CHECK(call(builtin_mult, "mult", b, a) == product);
    if (ma.size() <= 400 && mb.size() <= 400) {
        if (a == ma && b == mb)
            FUZZ_CHECK(sum == plainSum(ma, mb));
        FUZZ_CHECK((product[0] == '0' && product != "0" ? product.substr(1) : product) ==
                   plainProduct(ma, mb));
    }
    if (b != "0") {
        FUZZ_CHECK(call(builtin_over, "over", product, b) == a);
        const std::string q = call(builtin_over, "over", a, b);
        const std::string r = call(builtin_cent, "cent", a, b);
        FUZZ_CHECK(r[0] != '0' || r == "0");                  // never negative
        FUZZ_CHECK(call(builtin_less, "less", r, mb) == "K"); // below |b|
        if (b == mb)
            FUZZ_CHECK(call(builtin_plus, "plus", call(builtin_mult, "mult", b, q), r) == a);
        else // a = b*q - r for a negative b
            FUZZ_CHECK(call(builtin_dash, "dash", call(builtin_mult, "mult", b, q), r) == a);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        const auto x = in.ConsumeIntegral<std::int64_t>();
        const auto y = in.ConsumeIntegral<std::int64_t>();
        checkShort(x, y, in.ConsumeIntegral<unsigned>());
    } else {
        checkLong(in);
    }
    return 0;
}
