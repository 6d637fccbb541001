// The graph reducer: an abstract machine whose whole state is one term of the graph.
//
// The machine term is (K A): A is the focus, the term being worked on, and K the continuation,
// what to do with the focus once it is in normal form. Continuations are the atom "I"
// (nothing left to do) and plug frames ((B Q) X), which continue with Q on (X v) once the
// focus is the value v; an argument frame is a plug frame whose X is (T y). So the machine
// needs no stack of its own: deep terms and long chains of work cost heap nodes only.
#pragma once

#include "core/node_store.h"

namespace rill {

// The normal form of a term.
NodeRef normalize(NodeRef term);
// The next machine term after (K A).
NodeRef step(NodeRef machine);
// Contracts the saturated focus of (K A) (its arity is exactly 0).
NodeRef contract(NodeRef machine);
// The body with every free occurrence of the letter replaced by the value.
NodeRef substitute(NodeRef body, NodeRef value, unsigned char letter);
// True for inert data and for a term of arity 1 or more with nothing pending inside.
bool isNormal(const NodeRef& term);
bool isNormalNode(Node* term);
// True when the head atom down the term's spine is one of the lazy combinators.
bool isLazyHead(const NodeRef& term);
bool isLazyHeadNode(Node* term);

} // namespace rill
