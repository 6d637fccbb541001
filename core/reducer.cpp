#include "core/reducer.h"

#include "core/contraction.h"
#include "core/fast_machine.h"

namespace rill {

namespace {

// The machine that normalize runs: the fast one unless a test asks for the plain one.
Machine& machineSetting() {
    static Machine machine = Machine::fast;
    return machine;
}

// ((B k) x): continue with k on (x v).
NodeRef plugFrame(NodeRef k, NodeRef x) {
    return apply(makeLetter('B'), std::move(k), std::move(x));
}
// An argument frame: the value will be applied to y.
NodeRef argumentFrame(NodeRef k, NodeRef y) {
    return plugFrame(std::move(k), apply(makeLetter('T'), std::move(y)));
}

// True when the continuation is an argument frame ((B q) (T y)).
bool isArgumentFrame(const Node* k) {
    if (isAtomNode(k) || isAtomNode(functionOf(k)))
        return false;
    const Node* x = argumentOf(k);
    return !isAtomNode(x) && firstByteOf(functionOf(x)) == 'T';
}

// (B q x) v => q (x v); with an argument frame x = (T y) and T a b = b a, that is q (v y).
NodeRef plugValue(NodeRef k, NodeRef a) {
    RILL_ASSERT(isApplication(k) && isApplication(functionPart(k)));
    auto [bq, x] = takeParts(std::move(k));
    auto [b, q] = takeParts(std::move(bq));
    RILL_ASSERT(firstByte(b) == 'B');
    if (isApplication(x) && isOneByteAtomOf(functionOf(x.get()), 'T') && isSwappingT()) {
        auto [t, y] = takeParts(std::move(x));
        return apply(std::move(q), apply(std::move(a), std::move(y)));
    }
    return apply(std::move(q), apply(std::move(x), std::move(a)));
}

// k (p a) => (B k (T a)) p: the focus moves to the function part.
NodeRef focusOnFunction(NodeRef k, NodeRef a) {
    auto [p, x] = takeParts(std::move(a));
    return apply(argumentFrame(std::move(k), std::move(x)), std::move(p));
}

// k (p a) => (B k p) a: the argument is evaluated under a frame that applies p to it.
NodeRef focusOnArgument(NodeRef k, NodeRef a) {
    auto [p, x] = takeParts(std::move(a));
    return apply(plugFrame(std::move(k), std::move(p)), std::move(x));
}

// The machine term a contraction leads to: (k R), (I R) or ((B k F) R).
NodeRef afterContraction(NodeRef k, Contraction c) {
    switch (c.kind) {
    case ContractionKind::keep: return apply(std::move(k), std::move(c.focus));
    case ContractionKind::drop: return apply(makeLetter('I'), std::move(c.focus));
    case ContractionKind::evaluate:
        return apply(plugFrame(std::move(k), std::move(c.frame)), std::move(c.focus));
    }
    RILL_ASSERT(false);
    return k;
}

// k a => the machine term after contracting the saturated focus a by the rules of
// contractFocus (core/contraction.cpp).
NodeRef contractFocusUnder(NodeRef k, NodeRef a) {
    return afterContraction(std::move(k), contractFocus(std::move(a), Instantiation::substitution));
}

// A saturated focus: lazy heads, data and terms with nothing pending are contracted; a let
// form evaluates its value first; otherwise the function part, then the argument is worked on.
NodeRef stepSaturated(NodeRef k, NodeRef a) {
    Node* an = a.get();
    if (isLazyHeadNode(an) || isDataNode(an) || !isPendingNode(an))
        return contractFocusUnder(std::move(k), std::move(a)); // k a => contract (k a)
    if (isLetForm(an)) {
        Node* e = letValue(an);
        if (isNormalNode(e))
            return contractFocusUnder(std::move(k), std::move(a)); // k ({ v e body), e normal
        // k ({ v e body) => (B k (\ v body)) e
        NodeRef lambda = apply(makeLetter('\\'), NodeRef(letBinder(an)), NodeRef(argumentOf(an)));
        return apply(plugFrame(std::move(k), std::move(lambda)), NodeRef(e));
    }
    Node* p = functionOf(an);
    if (isDataNode(p) || !isPendingNode(p))
        return focusOnArgument(std::move(k), std::move(a)); // k (p a) => (B k p) a
    return focusOnFunction(std::move(k), std::move(a));     // k (p a) => (B k (T a)) p
}

// A partial application with work inside. A lazy head takes its n missing arguments from the
// argument frames on the continuation when there are enough of them:
//   (B (B q (T y2)) (T y1)) a => q (a y1 y2), contracted at once;
// otherwise the parts are brought into normal form, function part first.
NodeRef stepPartial(NodeRef k, NodeRef a, int n) {
    if (isLazyHeadNode(a.get())) {
        int frames = 0;
        for (const Node* c = k.get(); frames < n && isArgumentFrame(c);
             c = argumentOf(functionOf(c)))
            ++frames;
        if (frames == n) {
            for (int i = 0; i < n; ++i) {
                auto [bq, ty] = takeParts(std::move(k));
                auto [b, q] = takeParts(std::move(bq));
                auto [t, y] = takeParts(std::move(ty));
                a = apply(std::move(a), std::move(y));
                k = std::move(q);
            }
            return contractFocusUnder(std::move(k), std::move(a));
        }
    }
    if (isNormalNode(functionOf(a.get())))
        return focusOnArgument(std::move(k), std::move(a)); // k (p a) => (B k p) a
    return focusOnFunction(std::move(k), std::move(a));     // k (p a) => (B k (T a)) p
}

// The watcher of the plain machine's steps, if any (a tracing companion sets one).
PlainMachineWatcher*& watcherSetting() {
    static PlainMachineWatcher* watcher = nullptr;
    return watcher;
}

// The machine term I v, v normal: the run is over.
bool isFinal(const Node* machine) {
    Node* k = functionOf(machine);
    return isAtomNode(k) && atomBytes(k)[0] == 'I' && isNormalNode(argumentOf(machine));
}

// The plain machine: step after step until the continuation is "I" and the focus normal:
// I v => v.
NodeRef normalizeByStep(NodeRef term) {
    NodeRef machine = apply(makeLetter('I'), std::move(term));
    if (PlainMachineWatcher* watcher = watcherSetting(); watcher != nullptr) {
        watcher->runStarted(machine.get());
        while (!isFinal(machine.get())) {
            watcher->stepping(machine.get());
            const NodeRef before(functionOf(machine.get()));
            machine = step(std::move(machine));
            watcher->stepped(before.get(), machine.get());
        }
        watcher->runEnded();
        return NodeRef(argumentOf(machine.get()));
    }
    while (!isFinal(machine.get()))
        machine = step(std::move(machine));
    return NodeRef(argumentOf(machine.get()));
}

} // namespace

void useMachine(Machine machine) {
    machineSetting() = machine;
}

Machine machineInUse() {
    return machineSetting();
}

void watchPlainMachine(PlainMachineWatcher* watcher) {
    watcherSetting() = watcher;
}

NodeRef normalize(NodeRef term) {
    if (machineSetting() == Machine::plain)
        return normalizeByStep(std::move(term));
    return normalizeFast(std::move(term));
}

NodeRef step(NodeRef machine) {
    auto [k, a] = takeParts(std::move(machine)); // machine = (k a)
    if (isNormalNode(a.get()))
        return plugValue(std::move(k), std::move(a)); // (B q x) v => q (x v)
    const int n = arityOf(a.get());
    if (n < 0)
        return focusOnFunction(std::move(k), std::move(a)); // k (p a) => (B k (T a)) p
    if (n == 0)
        return stepSaturated(std::move(k), std::move(a)); // a saturated focus
    return stepPartial(std::move(k), std::move(a), n);    // a partial application
}

// k a => contract (k a), whatever the focus's head.
NodeRef contract(NodeRef machine) {
    auto [k, a] = takeParts(std::move(machine));
    return contractFocusUnder(std::move(k), std::move(a));
}

NodeRef substitute(NodeRef body, NodeRef value, unsigned char v) {
    RILL_ASSERT(v >= 'a' && v <= 'z');
    Node* values[26] = {};
    values[v - 'a'] = value.get();
    return substituteLetters(std::move(body), values, std::uint32_t{1} << (v - 'a'));
}

} // namespace rill
