// The fast machine: the reducer's machine with its continuation kept as a stack of frames
// instead of a term of B, T and I nodes. It takes exactly the steps of the plain machine
// (`step`), in the same order, so it calls the same built-ins with the same arguments and
// stores the same values back; only the frames it no longer builds are saved.
#pragma once

#include "core/node_store.h"

namespace rill {

// The normal form of a term, as the plain machine would find it.
NodeRef normalizeFast(NodeRef term);

} // namespace rill
