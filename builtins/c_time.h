// The C library's time functions: the size of a time value, and the clock, conversion and
// formatting wrappers. Time values are passed by the address of a time_t in memory.
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <span>

namespace rill {

NodeRef builtin_time_t(NodeRef call); // the size of the platform's time value

// The bridge rows of the time wrappers.
std::span<const BridgeRow> timeRows();

} // namespace rill
