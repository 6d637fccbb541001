// The C library's mathematics: integer absolute values, and the wrappers of the real
// functions, which take and give reals only (an integer is not converted).
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <span>

namespace rill {

// abs x: the absolute value of toInt64 of x in 64-bit two's complement (the most negative
// value stays as it is); "Z" for a value that is no integer.
NodeRef builtin_abs(NodeRef call);
// labs x: the same on the platform's long (64 bits here).
NodeRef builtin_labs(NodeRef call);

// The bridge rows of the real functions.
std::span<const BridgeRow> mathRows();

} // namespace rill
