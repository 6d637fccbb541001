// Directory enumeration: the size of the platform's directory-entry record, and the opendir,
// readdir and closedir wrappers over the platform's own directory streams.
#pragma once

#include "builtins/c_bridge.h"

#include <span>

namespace rill {

// The bridge rows of the directory wrappers and of the size of the directory-entry record.
std::span<const BridgeRow> directoryRows();

} // namespace rill
