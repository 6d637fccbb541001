// The C library's time functions: the size of a time value, and the clock, conversion and
// formatting wrappers. Time values are passed by the address of a time_t in memory.
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of the time wrappers and of the size of a time value.
std::span<const BridgeRow> timeRows();

} // namespace rill
