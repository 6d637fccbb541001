// The C library's streams and files: the standard streams, single-byte input, temporary
// files, and the stream, file and descriptor wrappers.
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of the stream wrappers.
std::span<const BridgeRow> streamRows();

} // namespace rill
