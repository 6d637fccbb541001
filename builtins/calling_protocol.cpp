#include "builtins/calling_protocol.h"

#include "builtins/decimal_integers.h"
#include "core/assertion.h"
#include "core/classification.h"

#include <bit>
#include <cstring>
#include <string>

namespace rill {

namespace {

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// True for (J b rest) with J and b atoms; b's first byte is returned in bit.
bool isBitCell(const Node* n, unsigned char& bit) {
    if (isAtomNode(n))
        return false;
    const Node* f = functionOf(n);
    if (isAtomNode(f))
        return false;
    const Node* j = functionOf(f);
    const Node* b = argumentOf(f);
    if (!isAtomNode(j) || firstByteOf(j) != 'J' || !isAtomNode(b))
        return false;
    bit = firstByteOf(b);
    return true;
}

} // namespace

ValueKind valueKind(const NodeRef& value) {
    Node* n = value.get();
    const unsigned char first = firstByteOf(n);
    if (isAtomNode(n) && first == ' ')
        return ValueKind::real;
    if (isAtomNode(n) && first == '(')
        return ValueKind::block;
    if (isDataNode(n))
        return ValueKind::string;
    if (!isAtomNode(n)) {
        unsigned char bit = 0;
        if (isBitCell(n, bit) && bit == 'H')
            return ValueKind::oForm;
        if (isBitCell(n, bit) && bit == 'K')
            return ValueKind::integer;
        return ValueKind::other;
    }
    if (isDigit(first)) {
        const char* text = atomBytes(n);
        return text[0] == '0' && text[1] == '0' ? ValueKind::oForm : ValueKind::integer;
    }
    return ValueKind::other;
}

bool isInteger(const NodeRef& value) {
    if (isAtom(value)) {
        if (firstByte(value) == 'K')
            return true;
        std::string_view text = atomText(value);
        return isAllDigits(text) && !(text.size() >= 2 && text[0] == '0' && text[1] == '0');
    }
    NumberReading r;
    return readNumber(value, r) && !r.isOForm;
}

bool isNonNegative(const NodeRef& value) {
    if (isAtom(value)) {
        RILL_ASSERT(isInteger(value));
        std::string_view text = atomText(value);
        return text[0] != '0' || text.size() == 1;
    }
    NumberReading r;
    RILL_ASSERT(readNumber(value, r) && !r.isOForm);
    return !r.value.negative;
}

NodeRef magnitudeOf(const NodeRef& value) {
    if (isAtom(value)) {
        RILL_ASSERT(isInteger(value));
        std::string_view text = atomText(value);
        if (text.size() >= 2 && text[0] == '0')
            text.remove_prefix(1);
        return makeAtom(text);
    }
    NumberReading r;
    RILL_ASSERT(readNumber(value, r) && !r.isOForm);
    r.value.negative = false;
    return makeIntegerAtom(r.value);
}

std::int64_t toInt64(const NodeRef& value) {
    // The common case first: a canonical digit text of at most 18 digits, read directly.
    if (const Node* n = value.get(); isAtomNode(n)) {
        const char* s = atomBytes(n);
        if (s[0] >= '0' && s[0] <= '9') {
            const std::size_t length = measureText(n);
            const std::size_t from = s[0] == '0' && length > 1 ? 1 : 0; // the sign "0"
            if (length - from <= 18 && (length == 1 || s[from] != '0')) {
                std::int64_t v = 0;
                std::size_t i = from;
                for (; i < length && s[i] >= '0' && s[i] <= '9'; ++i)
                    v = v * 10 + (s[i] - '0');
                if (i == length)
                    return from == 1 ? -v : v;
            }
        }
    }
    const std::uint64_t low = toUInt64(value);
    return static_cast<std::int64_t>(isNonNegative(value) ? low : std::uint64_t{0} - low);
}

void* toPointer(const NodeRef& value) {
    switch (valueKind(value)) {
    case ValueKind::integer:
        if (!isInteger(value))
            return nullptr;
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(toInt64(value)));
    case ValueKind::string:
        if (!isAtom(value))
            return nullptr; // a data application has no bytes of its own
        return const_cast<char*>(atomBytes(value.get()));
    case ValueKind::block: {
        const char* text = atomBytes(value.get());
        return const_cast<char*>(std::strchr(text + 1, ')') + 1);
    }
    default: break;
    }
    RILL_ASSERT(false);
    return nullptr;
}

NodeRef makeReal(double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    char text[9];
    text[0] = ' ';
    for (int i = 0; i < 8; ++i)
        text[1 + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return makeAtom(std::string_view(text, sizeof text));
}

NodeRef makeTruth(bool value) {
    return NodeRef(newLetterNode(value ? 'K' : 'H'));
}

NodeRef makeFailure() {
    return NodeRef(newLetterNode('Z'));
}

NodeRef makeNothing() {
    return NodeRef(newLetterNode('I'));
}

NodeRef argumentOfCall(const NodeRef& call, std::size_t k, std::size_t n) {
    RILL_ASSERT(k >= 1 && k <= n);
    const Node* node = call.get();
    for (std::size_t steps = n - k; steps > 0; --steps) {
        RILL_ASSERT(!isAtomNode(node));
        node = functionOf(node);
    }
    RILL_ASSERT(!isAtomNode(node));
    return NodeRef(argumentOf(node));
}

} // namespace rill
