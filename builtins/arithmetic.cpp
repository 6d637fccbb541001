#include "builtins/arithmetic.h"

#include "builtins/calling_protocol.h"
#include "builtins/decimal_integers.h"
#include "builtins/real_numbers.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace rill {

namespace {

// The `o` arithmetic. An `o` value is the bit form of an integer with its kind bit cleared:
// the `o` text of N stands for the integer whose bit form is N + 1, so "00" is 0, "00" + D
// is D, "000" is -1 and "0002" is -5, and (J H rest) is read the same way from its bits.
// Turning an integer into the `o` form clears its kind bit and so keeps its value (0 becomes
// "00"). The operations therefore work on those integer values and give `o` texts:
//   plus, dash, mult   the sum, difference and product;
//   cent               the remainder in 0 .. |y| - 1, "Z" for a zero divisor;
//   over               "Z" for two `o` values (an integer and an `o` value go through reals);
//   powa               x^n for an integer n: "Z" below zero, "00" for zero; a base "004"
//                      (the number 4) is raised by shifting bits;
//   less, same         the order and equality of those integers.

enum class Operation { plus, dash, mult, over, cent, powa };

// An integer or `o` argument, read once.
struct Number {
    NumberReading reading;
    bool ok = false;
};

Number readOperand(const NodeRef& value) {
    Number n;
    n.ok = readNumber(value, n.reading);
    return n;
}

// The word path for two short integers (|a|, |b| < 10^18, so sums and differences fit); false
// when it does not apply.
bool operateShort(Operation op, std::int64_t a, std::int64_t b, NodeRef& result) {
    switch (op) {
    case Operation::plus: result = makeShortIntegerAtom(a + b); return true;
    case Operation::dash: result = makeShortIntegerAtom(a - b); return true;
    case Operation::mult: {
        const __int128 p = static_cast<__int128>(a) * b;
        if (p > INT64_MAX || p < INT64_MIN)
            return false;
        result = makeShortIntegerAtom(static_cast<std::int64_t>(p));
        return true;
    }
    case Operation::over: {
        if (b == 0) {
            result = makeFailure();
            return true;
        }
        std::int64_t q = a / b;
        if (a % b != 0 && ((a < 0) != (b < 0)))
            --q;
        result = makeShortIntegerAtom(q);
        return true;
    }
    case Operation::cent: {
        if (b == 0) {
            result = makeFailure();
            return true;
        }
        const std::int64_t mb = b < 0 ? -b : b;
        std::int64_t r = (a < 0 ? -a : a) % mb;
        if ((a < 0) != (b < 0) && r != 0)
            r = mb - r;
        result = makeShortIntegerAtom(r);
        return true;
    }
    case Operation::powa: return false;
    }
    return false;
}

// A long atom beside a short integer: plus and dash on the long one's digit text, mult on its
// limbs in place. An empty handle when the long argument is not a long integer atom, or for
// the other operations, which take the general path.
NodeRef operateLongAndShort(Operation op, const NodeRef& x, const NodeRef& y, bool shortX,
                            std::int64_t a, std::int64_t b) {
    const NodeRef& longer = shortX ? y : x;
    const std::int64_t s = shortX ? a : b;
    if (!isAtom(longer) || firstByte(longer) < '0' || firstByte(longer) > '9')
        return {};
    switch (op) {
    case Operation::plus: return addShortToLongAtom(longer, false, s);
    case Operation::dash:
        return shortX ? addShortToLongAtom(y, true, a)    // a - y
                      : addShortToLongAtom(x, false, -b); // x - b
    case Operation::mult: return multiplyAtomByShort(longer, s);
    default: return {};
    }
}

// An integer argument (an atom or a bit list) as its integer; false when it is none.
bool readIntegerOperand(const NodeRef& value, Integer& out) {
    if (isAtom(value))
        return readIntegerAtom(value, out);
    NumberReading r;
    if (!readNumber(value, r))
        return false;
    out = std::move(r.value);
    return true;
}

// base^exponent for a non-negative exponent, by squaring from the exponent's highest bit.
Integer integerPower(const Integer& base, const Integer& exponent) {
    Integer result = integerFromInt64(1);
    const BitString bits = bitStringOfMagnitude(exponent.magnitude);
    for (std::size_t i = bitLength(bits) + 1; i-- > 0;) {
        result = multiplyIntegers(result, result);
        if (readBit(bits, i))
            result = multiplyIntegers(result, base);
    }
    return result;
}

// The integer operation of op, or false for a zero divisor.
bool operateIntegers(Operation op, const Integer& a, const Integer& b, Integer& r) {
    switch (op) {
    case Operation::plus: r = addIntegers(a, b); return true;
    case Operation::dash: r = subtractIntegers(a, b); return true;
    case Operation::mult: r = multiplyIntegers(a, b); return true;
    case Operation::over: return floorQuotient(a, b, r);
    case Operation::cent: return nonNegativeRemainder(a, b, r);
    case Operation::powa:
        if (b.negative) {
            r = Integer{};
            return true;
        }
#ifdef RILL_FUZZ_BOUNDS
        // A fuzzed run computes no power longer than a bounded atom could hold.
        if (a.magnitude.limbs.size() * lowBitsOf(b.magnitude) > (std::size_t{1} << 16) &&
            compareMagnitudes(a.magnitude, magnitudeFromUInt64(1)) > 0)
            return false;
        if (b.magnitude.limbs.size() > 1 &&
            compareMagnitudes(a.magnitude, magnitudeFromUInt64(1)) > 0)
            return false;
#endif
        r = integerPower(Integer{false, a.magnitude}, b);
        r.negative = a.negative && (lowBitsOf(b.magnitude) & 1) != 0 && !isZero(r.magnitude);
        return true;
    }
    return false;
}

double operateReals(Operation op, double a, double b) {
    switch (op) {
    case Operation::plus: return a + b;
    case Operation::dash: return a - b;
    case Operation::mult: return a * b;
    case Operation::over: return a / b;
    case Operation::cent: return std::fmod(a, b);
    case Operation::powa: return std::pow(a, b);
    }
    return 0.0;
}

// The `o` power: x^n in the `o` arithmetic.
NodeRef oPower(const Number& base, const Integer& exponent) {
    if (exponent.negative)
        return makeFailure();
    if (isZero(exponent.magnitude))
        return makeAtom("00");
    const Integer& x = base.reading.value;
    if (!x.negative && compareMagnitudes(x.magnitude, magnitudeFromUInt64(4)) == 0 &&
        compareMagnitudes(exponent.magnitude, magnitudeFromUInt64(std::uint64_t{1} << 62)) < 0) {
#ifdef RILL_FUZZ_BOUNDS
        if (lowBitsOf(exponent.magnitude) > (std::size_t{1} << 20))
            return makeFailure();
#endif
        // 4^n = 2^(2n), made by shifting bits
        const std::size_t shift = static_cast<std::size_t>(2 * lowBitsOf(exponent.magnitude));
        return makeOAtom(Integer{false, shiftLeftBits(magnitudeFromUInt64(1), shift)});
    }
    Integer r;
    operateIntegers(Operation::powa, x, exponent, r);
    return makeOAtom(r);
}

// The double of a number argument that has been read.
double realOf(const NodeRef& value, ValueKind kind, const Number& n) {
    if (kind == ValueKind::real)
        return readReal(value);
    return n.reading.isOForm ? realOfO(n.reading.value) : realOfInteger(n.reading.value);
}

// The bytes of a string (between its brackets) or a block (its payload); false for a data
// value that is not an atom.
bool bytesOf(const NodeRef& value, ValueKind kind, std::string_view& bytes) {
    if (!isAtom(value))
        return false;
    std::string_view text = atomText(value);
    if (kind == ValueKind::string) {
        if (text.size() < 2)
            return false;
        bytes = text.substr(1, text.size() - 2);
        return true;
    }
    bytes = text.substr(text.find(')') + 1);
    return true;
}

NodeRef makeBytes(ValueKind kind, std::string&& bytes) {
    if (kind == ValueKind::block)
        return makeAtom(blockText(bytes));
    bytes.insert(bytes.begin(), '[');
    bytes.push_back(']');
    return makeAtom(std::move(bytes));
}

// The text of a number for joining to a string: an integer's or `o` value's canonical text,
// a real's "%e" form.
bool numberText(const NodeRef& value, ValueKind kind, std::string& text) {
    if (kind == ValueKind::real) {
        text = realText(readReal(value));
        return true;
    }
    NumberReading r;
    if (!readNumber(value, r))
        return false;
    text = r.isOForm ? oText(r.value) : decimalText(r.value);
    return true;
}

bool isByteKind(ValueKind k) {
    return k == ValueKind::string || k == ValueKind::block;
}

// plus with one string or block and one number: the texts joined in argument order.
NodeRef joinWithNumber(const NodeRef& x, ValueKind kx, const NodeRef& y, ValueKind ky) {
    const bool stringFirst = isByteKind(kx);
    const NodeRef& data = stringFirst ? x : y;
    const ValueKind kind = stringFirst ? kx : ky;
    std::string_view bytes;
    std::string number;
    if (!bytesOf(data, kind, bytes) ||
        !numberText(stringFirst ? y : x, stringFirst ? ky : kx, number))
        return makeFailure();
    std::string joined = stringFirst ? std::string(bytes) + number : number + std::string(bytes);
    return makeBytes(kind, std::move(joined));
}

// dash of a string or block and an integer n: |n| = L empties it, a smaller positive n drops
// the first n bytes, a smaller negative n the last |n|, a larger one gives "Z".
NodeRef dropBytes(const NodeRef& x, ValueKind kx, const NodeRef& y) {
    std::string_view bytes;
    if (!isInteger(y) || !bytesOf(x, kx, bytes))
        return makeFailure();
    const std::int64_t n = toInt64(y);
    const std::uint64_t count =
        n < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    if (count > bytes.size())
        return makeFailure();
    if (n > 0)
        bytes.remove_prefix(count);
    else
        bytes.remove_suffix(count);
    return makeBytes(kx, std::string(bytes));
}

// mult of a string or block and an integer n: the bytes n times, built by doubling.
NodeRef repeatBytes(const NodeRef& x, ValueKind kx, const NodeRef& y) {
    std::string_view bytes;
    if (!isInteger(y) || !bytesOf(x, kx, bytes))
        return makeFailure();
    const std::int64_t n = toInt64(y);
    if (n < 0)
        return makeFailure();
    std::string repeated;
    if (n == 0 || bytes.empty())
        return makeBytes(kx, std::move(repeated));
    const auto count = static_cast<std::uint64_t>(n);
    if (count > (repeated.max_size() - 2) / bytes.size())
        return makeFailure(); // no string can hold it
    repeated.reserve(static_cast<std::size_t>(count) * bytes.size() + 2);
    for (int bit = 63 - std::countl_zero(count); bit >= 0; --bit) {
        repeated.append(repeated);
        if (((count >> bit) & 1) != 0)
            repeated.append(bytes);
    }
    return makeBytes(kx, std::move(repeated));
}

// The byte-string rules, for kinds that differ with a string or block among them.
NodeRef operateOnBytes(Operation op, const NodeRef& x, ValueKind kx, const NodeRef& y,
                       ValueKind ky) {
    const bool bothBytes = isByteKind(kx) && isByteKind(ky);
    switch (op) {
    case Operation::plus:
        if (bothBytes)
            return makeFailure();
        return joinWithNumber(x, kx, y, ky);
    case Operation::dash:
        if (isByteKind(kx) && ky == ValueKind::integer)
            return dropBytes(x, kx, y);
        return makeFailure();
    case Operation::mult:
        if (isByteKind(kx) && ky == ValueKind::integer)
            return repeatBytes(x, kx, y);
        return makeFailure();
    default: return makeFailure();
    }
}

// The same-kind rows for strings and blocks: only plus joins them.
NodeRef operateSameBytes(Operation op, NodeRef& x, const NodeRef& y, ValueKind kind) {
    std::string_view bx, by;
    if (op != Operation::plus || !bytesOf(x, kind, bx) || !bytesOf(y, kind, by))
        return makeFailure();
    // A string that nothing else holds grows where it is, so a loop that appends to one
    // string takes linear time.
    if (kind == ValueKind::string && appendToStringInPlace(x, by))
        return std::move(x);
    std::string joined(bx);
    joined.append(by);
    return makeBytes(kind, std::move(joined));
}

NodeRef operate(Operation op, NodeRef call) {
    // the common cases first: two short integers, read where they stand in the call
    std::int64_t a = 0, b = 0;
    const bool shortX = readShortInteger(firstArgumentOf(call), a);
    const bool shortY = readShortInteger(secondArgumentOf(call), b);
    if (shortX && shortY) {
        NodeRef small;
        if (operateShort(op, a, b, small))
            return small;
    }
    auto [x, y] = takeArguments<2>(std::move(call));
    // then a long integer and a short one
    if (shortX != shortY) {
        NodeRef r = operateLongAndShort(op, x, y, shortX, a, b);
        if (!r.empty())
            return r;
    }
    const ValueKind kx = valueKind(x);
    const ValueKind ky = valueKind(y);
    if (kx == ValueKind::other || ky == ValueKind::other)
        return makeFailure();
    if (kx == ky && isByteKind(kx))
        return operateSameBytes(op, x, y, kx);
    if (isByteKind(kx) || isByteKind(ky))
        return operateOnBytes(op, x, kx, y, ky);
    if (kx == ValueKind::real && ky == ValueKind::real)
        return makeReal(operateReals(op, readReal(x), readReal(y)));
    if (kx == ValueKind::integer && ky == ValueKind::integer) {
        Integer ix, iy, r;
        if (!readIntegerOperand(x, ix) || !readIntegerOperand(y, iy) ||
            !operateIntegers(op, ix, iy, r))
            return makeFailure();
        return makeIntegerAtom(std::move(r));
    }
    const Number nx = kx == ValueKind::real ? Number{{}, true} : readOperand(x);
    const Number ny = ky == ValueKind::real ? Number{{}, true} : readOperand(y);
    if (!nx.ok || !ny.ok)
        return makeFailure();
    const bool anyReal = kx == ValueKind::real || ky == ValueKind::real;
    if (op == Operation::powa && kx == ValueKind::oForm && ky == ValueKind::integer)
        return oPower(nx, ny.reading.value);
    if (anyReal || (op == Operation::over && kx != ky) || (op == Operation::powa && kx != ky))
        return makeReal(operateReals(op, realOf(x, kx, nx), realOf(y, ky, ny)));
    // the `o` arithmetic: two `o` values, or an integer turned into the `o` form
    if (op == Operation::over || op == Operation::powa)
        return makeFailure();
    Integer r;
    if (!operateIntegers(op, nx.reading.value, ny.reading.value, r))
        return makeFailure();
    return makeOAtom(r);
}

} // namespace

NodeRef builtin_plus(NodeRef call) {
    return operate(Operation::plus, std::move(call));
}

NodeRef builtin_dash(NodeRef call) {
    return operate(Operation::dash, std::move(call));
}

NodeRef builtin_mult(NodeRef call) {
    return operate(Operation::mult, std::move(call));
}

NodeRef builtin_over(NodeRef call) {
    return operate(Operation::over, std::move(call));
}

NodeRef builtin_cent(NodeRef call) {
    return operate(Operation::cent, std::move(call));
}

NodeRef builtin_powa(NodeRef call) {
    return operate(Operation::powa, std::move(call));
}

} // namespace rill
