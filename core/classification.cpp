#include "core/classification.h"

#include "core/definition_names.h"
#include "core/definition_table.h"

#include <vector>

namespace rill {

namespace {

// An application whose function part is an atom beginning with `c`: (c v).
bool isHeadedBy(const Node* n, char c) {
    return !isAtomNode(n) && firstByteOf(functionOf(n)) == static_cast<unsigned char>(c);
}

void writeFacts(Node* n, int a, bool pending, std::uint32_t freeSet) {
    setArity(n, a);
    if (pending)
        n->header |= kPendingBit;
    setSpan(n, freeSet);
}

// The number of lambda forms stacked at the top of a definition, at most 11.
int countLeadingLambdas(const Node* d) {
    int k = 0;
    while (isLambdaForm(d)) {
        if (k < kUnboundedArity)
            ++k;
        d = argumentOf(d);
    }
    return k;
}

void classifyName(Node* n, std::string_view text, unsigned char first);

void classifyAtom(Node* n) {
    const char* s = atomBytes(n);
    const auto first = static_cast<unsigned char>(s[0]);
    if (first == ')' || first == ']') {
        writeFacts(n, 1, false, 0); // markers are values
        return;
    }
    if (first == '[') {
        writeKindTag(n, kDataTag); // the span keeps the text length
        return;
    }
    if (first >= '0' && first <= '9') {
        setArity(n, 1); // the span keeps the text length
        return;
    }
    if (first != 0 && s[1] == '\0' && first != ' ' && first != '(') {
        // A one-byte name, most often a combinator the machine has just made: its facts
        // depend on the byte and the table alone, so they are kept by byte until the table
        // changes.
        struct Facts {
            std::uint64_t generation = ~std::uint64_t{0};
            std::uint64_t bits = 0; // the classified header's kind tag and span
        };
        static Facts known[256];
        constexpr std::uint64_t kFactMask = kTagMask | kSpanMask;
        Facts& f = known[first];
        if (f.generation == currentGeneration()) {
            n->header = (n->header & ~kFactMask) | f.bits;
            return;
        }
        classifyName(n, std::string_view(s, 1), first);
        f.bits = n->header & kFactMask;
        f.generation = currentGeneration();
        return;
    }
    classifyName(n, std::string_view(s, measureText(n)), first);
}

// Classifies the atom n whose text is not a marker, a string or a number.
void classifyName(Node* n, std::string_view text, unsigned char first) {
    if (isDefinitionKey(text)) {
        if (const NameLookup name = lookUpName(text); name.entry != nullptr) {
            writeFacts(n, countLeadingLambdas(name.entry->second.get()), false, 0);
            return;
        }
        if (text.size() == 1 && first >= 'a' && first <= 'z') {
            writeFacts(n, kUnboundedArity, false, std::uint32_t{1} << (first - 'a'));
            return;
        }
        // A name that has no definition: saturated, so that the machine contracts it and
        // meets the missing definition, which ends the run with the undefined-name marker.
        writeFacts(n, 0, false, 0);
        return;
    }
    writeFacts(n, 1, false, 0);
}

// The free letters of a classified node, from its header alone: an atom's span holds letters
// only when it is a variable (arity 11); a digit atom's span is its length, and its arity 1.
inline std::uint32_t classifiedFreeSet(const Node* n, unsigned tag) {
    if (tag == kDataTag)
        return 0;
    const auto span = static_cast<std::uint32_t>((n->header & kSpanMask) >> kSpanShift);
    if (isAtomNode(n))
        return (tag & 63) == kUnboundedArity + kArityBias ? span : 0;
    return span;
}

// The facts of (p x) from the facts of its classified parts.
void classifyApplication(Node* n) {
    Node* p = functionOf(n);
    Node* x = argumentOf(n);
    const unsigned pTag = kindTagOf(p);
    const unsigned xTag = kindTagOf(x);
    if (pTag == kDataTag && xTag == kDataTag) {
        writeKindTag(n, kDataTag);
        const std::uint64_t sp = spanOf(p);
        const std::uint64_t sx = spanOf(x);
        if (sp >= 2 && sx >= 2 && sp + sx < kSpanLimit)
            setSpan(n, sp + sx);
        return;
    }
    // Arity: arity(p) - 1, except that 11 (unbounded) and -51 or less stay; 0 for data p.
    int a = 0;
    if (pTag != kDataTag) {
        const int ap = static_cast<int>(pTag & 63) - kArityBias;
        a = (ap == kUnboundedArity || ap <= kLowestArity) ? ap : ap - 1;
    }
    const std::uint32_t fp = classifiedFreeSet(p, pTag);
    const std::uint32_t fx = classifiedFreeSet(x, xTag);
    const Node* pHead = isAtomNode(p) ? nullptr : functionOf(p);
    const unsigned char pHeadByte = pHead != nullptr ? firstByteOf(pHead) : 0;
    bool pending = false;
    std::uint32_t freeSet;
    if (pHeadByte == '\\') {
        // A lambda form ((\ v) body) is a value whatever its body holds; v is bound in body.
        freeSet = fx & ~fp;
    } else {
        // Pending: work below the head, in p or x, or x itself not yet a value.
        pending = (pTag != kDataTag && (p->header & kPendingBit) != 0) ||
                  (xTag != kDataTag && ((x->header & kPendingBit) != 0 ||
                                        static_cast<int>(xTag & 63) - kArityBias < 1));
        if ((fp | fx) == 0) {
            freeSet = 0; // nothing free on either side: no binder can matter
        } else if (pHeadByte == '{') {
            // ((\{ w) e): the binder is not in scope in its own value e.
            freeSet = fx;
        } else if (pHead != nullptr && isHeadedBy(pHead, '{')) {
            // The let form (((\{ w) e) b): w is bound in the body b only.
            freeSet = (fx & ~freeVariablesOf(argumentOf(pHead))) | fp;
        } else {
            freeSet = fp | fx;
        }
    }
    n->header = (n->header & (kCountMask | kAtomBit)) |
                (static_cast<std::uint64_t>(a + kArityBias) << kArityShift) |
                (pending ? kPendingBit : 0) | (std::uint64_t{freeSet} << kSpanShift);
}

} // namespace

void classifyApplicationNode(Node* n) {
    RILL_ASSERT(kindTagOf(functionOf(n)) != 0 && kindTagOf(argumentOf(n)) != 0);
    classifyApplication(n);
}

void classifyNode(Node* root) {
    if (kindTagOf(root) != 0)
        return;
    // Most new nodes are applications of parts that are classified already.
    if (isAtomNode(root)) {
        classifyAtom(root);
        return;
    }
    if (kindTagOf(functionOf(root)) != 0 && kindTagOf(argumentOf(root)) != 0) {
        classifyApplication(root);
        return;
    }
    // Children are classified before their parents from an explicit work list, so a term of
    // any depth costs heap, not machine stack.
    static auto& work = *new std::vector<Node*>;
    const std::size_t floor = work.size();
    work.push_back(root);
    while (work.size() > floor) {
        Node* n = work.back();
        if (kindTagOf(n) != 0) {
            work.pop_back();
            continue;
        }
        if (isAtomNode(n)) {
            classifyAtom(n);
            work.pop_back();
            continue;
        }
        Node* p = functionOf(n);
        Node* x = argumentOf(n);
        const bool pReady = kindTagOf(p) != 0;
        const bool xReady = kindTagOf(x) != 0;
        if (!pReady)
            work.push_back(p);
        if (!xReady)
            work.push_back(x);
        if (pReady && xReady) {
            classifyApplication(n);
            work.pop_back();
        }
    }
}

void setArity(Node* n, int a) {
    RILL_ASSERT(a >= -kArityBias && a <= kUnboundedArity);
    n->header =
        (n->header & ~kArityMask) | (static_cast<std::uint64_t>(a + kArityBias) << kArityShift);
}

void setSpan(Node* n, std::uint64_t value) {
    writeSpan(n, value);
}

} // namespace rill
