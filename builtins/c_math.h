// The C library's mathematics: integer absolute values, and the wrappers of the real
// functions, which take and give reals only (an integer is not converted).
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of abs and labs (the absolute value of toInt64 of x in 64-bit two's
// complement, the most negative value staying as it is) and of the real functions.
std::span<const BridgeRow> mathRows();

} // namespace rill
