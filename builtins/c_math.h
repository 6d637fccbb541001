// The C library's mathematics: integer absolute values here; the real functions follow.
#pragma once

#include "core/node_store.h"

namespace rill {

// abs x: the absolute value of toInt64 of x in 64-bit two's complement (the most negative
// value stays as it is); "Z" for a value that is no integer.
NodeRef builtin_abs(NodeRef call);
// labs x: the same on the platform's long (64 bits here).
NodeRef builtin_labs(NodeRef call);

} // namespace rill
