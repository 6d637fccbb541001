#include "builtins/real_numbers.h"

#include "builtins/calling_protocol.h"
#include "core/assertion.h"

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace rill {

bool isRealAtom(const NodeRef& value) {
    return isAtom(value) && firstByte(value) == ' ';
}

void checkReal(const NodeRef& value) {
    RILL_ASSERT(isRealAtom(value));
}

double readReal(const NodeRef& value) {
    checkReal(value);
    // The 8 bytes after the leading space, least significant first, whatever the host order.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(atomBytes(value.get()));
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= std::uint64_t{bytes[1 + i]} << (8 * i);
    return std::bit_cast<double>(bits);
}

double realOfInteger(const Integer& x) {
    // Through the decimal text, so that the C library rounds it to the nearest double.
    std::string text;
    if (x.negative)
        text.push_back('-');
    appendDigits(x.magnitude, text);
    return std::strtod(text.c_str(), nullptr);
}

double realOfO(const Integer& x) {
    // The bits are put together by hand: the 52 bits below the highest 1 are the fraction,
    // cut off rather than rounded; 2^1024 and more is the out-of-range NaN.
    if (isZero(x.magnitude))
        return 0.0;
    const BitString s = bitStringOfMagnitude(x.magnitude);
    const std::size_t e = bitLength(s); // the highest 1 bit of |x|
    if (e >= 1024)
        return std::bit_cast<double>(kOutOfRangeNaNBits);
    std::uint64_t bits = std::uint64_t{x.negative} << 63;
    bits |= std::uint64_t(e + 1023) << 52;
    for (std::size_t k = 1; k <= 52 && k <= e; ++k)
        if (readBit(s, e - k))
            bits |= std::uint64_t{1} << (52 - k);
    return std::bit_cast<double>(bits);
}

double toReal(const NodeRef& value) {
    if (isRealAtom(value))
        return readReal(value);
    NumberReading r;
    if (!readNumber(value, r) || (isAtom(value) && firstByte(value) == 'K'))
        fatal("truecast");
    return r.isOForm ? realOfO(r.value) : realOfInteger(r.value);
}

std::string realText(double value) {
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, "%e", value);
    RILL_ASSERT(n > 0 && n < 99);
    return std::string(buffer, static_cast<std::size_t>(n));
}

NodeRef realBitTree(std::uint64_t bits) {
    // Built bottom up, a level at a time: 64 leaves, bit 0 on the left, paired by V.
    std::vector<NodeRef> level;
    level.reserve(64);
    for (int i = 0; i < 64; ++i)
        level.push_back(makeAtom(((bits >> i) & 1) != 0 ? "K" : "H"));
    while (level.size() > 1) {
        std::vector<NodeRef> up;
        up.reserve(level.size() / 2);
        for (std::size_t i = 0; i < level.size(); i += 2)
            up.push_back(apply(makeAtom("V"), std::move(level[i]), std::move(level[i + 1])));
        level = std::move(up);
    }
    return std::move(level[0]);
}

bool readRealBitTree(const NodeRef& term, std::uint64_t& bits) {
    // Six levels of ((V lower) upper) down to the 64 leaves, each "K" (set) or "H" (clear).
    std::vector<const Node*> level{term.get()};
    for (int depth = 0; depth < 6; ++depth) {
        std::vector<const Node*> down;
        down.reserve(level.size() * 2);
        for (const Node* n : level) {
            // ((V lower) upper)
            if (isAtomNode(n) || isAtomNode(functionOf(n)))
                return false;
            const Node* v = functionOf(functionOf(n));
            if (!isAtomNode(v) || firstByteOf(v) != 'V')
                return false;
            down.push_back(argumentOf(functionOf(n)));
            down.push_back(argumentOf(n));
        }
        level = std::move(down);
    }
    std::uint64_t result = 0;
    for (std::size_t i = 0; i < 64; ++i) {
        const Node* leaf = level[i];
        if (!isAtomNode(leaf))
            return false;
        if (firstByteOf(leaf) == 'K')
            result |= std::uint64_t{1} << i;
        else if (firstByteOf(leaf) != 'H')
            return false;
    }
    bits = result;
    return true;
}

NodeRef builtin_real(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::real: return std::move(x);
    case ValueKind::integer:
    case ValueKind::oForm: {
        NumberReading r;
        if (!readNumber(x, r))
            return makeFailure();
        return makeReal(r.isOForm ? realOfO(r.value) : realOfInteger(r.value));
    }
    case ValueKind::block:
        return makeReal(std::strtod(static_cast<const char*>(toPointer(x)), nullptr));
    case ValueKind::string:
        // the string's bytes from the one after "["; a data application has no bytes
        if (!isAtom(x))
            return makeReal(0.0);
        return makeReal(std::atof(atomBytes(x.get()) + 1));
    case ValueKind::other: {
        std::uint64_t bits = 0;
        if (readRealBitTree(x, bits))
            return makeReal(std::bit_cast<double>(bits));
        return makeFailure();
    }
    }
    return makeFailure();
}

} // namespace rill
