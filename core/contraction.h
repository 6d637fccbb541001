// Contraction: what a saturated focus turns into. Both machines (the plain `step` machine and
// the fast machine behind `normalize`) contract through these rules, so they call the same
// built-ins with the same arguments and build the same terms; they differ only in how they
// keep the continuation.
#pragma once

#include "core/definition_table.h"
#include "core/node_store.h"

#include <cstdint>
#include <string_view>

namespace rill {

// A new one-byte atom: the machine makes its combinators afresh, as every atom is its own.
NodeRef makeLetter(char c);

// What happens to the continuation k once a saturated focus is contracted to a new focus r.
enum class ContractionKind : std::uint8_t {
    keep,     // (k r): the continuation goes on
    drop,     // (I r): a marker ended the run; the continuation is dropped
    evaluate, // ((B k f) r): r is worked out first and then handed to the function f
};

// Argument frames a contraction asks to push before its focus, deepest first, each holding
// one reference: the spine of an instantiated body that the machine would take apart again
// at once is left unbuilt (see instantiateTemplate).
struct Unwound {
    static constexpr int kMost = 16;
    int count = 0;
    Node* arguments[kMost];
};

// The outcome of one contraction: the next focus, and the frame function for `evaluate`.
struct Contraction {
    ContractionKind kind;
    NodeRef focus;
    NodeRef frame;
    Unwound unwound; // only with Instantiation::compiledTemplate
};

// How a definition with parameters is instantiated: by the substitution walk over its body,
// or by its compiled instantiation template. Both give the same term.
enum class Instantiation : std::uint8_t { substitution, compiledTemplate };

// Contracts a focus whose arity is exactly 0 and that is not inert data (an internal failure
// otherwise). Built-ins are called here, and constants are stored back here.
Contraction contractFocus(NodeRef focus, Instantiation how);

// Called with every saturated built-in call just before the built-in runs, when set (null by
// default): a way for tools to watch which built-ins a run calls, in which order, with which
// arguments. It must not change the call.
using BuiltinCallObserver = void (*)(const NodeRef& call);
void observeBuiltinCalls(BuiltinCallObserver observer);
// Called with every built-in's result just after it ran, when set (null by default); the
// call observer was told of the call before. The call itself is gone by then: a built-in may
// take over its arguments, and grow a string it holds the only reference to in place, so an
// observer that wants the call keeps what it needs of it when told of the call, without
// holding a reference on an atom.
using BuiltinResultObserver = void (*)(const NodeRef& result);
void observeBuiltinResults(BuiltinResultObserver observer);

// Called, when set (null by default), each time a defined name is instantiated by
// substitution (as the plain machine does): a definition with its arguments, or a constant
// whose value is about to be worked out (count 0). Templates of the fast machine are not told.
using InstantiationObserver = void (*)(std::string_view name, Node* const* arguments, int count);
void observeInstantiations(InstantiationObserver observer);

struct BuiltinEntry;
// k (b a1 .. an) => k r, r the built-in's result for the saturated call; a marker at r's head
// drops k: I r.
Contraction contractBuiltin(const BuiltinEntry& builtin, NodeRef call);
// The built-in's result for the saturated call, the observer told first.
NodeRef callBuiltin(const BuiltinEntry& builtin, NodeRef call);
// True when the result r is a marker, (")" x) or ("]" x), that ends the run.
bool isRunEndingMarker(Node* r);

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

// What the head atom h with text s names, through a cache kept by atom: the same name atoms
// (inside definition bodies) stand at the head of call after call. A cached answer holds a
// reference on its atom, so that the address is not reused by another atom while it is
// cached, and the tables' stamp, so that any change of the table is seen. An empty s (no
// data) stands for h's text
// measured to its NUL, as every name's is, measured only when the cache does not answer.
struct NameLookup;
NameLookup resolveName(const Node* h, std::string_view s);

// When contracting the lone atom h (arity 0) just gives its entry's value d, because h names
// a constant whose value is known and normal: d. Otherwise (a built-in, an undefined name, a
// constant still to be worked out or being worked out) null.
Node* normalConstantOf(Node* h);

// True while "T" is defined as T a b = b a (as the Prelude defines it), so that an argument
// frame may hand its argument to the value at once: ((T y) v) would contract to (v y) in the
// next step anyway.
struct SwappingT {
    std::uint64_t generation = ~std::uint64_t{0};
    bool answer = false;
};
inline SwappingT swappingT;
bool isSwappingTAfterChange();
inline bool isSwappingT() {
    if (swappingT.generation == currentGeneration()) [[likely]]
        return swappingT.answer;
    return isSwappingTAfterChange();
}

} // namespace rill
