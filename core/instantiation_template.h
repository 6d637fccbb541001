// Instantiation templates: a definition with parameters compiled, on its first use, into a
// short program that builds exactly the term the substitution walk would build from its
// body, sharing the same sub-terms, so that later instantiations skip the walk.
#pragma once

#include "core/node_store.h"

namespace rill {

// The body of the definition \p1 .. \pn body with each argument put in for its parameter
// (args[i] for the (i+1)-th parameter; a later parameter of the same letter hides an earlier
// one). count must be the definition's number of parameters (an internal failure otherwise).
NodeRef instantiateTemplate(Node* definition, Node* const* args, int count);

} // namespace rill
