// Contraction: what a saturated focus turns into. Both machines (the plain `step` machine and
// the fast machine behind `normalize`) contract through these rules, so they call the same
// built-ins with the same arguments and build the same terms; they differ only in how they
// keep the continuation.
#pragma once

#include "core/node_store.h"

#include <cstdint>

namespace rill {

// A new one-byte atom: the machine makes its combinators afresh, as every atom is its own.
NodeRef makeLetter(char c);

// What happens to the continuation K once a saturated focus is contracted to a new focus R.
enum class ContractionKind : std::uint8_t {
    keep,     // (K R): the continuation goes on
    drop,     // (I R): a marker ended the run; the continuation is dropped
    evaluate, // ((B K F) R): R is worked out first and then handed to the function F
};

// The outcome of one contraction: the next focus, and the frame function for `evaluate`.
struct Contraction {
    ContractionKind kind;
    NodeRef focus;
    NodeRef frame;
};

// How a definition with parameters is instantiated: by the substitution walk over its body,
// or by its compiled instantiation template. Both give the same term.
enum class Instantiation : std::uint8_t { substitution, compiledTemplate };

// Contracts a focus whose arity is exactly 0 and that is not inert data (an internal failure
// otherwise). Built-ins are called here, and constants are stored back here.
Contraction contractFocus(NodeRef focus, Instantiation how);

// The body with every free occurrence of each letter in the mask (bit i for "a" + i) replaced
// by values[i], all at once. Only the nodes whose free letters meet the mask are rebuilt;
// every other sub-term is shared unchanged. A lambda or let binder hides its letter.
NodeRef substituteLetters(NodeRef body, Node* const* values, std::uint32_t mask);

// The let form ((({ v) e) body): its binder v and its value e.
inline Node* letBinder(const Node* n) {
    return argumentOf(functionOf(functionOf(n)));
}
inline Node* letValue(const Node* n) {
    return argumentOf(functionOf(n));
}

// True while "T" is defined as T a b = b a (as the Prelude defines it), so that an argument
// frame may hand its argument to the value at once: ((T y) v) would contract to (v y) in the
// next step anyway.
bool isSwappingT();

} // namespace rill
