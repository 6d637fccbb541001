#include "builtins/c_bridge.h"

#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"
#include "core/assertion.h"

#include <cinttypes>

namespace rill {

namespace {

NodeRef resultValue(char kind, const CResult& r) {
    switch (kind) {
    case 'N': return makeInteger(static_cast<std::int64_t>(r.bits));
    case 'U': return makeUnsigned(r.bits);
    case 'P':
        return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(r.pointer)));
    case 'R': return makeReal(r.real);
    case 'I': return makeNothing();
    case 'B': return makeTruth(r.bits != 0);
    case '-': RILL_ASSERT(false); return makeFailure(); // the call does not come back
    default: RILL_ASSERT(false); return makeFailure();
    }
}

} // namespace

BridgeArgs::BridgeArgs(NodeRef call, std::string_view kinds) {
    const int count = static_cast<int>(kinds.size());
    RILL_ASSERT(count <= kMostArguments);
    for (int k = count; k-- > 0;) {
        auto [function, argument] = takeParts(std::move(call));
        arguments_[k] = std::move(argument);
        call = std::move(function);
    }
    for (int k = 0; k < count && ok_; ++k) {
        const NodeRef& a = arguments_[k];
        switch (kinds[k]) {
        case 'N':
        case 'P':
            ok_ = isInteger(a);
            if (ok_)
                integers_[k] = toInt64(a);
            break;
        case 'S': {
            const ValueKind kind = valueKind(a);
            ok_ = kind == ValueKind::block || (kind == ValueKind::string && isAtom(a)) ||
                  (kind == ValueKind::integer && isInteger(a));
            if (ok_)
                pointers_[k] = toPointer(a);
            ok_ = ok_ && pointers_[k] != nullptr; // the address 0 holds no string
            break;
        }
        case 'R':
            ok_ = valueKind(a) == ValueKind::real;
            if (ok_)
                reals_[k] = readReal(a);
            break;
        default: RILL_ASSERT(false);
        }
    }
}

NodeRef callBridge(const BridgeRow& row, NodeRef call) {
    if (row.call == nullptr)
        return makeInteger(row.value); // a constant; the call is released unread
    const BridgeArgs args(std::move(call), row.kinds);
    if (!args.ok())
        return makeFailure();
    return resultValue(row.result, row.call(args));
}

NodeRef makeUnsigned(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIu64, value);
    return makeAtom(text);
}

} // namespace rill
