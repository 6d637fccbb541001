#include "core/classification.h"

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
    const std::string_view text(s, measureText(n));
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

void classifyApplication(Node* n) {
    Node* p = functionOf(n);
    Node* x = argumentOf(n);
    const bool pData = kindTagOf(p) == kDataTag;
    const bool xData = kindTagOf(x) == kDataTag;
    if (pData && xData) {
        writeKindTag(n, kDataTag);
        const std::uint64_t sp = spanOf(p);
        const std::uint64_t sx = spanOf(x);
        if (sp >= 2 && sx >= 2 && sp + sx < kSpanLimit)
            setSpan(n, sp + sx);
        return;
    }
    int a = 0;
    if (!pData) {
        const int ap = arityOf(p);
        a = (ap == kUnboundedArity || ap <= kLowestArity) ? ap : ap - 1;
    }
    const std::uint32_t fp = freeVariablesOf(p);
    const std::uint32_t fx = freeVariablesOf(x);
    if (isHeadedBy(p, '\\')) {
        // A lambda form ((\ v) body) is a value whatever its body holds; v is bound in body.
        writeFacts(n, a, false, fx & ~fp);
        return;
    }
    const bool pending = isPendingNode(p) || isPendingNode(x) || arityOf(x) < 1;
    std::uint32_t freeSet;
    if (isHeadedBy(p, '{')) {
        // ((\{ w) e): the binder is not in scope in its own value e.
        freeSet = fx;
    } else if (!isAtomNode(p) && isHeadedBy(functionOf(p), '{')) {
        // The let form (((\{ w) e) b): w is bound in the body b only.
        freeSet = (fx & ~freeVariablesOf(argumentOf(functionOf(p)))) | fp;
    } else {
        freeSet = fp | fx;
    }
    writeFacts(n, a, pending, freeSet);
}

} // namespace

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
