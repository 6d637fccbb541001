// The C library's strings and conversions: measuring, comparing, copying, searching and
// splitting NUL-terminated strings, number conversions, the environment and the shell.
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of the string wrappers.
std::span<const BridgeRow> stringRows();

} // namespace rill
