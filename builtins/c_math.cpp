#include "builtins/c_math.h"

#include "builtins/calling_protocol.h"

#include <cstdint>

namespace rill {

NodeRef builtin_abs(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    if (!isInteger(x))
        return makeFailure();
    const std::uint64_t v = static_cast<std::uint64_t>(toInt64(x));
    const bool negative = (v >> 63) != 0;
    return makeInteger(static_cast<std::int64_t>(negative ? std::uint64_t{0} - v : v));
}

NodeRef builtin_labs(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    if (!isInteger(x))
        return makeFailure();
    // the value as the platform's long, its absolute value wrapping like the machine's
    using ULong = unsigned long;
    const ULong v = static_cast<ULong>(toInt64(x));
    const bool negative = static_cast<long>(v) < 0;
    return makeInteger(static_cast<std::int64_t>(static_cast<long>(negative ? ULong{0} - v : v)));
}

} // namespace rill
