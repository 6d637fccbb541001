// Directory enumeration: the size of the platform's directory-entry record here; the
// opendir, readdir and closedir wrappers follow.
#pragma once

#include "core/node_store.h"

namespace rill {

NodeRef builtin_dirent(NodeRef call); // the size of the directory-entry record

} // namespace rill
