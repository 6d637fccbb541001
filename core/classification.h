// Term classification: how many more arguments a term's head takes (its arity), whether a
// reducible part lies below its head (pending), whether it is inert data, and which letters
// occur free in it. The facts are worked out once per node and cached in its header word.
#pragma once

#include "core/node_store.h"

#include <cstdint>

namespace rill {

inline constexpr int kUnboundedArity = 11; // never decreases: a variable's arity
inline constexpr int kLowestArity = -51;   // over-saturation is not counted below this

// True for a one-byte atom holding c.
inline bool isOneByteAtomOf(const Node* n, char c) {
    return isAtomNode(n) && atomBytes(n)[0] == c && atomBytes(n)[1] == '\0';
}
// The lambda form ((\ v) body): the node two function parts down is the lambda atom.
inline bool isLambdaForm(const Node* n) {
    return !isAtomNode(n) && !isAtomNode(functionOf(n)) &&
           isOneByteAtomOf(functionOf(functionOf(n)), '\\');
}
// The let form ((({ v) e) body): the node three function parts down is the atom "{".
inline bool isLetForm(const Node* n) {
    if (isAtomNode(n) || isAtomNode(functionOf(n)))
        return false;
    const Node* q = functionOf(functionOf(n));
    return !isAtomNode(q) && isOneByteAtomOf(functionOf(q), '{');
}

// Fills the kind tag and span of n and of every unclassified node below it.
void classifyNode(Node* n);
inline void classify(const NodeRef& term) {
    classifyNode(term.get());
}

// Classifies a new application whose two parts are classified already (an internal failure
// otherwise): its facts follow from theirs alone, so classifying it now or later is the same.
void classifyApplicationNode(Node* n);

// Classifies a new application now when its parts are classified, else leaves it for later.
// The common case, two parts that are neither data nor hold free letters and a function part
// that is not (\ v), is worked out here; the rest by classifyApplicationNode.
inline void classifyIfPartsAre(Node* n) {
    const Node* p = functionOf(n);
    const Node* x = argumentOf(n);
    const std::uint64_t hp = p->header;
    const std::uint64_t hx = x->header;
    const unsigned tp = static_cast<unsigned>((hp & kTagMask) >> kTagShift);
    const unsigned tx = static_cast<unsigned>((hx & kTagMask) >> kTagShift);
    if (tp == 0 || tx == 0)
        return;
    constexpr unsigned kUnboundedCode = kUnboundedArity + kArityBias;
    const auto freeOf = [](std::uint64_t h, unsigned t) {
        const auto span = static_cast<std::uint32_t>((h & kSpanMask) >> kSpanShift);
        return (h & kAtomBit) == 0 || (t & 63) == kUnboundedCode ? span : 0;
    };
    if (tp == kDataTag || tx == kDataTag || (freeOf(hp, tp) | freeOf(hx, tx)) != 0 ||
        ((hp & kAtomBit) == 0 && firstByteOf(functionOf(p)) == '\\')) {
        classifyApplicationNode(n);
        return;
    }
    const unsigned cp = tp & 63;
    const unsigned code = (cp == kUnboundedCode || cp <= kLowestArity + kArityBias) ? cp : cp - 1;
    const bool pending = ((hp | hx) & kPendingBit) != 0 || (tx & 63) < 1 + kArityBias;
    n->header = (n->header & (kCountMask | kAtomBit)) | (std::uint64_t{code} << kArityShift) |
                (pending ? kPendingBit : 0);
}

// Classifies n when it is not yet classified.
inline void ensureClassified(Node* n) {
    if ((n->header & kTagMask) == 0)
        classifyNode(n);
}

// True when n is inert data (kind tag "@").
inline bool isDataNode(Node* n) {
    ensureClassified(n);
    return kindTagOf(n) == kDataTag;
}
// The arity of n: 1 for inert data, otherwise the stored arity.
inline int arityOf(Node* n) {
    ensureClassified(n);
    const unsigned tag = kindTagOf(n);
    if (tag == kDataTag)
        return 1;
    return static_cast<int>(tag & 63) - kArityBias;
}
// The pending flag of n: false for inert data.
inline bool isPendingNode(Node* n) {
    ensureClassified(n);
    return (n->header & kPendingBit) != 0 && kindTagOf(n) != kDataTag;
}
// The free letters of n, bit i for the letter "a" + i: none for inert data and for atoms
// whose span holds their text length.
inline std::uint32_t freeVariablesOf(Node* n) {
    ensureClassified(n);
    if (kindTagOf(n) == kDataTag)
        return 0;
    if (isAtomNode(n)) {
        const auto first = static_cast<unsigned char>(atomBytes(n)[0]);
        if ((first >= '0' && first <= '9') || first == '[')
            return 0;
    }
    return spanOf(n);
}

inline bool isData(const NodeRef& term) {
    return isDataNode(term.get());
}
inline int arity(const NodeRef& term) {
    return arityOf(term.get());
}
inline bool isPending(const NodeRef& term) {
    return isPendingNode(term.get());
}
inline std::uint32_t freeVariables(const NodeRef& term) {
    return freeVariablesOf(term.get());
}

// Writes arity a (-52 to 11) into the arity code, keeping the pending and atom flags.
void setArity(Node* n, int a);
// Writes the span field (below 2^26).
void setSpan(Node* n, std::uint64_t value);

} // namespace rill
