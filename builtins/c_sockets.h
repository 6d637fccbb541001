// The socket interface: the platform's constants and record sizes, and the socket and
// name-resolution wrappers (BSD sockets; closing a socket is closing its descriptor).
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of the socket and name-resolution wrappers and of the socket constants.
std::span<const BridgeRow> socketRows();

} // namespace rill
