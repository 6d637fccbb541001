#include "builtins/comparison.h"

#include "builtins/calling_protocol.h"
#include "builtins/decimal_integers.h"
#include "builtins/real_numbers.h"

#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace rill {

namespace {

// The text cmpr compares: the measured text for digit and bracket atoms (NUL bytes
// included), the bytes up to the first NUL for every other atom.
std::string_view orderText(const Node* atom) {
    const unsigned char first = firstByteOf(atom);
    if ((first >= '0' && first <= '9') || first == '[')
        return std::string_view(atomBytes(atom), measureText(atom));
    return std::string_view(atomBytes(atom));
}

int compareBytes(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

// The bytes a string or block is ordered by: between the brackets, or the payload.
std::string_view ownBytes(const NodeRef& value, ValueKind kind) {
    std::string_view text = atomText(value);
    if (kind == ValueKind::string)
        return text.substr(1, text.size() - 2);
    return text.substr(text.find(')') + 1);
}

enum class Order { below, equal, above, unordered };

Order fromSign(int c) {
    return c < 0 ? Order::below : c > 0 ? Order::above : Order::equal;
}

// Compares two values of one kind; unordered when a number in it cannot be read or a real
// comparison meets a NaN.
Order compareWithinKind(const NodeRef& x, const NodeRef& y, ValueKind kind) {
    switch (kind) {
    case ValueKind::real: {
        const double a = readReal(x), b = readReal(y);
        return a < b    ? Order::below
               : a > b  ? Order::above
               : a == b ? Order::equal
                        : Order::unordered;
    }
    case ValueKind::integer:
    case ValueKind::oForm: {
        NumberReading a, b;
        if (!readNumber(x, a) || !readNumber(y, b))
            return Order::unordered;
        if (isEqual(a.value, b.value))
            return Order::equal;
        return isLess(a.value, b.value) ? Order::below : Order::above;
    }
    case ValueKind::string:
    case ValueKind::block:
        // data applications have no bytes of their own: they go by the order of cmpr
        if (!isAtom(x) || !isAtom(y))
            return fromSign(compareByShape(x, y));
        return fromSign(compareBytes(ownBytes(x, kind), ownBytes(y, kind)));
    case ValueKind::other: break;
    }
    return Order::unordered;
}

// less (strict = true) and gteq (strict = false).
NodeRef orderBuiltin(NodeRef call, bool strict) {
    // the common case, on the texts where they stand in the call
    if (int c = 0; compareIntegerAtoms(firstArgumentOf(call), secondArgumentOf(call), c))
        return makeTruth((c < 0) == strict);
    auto [x, y] = takeArguments<2>(std::move(call));
    const ValueKind kx = valueKind(x), ky = valueKind(y);
    if (kx == ValueKind::other || ky == ValueKind::other)
        return makeFailure();
    if (kx != ky)
        return makeTruth((kx < ky) == strict);
    const Order o = compareWithinKind(x, y, kx);
    if (o == Order::unordered)
        return kx == ValueKind::real ? makeTruth(false) : makeFailure();
    return makeTruth((o == Order::below) == strict);
}

// same (equal = true) and diff (equal = false).
NodeRef equalityBuiltin(NodeRef call, bool equal) {
    // the common cases, on the terms where they stand in the call
    Node* first = firstArgumentOf(call);
    Node* second = secondArgumentOf(call);
    if (first == second)
        return makeTruth(equal);
    if (int c = 0; compareIntegerAtoms(first, second, c))
        return makeTruth((c == 0) == equal);
    auto [x, y] = takeArguments<2>(std::move(call));
    const ValueKind kx = valueKind(x), ky = valueKind(y);
    if (kx == ValueKind::other || ky == ValueKind::other)
        return makeFailure();
    if (kx != ky)
        return makeTruth(!equal);
    const Order o = compareWithinKind(x, y, kx);
    if (o == Order::unordered && kx != ValueKind::real)
        return makeFailure();
    return makeTruth((o == Order::equal) == equal);
}

} // namespace

NodeRef builtin_less(NodeRef call) {
    return orderBuiltin(std::move(call), true);
}

NodeRef builtin_gteq(NodeRef call) {
    return orderBuiltin(std::move(call), false);
}

NodeRef builtin_same(NodeRef call) {
    return equalityBuiltin(std::move(call), true);
}

NodeRef builtin_diff(NodeRef call) {
    return equalityBuiltin(std::move(call), false);
}

NodeRef builtin_cmpr(NodeRef call) {
    auto [x, y] = takeArguments<2>(std::move(call));
    const int c = compareByShape(x, y);
    return makeAtom(c < 0 ? "1" : c > 0 ? "01" : "0");
}

int compareByShape(const NodeRef& a, const NodeRef& b) {
    std::vector<std::pair<const Node*, const Node*>> work{{a.get(), b.get()}};
    while (!work.empty()) {
        auto [p, q] = work.back();
        work.pop_back();
        if (p == q)
            continue;
        const bool pa = isAtomNode(p), qa = isAtomNode(q);
        if (pa && qa) {
            if (int c = compareBytes(orderText(p), orderText(q)); c != 0)
                return c;
            continue;
        }
        if (pa != qa)
            return pa ? -1 : 1;
        // function parts first: pushed last
        work.emplace_back(argumentOf(p), argumentOf(q));
        work.emplace_back(functionOf(p), functionOf(q));
    }
    return 0;
}

} // namespace rill
