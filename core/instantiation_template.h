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

struct Unwound;
// The same, for a machine that would take the body's spine apart at once: while the built
// term would be an application (p x) of negative arity, x becomes an argument frame in
// `unwound` instead and p is looked at, down to the first application of the spine. The
// returned focus and frames are exactly what the machine's own steps would leave.
NodeRef instantiateTemplateUnwound(Node* definition, Node* const* args, int count,
                                   Unwound& unwound);

} // namespace rill

namespace rill {

// The body with the value put in for every free occurrence of the letter v ("a" to "z"), as
// `substitute` builds it, from a template kept for the body and the letter; the spine left
// unbuilt as with instantiateTemplateUnwound.
NodeRef substituteByTemplate(Node* body, Node* value, unsigned char v, Unwound& unwound);

} // namespace rill
