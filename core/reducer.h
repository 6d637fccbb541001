// The graph reducer: an abstract machine whose whole state is one term of the graph.
//
// The machine term is (k a): a is the focus, the term being worked on, and k the continuation,
// what to do with the focus once it is in normal form. (Lower-case letters in these comments
// stand for terms; upper-case ones are the Prelude's combinators.) Continuations are the atom
// "I" (nothing left to do) and plug frames ((B q) x), which continue with q on (x v) once the
// focus is the value v; an argument frame is a plug frame whose x is (T y). So the machine
// needs no stack of its own: deep terms and long chains of work cost heap nodes only.
//
// `step` and `contract` are that machine, one step at a time: the reference. `normalize`
// runs the fast machine (core/fast_machine.h), which takes exactly the same steps but keeps
// the continuation as a stack of frames instead of a term; `useMachine` can put the plain
// machine behind `normalize` instead, so that the two can be compared.
#pragma once

#include "core/classification.h"
#include "core/node_store.h"

#include <string_view>

namespace rill {

// The normal form of a term, by the machine in use (the fast one unless told otherwise).
NodeRef normalize(NodeRef term);
// The next machine term after (k a).
NodeRef step(NodeRef machine);
// Contracts the saturated focus of (k a) (its arity is exactly 0).
NodeRef contract(NodeRef machine);
// The body with every free occurrence of the letter replaced by the value.
NodeRef substitute(NodeRef body, NodeRef value, unsigned char letter);

// Which machine `normalize` runs.
enum class Machine { fast, plain };
void useMachine(Machine machine);
Machine machineInUse();

// Watches the plain machine, for tools that tell the story of a run. Runs nest: a built-in
// (load) may run a machine of its own inside a step of the outer one.
class PlainMachineWatcher {
public:
    virtual ~PlainMachineWatcher() = default;
    // A machine starts on its first machine term (I a).
    virtual void runStarted(const Node* machine) = 0;
    // One step is about to be taken from the machine term (k a).
    virtual void stepping(const Node* machine) = 0;
    // The step from a machine term whose continuation was `before` led to `after`. `before` is
    // held until this returns, so no node of the old continuation has been reused.
    virtual void stepped(const Node* before, const Node* after) = 0;
    // The machine reached its normal form (every run that returns ends here; one ended by the
    // program's exit does not).
    virtual void runEnded() = 0;
};
// The watcher of every plain machine from now on (null: none, the default).
void watchPlainMachine(PlainMachineWatcher* watcher);

// True for inert data and for a term of arity 1 or more with nothing pending inside.
inline bool isNormalNode(Node* term) {
    ensureClassified(term);
    const unsigned tag = kindTagOf(term);
    if (tag == kDataTag)
        return true;
    return static_cast<int>(tag & 63) - kArityBias >= 1 && (term->header & kPendingBit) == 0;
}
inline bool isNormal(const NodeRef& term) {
    return isNormalNode(term.get());
}

// The lazy heads: their arguments are handed over untouched.
struct LazyHeads {
    bool lazy[256] = {};
    constexpr LazyHeads() {
        for (char c : std::string_view("&|ABCDEFHIJKLNQRTUVXZ"))
            lazy[static_cast<unsigned char>(c)] = true;
    }
};
inline constexpr LazyHeads kLazyHeads;

// True when the head atom down the term's spine (stopping at inert data) is one of the lazy
// combinators "&", "|", A to F, H to L, N, Q, R, T to V, X and Z.
inline bool isLazyHeadNode(Node* term) {
    Node* h = term;
    while (!isAtomNode(h) && !isDataNode(h))
        h = functionOf(h);
    return kLazyHeads.lazy[firstByteOf(h)];
}
inline bool isLazyHead(const NodeRef& term) {
    return isLazyHeadNode(term.get());
}

} // namespace rill
