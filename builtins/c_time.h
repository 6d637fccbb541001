// The C library's time functions: the size of a time value here; the wrappers follow.
#pragma once

#include "core/node_store.h"

namespace rill {

NodeRef builtin_time_t(NodeRef call); // the size of the platform's time value

} // namespace rill
