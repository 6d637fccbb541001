// Instantiation templates: a definition with parameters compiled, on its first use, into a
// short program that builds exactly the term the substitution walk would build from its
// body, sharing the same sub-terms, so that later instantiations skip the walk.
#pragma once

#include "core/classification.h"
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
// returned focus and frames are exactly what the machine's own steps would leave; a
// saturated lazy selector that the spine then starts with (K, I, H ...) is contracted too,
// to what it takes, as the machine would at once. A count that is not the definition's
// number of parameters gives an empty handle, and no frames.
NodeRef instantiateTemplateUnwound(Node* definition, Node* const* args, int count,
                                   Unwound& unwound);

// What waits while the value of a let at the top of a definition's body is worked out: the
// values the rest of the body is instantiated from (the arguments, then the values of the
// lets above), each a reference held for the machine. depth is -1 when nothing waits.
struct LetHold {
    static constexpr int kMost = 16; // 12 parameters and 4 levels of lets
    static constexpr int kNotInstantiated = -2;
    int depth = -1;
    int count = 0;
    Node* held[kMost];
};

// The first applications (h x1 .. xn) of an instantiated body's spine, left unbuilt for the
// machine to look at when they form a saturated call: the head and the arguments, each a
// reference, and the body nodes the applications stand for. count is 0 when nothing was
// left unbuilt.
struct SpineParts {
    int count = 0;
    Node* head = nullptr;
    Node* arguments[16];
    Node* nodes[16];
};

// Builds the applications left in `parts`, as the instantiation would have built them, and
// empties it.
NodeRef buildSpine(SpineParts& parts);

// A definition instantiated as the machine would go on with it. Like
// instantiateTemplateUnwound, except that a let form { w e b at the top of the body is
// contracted at once: when the instantiated value e is normal, b is instantiated with e put
// in for w (and so on for a let inside); otherwise e is returned as the focus, and `hold`
// says what the machine keeps in place of the frame (B k (\ w b)) until e's value comes.
// With `parts`, a saturated call that the body's spine starts with is left in `parts` and
// the result is null. When the definition does not have `count` parameters, nothing happens:
// the result is null and hold.depth is LetHold::kNotInstantiated. (A name atom counts its
// arguments by the definition it had when it was classified, which a load may have replaced
// since.)
NodeRef instantiateDefinition(Node* definition, Node* const* args, int count, Unwound& unwound,
                              LetHold& hold, SpineParts* parts = nullptr);

// The value of the let at level `depth` of the definition has come: the held values (handed
// over, `count` of them) and the value (handed over) give the rest of the body, as
// ((\ w b) value) would contract to; a let inside may wait again, in `hold`.
NodeRef resumeLet(Node* definition, int depth, Node* const* held, int count, Node* value,
                  Unwound& unwound, LetHold& hold, SpineParts* parts = nullptr);

} // namespace rill

namespace rill {

// The body with the value put in for every free occurrence of the letter v ("a" to "z"), as
// `substitute` builds it, from a template kept for the body and the letter; the spine left
// unbuilt as with instantiateTemplateUnwound.
NodeRef substituteByTemplate(Node* body, Node* value, unsigned char v, Unwound& unwound);

} // namespace rill
