// The C library's character classes: the class tests and the case conversions on byte values.
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of the character-class wrappers.
std::span<const BridgeRow> charClassRows();

} // namespace rill
