// Directory enumeration: the size of the platform's directory-entry record, and the opendir,
// readdir and closedir wrappers over the platform's own directory streams.
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <span>

namespace rill {

NodeRef builtin_dirent(NodeRef call); // the size of the directory-entry record

// The bridge rows of the directory wrappers.
std::span<const BridgeRow> directoryRows();

} // namespace rill
