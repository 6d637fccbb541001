// The C library's memory functions: allocation and release, and the byte-block operations.
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of the memory wrappers.
std::span<const BridgeRow> memoryRows();

} // namespace rill
