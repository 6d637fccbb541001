#include "core/fast_machine.h"

#include "builtins/builtin_table.h"
#include "core/classification.h"
#include "core/contraction.h"
#include "core/definition_table.h"
#include "core/instantiation_template.h"
#include "core/reducer.h"
#include "core/run_bounds.h"
#include "core/work_stack.h"

#include <algorithm>

namespace rill {

namespace {

// One frame of the continuation, holding one reference on its node. The plain machine's
// continuation (B (B (.. (B I x1) ..) xn-1) xn) is the stack x1 .. xn, xn on top.
// - an argument frame stands for x = (T y), with node y: the value will be applied to y;
// - a plug frame stands for x itself: the value will be x's argument;
// - a let frame, with the held frames below it, stands for x = (\ w b), b the body of a let
//   at the top of a definition's body instantiated from the held values: its node is the
//   definition, and it says at which level of lets it waits and how many values it holds.
enum class FrameKind : std::uint8_t { plug, argument, let, held };
struct Frame {
    Node* node;
    FrameKind kind;
    std::uint8_t depth; // let frames: the level of the let
    std::uint8_t held;  // let frames: how many held frames lie below
    bool argument() const { return kind == FrameKind::argument; }
};

// The frames of every run of the machine, each run above the floor it found (a built-in may
// run the machine again).
WorkStack<Frame>& frameStack() {
    static auto& frames = *new WorkStack<Frame>;
    return frames;
}

// True when x is (T' y), T' an atom whose first byte is "T": the plain machine takes such a
// plug frame for an argument frame too.
bool looksLikeArgumentFrame(const Frame& f) {
    return f.argument() || (f.kind == FrameKind::plug && !isAtomNode(f.node) &&
                            firstByteOf(functionOf(f.node)) == 'T');
}

// The y of an argument frame.
Node* frameArgument(const Frame& f) {
    return f.argument() ? f.node : argumentOf(f.node);
}

// (p x) from two references, handed over.
Node* applied(Node* p, Node* x) {
    Node* n = newApplicationNode(p, x);
    ++n->header;
    classifyIfPartsAre(n);
    return n;
}

class FastMachine {
public:
    explicit FastMachine(NodeRef term)
        : frames_(frameStack()), floor_(frames_.size()), focus_(term.detach()) {}
    FastMachine(const FastMachine&) = delete;
    FastMachine& operator=(const FastMachine&) = delete;
    ~FastMachine() {
        dropFrames();
        if (focus_ != nullptr)
            releaseNode(focus_);
    }

    NodeRef run() {
        for (;;) {
#ifdef RILL_FUZZ_BOUNDS
            if (run_bounds::stepReached()) {
                dropFrames();
                releaseNode(focus_);
                focus_ = makeLetter('Z').detach();
            }
#endif
            Node* a = focus_;
            if (isNormalNode(a)) {
                if (frames_.empty(floor_)) { // I v => v: the run is over
                    focus_ = nullptr;
                    return NodeRef::adopt(a);
                }
                // Only an argument frame on top can start the frames a value is applied from.
                if (!frames_.top().argument() || !applyFromFrames())
                    plugValue();
                continue;
            }
            const int n = arityOf(a);
            if (n < 0) { // more arguments than the head takes
                if (!focusOnConstantCall(a))
                    focusOnFunction(); // k (p a) => (B k (T a)) p
            } else if (n == 0)
                stepSaturated();
            else
                stepPartial(n);
        }
    }

private:
    void push(Node* node, bool argument) {
        frames_.push({node, argument ? FrameKind::argument : FrameKind::plug, 0, 0});
    }

    void dropFrames() {
        while (!frames_.empty(floor_))
            releaseNode(frames_.pop().node);
    }

    // Splits the focus (p x) into its parts, taking over the focus's reference.
    void takeFocusParts(Node*& p, Node*& x) {
        Node* a = focus_;
        p = functionOf(a);
        x = argumentOf(a);
        if (countOf(a) == 1) {
            detail::giveApplicationBlock(a);
        } else {
            retainNode(p);
            retainNode(x);
            releaseNode(a);
        }
    }

    // (B q x) v => q (x v); an argument frame (T y) with T a b = b a gives q (v y).
    void plugValue() {
        const Frame f = frames_.pop();
        Node* v = focus_;
        if (f.kind == FrameKind::let) {
            resume(f, v);
            return;
        }
        if (f.argument()) {
            if (isSwappingT()) {
                focus_ = applied(v, f.node);
            } else {
                Node* t = makeLetter('T').detach();
                focus_ = applied(applied(t, f.node), v);
            }
            return;
        }
        Node* x = f.node;
        if (!isAtomNode(x) && isOneByteAtomOf(functionOf(x), 'T') && isSwappingT()) {
            Node* y = argumentOf(x);
            retainNode(y);
            releaseNode(x);
            focus_ = applied(v, y);
            return;
        }
        if (isLambdaForm(x)) {
            // (B q (\ u body)) v => q ((\ u body) v), which has nothing pending since v is
            // normal, and is contracted at once: body with v put in for u.
            const unsigned char letter = firstByteOf(argumentOf(functionOf(x)));
            if (letter >= 'a' && letter <= 'z') {
                focusOnInstance(substituteByTemplate(argumentOf(x), v, letter, unwound_));
                releaseNode(v);
                releaseNode(x);
                return;
            }
        }
        focus_ = applied(x, v);
    }

    // k (p a) => (B k (T a)) p: the focus moves to the function part.
    void focusOnFunction() {
        Node* p;
        Node* x;
        takeFocusParts(p, x);
        push(x, true);
        focus_ = p;
    }

    // k (c x1 .. xn) with c a constant whose value d is known and normal, and not data. The
    // plain machine takes the spine apart, pushing the argument frames xn .. x2, turns
    // (c x1) into (d x1) in three steps: k (c x1) => (B k (T x1)) c => (B k (T x1)) d =>
    // k (d x1), and builds the spine again along the frames. Here (d x1 .. xb) is built at
    // once, b the arity of d (at least 1), over the frames of the arguments beyond it, as
    // the plain machine has it once (d x1 .. xb) is built. False when this does not apply.
    bool focusOnConstantCall(Node* a) {
        Node* c = a;
        int count = 0;
        while (!isAtomNode(c)) {
            if (count == kMostArguments)
                return false;
            c = functionOf(c);
            ++count;
        }
        Node* d = normalConstantOf(c);
        if (d == nullptr || isDataNode(d) || !isSwappingT())
            return false;
        Node* args[kMostArguments];
        spineArguments(a, count, args);
        const int ad = arityOf(d);
        const int b = ad == kUnboundedArity || ad >= count ? count : ad < 1 ? 1 : ad;
        for (int i = count - 1; i >= b; --i) {
            retainNode(args[i]);
            push(args[i], true);
        }
        retainNode(d);
        Node* f = d;
        for (int i = 0; i < b; ++i) {
            retainNode(args[i]);
            f = applied(f, args[i]);
        }
        releaseNode(a);
        focus_ = f;
        return true;
    }

    // k (p a) => (B k p) a: the argument is evaluated under a frame that applies p to it.
    void focusOnArgument() {
        Node* p;
        Node* x;
        takeFocusParts(p, x);
        push(p, false);
        focus_ = x;
    }

    // The arguments a1 .. an of the spine (h a1 .. an), in order.
    static void spineArguments(Node* n, int count, Node** args) {
        for (int i = count - 1; i >= 0; --i) {
            args[i] = argumentOf(n);
            n = functionOf(n);
        }
    }

    // An instantiated body becomes the focus, above the argument frames its unbuilt spine left.
    void focusOnInstance(NodeRef body) {
        for (int i = 0; i < unwound_.count; ++i)
            push(unwound_.arguments[i], true);
        focus_ = body.detach();
    }

    // The body of a definition instantiated from args, as the focus; a let at its top whose
    // value is still to be worked out leaves that value as the focus above a let frame.
    // False, with nothing done, when the definition does not take `count` arguments (a stale
    // name atom), which the general way meets.
    bool focusOnDefinition(Node* definition, Node* const* args, int count) {
        NodeRef focus = instantiateDefinition(definition, args, count, unwound_, hold_, &parts_);
        if (hold_.depth == LetHold::kNotInstantiated)
            return false;
        settle(definition, std::move(focus));
        return true;
    }

    // Takes the outcome of an instantiation of the definition: the frames it asks for, and
    // its focus. A body that starts with a saturated call the machine would contract at
    // once, of a definition with parameters, is not built: that call is instantiated in
    // turn, from the parts, and so on.
    void settle(Node* definition, NodeRef focus) {
        for (;;) {
            if (hold_.depth >= 0)
                pushLet(definition);
            for (int i = 0; i < unwound_.count; ++i)
                push(unwound_.arguments[i], true);
            unwound_.count = 0;
            if (parts_.count == 0) {
                focus_ = focus.detach();
                return;
            }
            Node* next = calledDefinition();
#ifdef RILL_FUZZ_BOUNDS
            if (run_bounds::stepReached())
                next = nullptr; // built; the run stops at the machine's next step
#endif
            if (next == nullptr) {
                focus_ = buildSpine(parts_).detach();
                return;
            }
            // k (h x1 .. xn) => k body: the parts' references are given back once the next
            // instantiation has taken what it needs.
            Node* head = parts_.head;
            Node* args[kMostArguments];
            int own = 0;
            for (Node* p = head; !isAtomNode(p); p = functionOf(p))
                ++own;
            spineArguments(head, own, args);
            const int count = own + parts_.count;
            std::copy(parts_.arguments, parts_.arguments + parts_.count, args + own);
            focus = instantiateDefinition(next, args, count, unwound_, hold_, &parts_);
            if (hold_.depth == LetHold::kNotInstantiated) {
                // A stale name atom: the call is built, and the general way meets it.
                focus_ = buildSpine(parts_).detach();
                return;
            }
            for (int i = own; i < count; ++i)
                releaseNode(args[i]);
            releaseNode(head);
            definition = next;
        }
    }

    // The definition with parameters that the saturated call (h x1 .. xn) left in parts_
    // would be contracted by at once, as contractCall would: a lazy head, or a strict one
    // with nothing pending. Null when that call is to be built and taken the general way.
    Node* calledDefinition() {
        Node* h = parts_.head;
        Node* a = h;
        int count = parts_.count;
        while (!isAtomNode(a)) {
            if (kindTagOf(a) == kDataTag)
                return nullptr;
            a = functionOf(a);
            ++count;
        }
        if (count > kMostArguments)
            return nullptr;
        Node* definition = definitionNamedBy(a);
        if (definition == nullptr)
            return nullptr;
        const auto first = firstByteOf(a);
        if (!kLazyHeads.lazy[first]) {
            if (isPendingNode(h))
                return nullptr;
            for (int i = 0; i < parts_.count; ++i)
                if (!isNormalNode(parts_.arguments[i]))
                    return nullptr;
        }
        return definition;
    }

    // The frames of hold_: its held values, then the let frame on the definition.
    void pushLet(Node* definition) {
        for (int i = 0; i < hold_.count; ++i)
            frames_.push({hold_.held[i], FrameKind::held, 0, 0});
        retainNode(definition);
        frames_.push({definition, FrameKind::let, static_cast<std::uint8_t>(hold_.depth),
                      static_cast<std::uint8_t>(hold_.count)});
    }

    // ((\ w b) v) => b with v put in for w, for the let frame f just taken off and the value
    // v, whose reference is handed over.
    void resume(const Frame& f, Node* v) {
        Node* held[LetHold::kMost];
        for (int i = f.held - 1; i >= 0; --i)
            held[i] = frames_.pop().node;
        Node* definition = f.node;
        settle(definition,
               resumeLet(definition, f.depth, held, f.held, v, unwound_, hold_, &parts_));
        releaseNode(definition);
    }

    // A normal value v under r argument frames y1 .. yr (y1 on top), r its arity. The plain
    // machine builds (v y1), (v y1 y2), ... one step at a time and contracts (v y1 .. yr)
    // once it is saturated: a lazy head at once, a strict one when every yi is normal (else
    // it works on the first yi that is not). When v's head names a definition, its body is
    // instantiated here from v's own arguments and the yi, without building that spine.
    // False when this does not apply; nothing has happened then.
    bool applyFromFrames() {
        Node* v = focus_;
        const unsigned tag = kindTagOf(v);
        if (tag == kDataTag)
            return false;
        const int r = static_cast<int>(tag & 63) - kArityBias;
        const std::size_t size = frames_.size();
        if (r < 1 || r > kMostArguments || size - floor_ < static_cast<std::size_t>(r))
            return false;
        if (isLambdaForm(v))
            return applyLambda();
        for (int i = 0; i < r; ++i)
            if (!frames_.at(size - 1 - static_cast<std::size_t>(i)).argument())
                return false;
        Node* h = v;
        int own = 0;
        while (!isAtomNode(h)) {
            h = functionOf(h);
            ++own;
        }
        const int count = own + r;
        if (count > kMostArguments || !isSwappingT())
            return false;
        Node* definition = definitionNamedBy(h);
        if (definition == nullptr)
            return false;
        const auto first = firstByteOf(h);
        Node* args[kMostArguments];
        spineArguments(v, own, args);
        const bool lazy = kLazyHeads.lazy[first];
        for (int i = 0; i < r; ++i) {
            Node* y = frames_.at(size - 1 - static_cast<std::size_t>(i)).node;
            // The plain machine classifies each yi as part of the spine it builds.
            ensureClassified(y);
            if (!lazy && !isNormalNode(y))
                return false;
            args[own + i] = y;
        }
        // The instantiation borrows the arguments while they are still on their frames; the
        // frames then go, their references moving to the array, before the new frames come.
        NodeRef focus = instantiateDefinition(definition, args, count, unwound_, hold_, &parts_);
        if (hold_.depth == LetHold::kNotInstantiated)
            return false; // a stale name atom: the general way meets it
        for (int i = 0; i < r; ++i)
            frames_.pop();
        settle(definition, std::move(focus));
        for (int i = own; i < count; ++i)
            releaseNode(args[i]);
        releaseNode(v);
        return true;
    }

    // The lambda form v = ((\ u) body) under an argument frame y with y normal. The plain
    // machine builds (v y), which has nothing pending, and contracts it: body with y put in
    // for u. False when y is not normal (v's frame would be worked out first) or u is not a
    // letter; nothing has happened then.
    bool applyLambda() {
        Node* v = focus_;
        const Frame& f = frames_.top();
        if (!f.argument() || !isSwappingT())
            return false;
        Node* y = f.node;
        ensureClassified(y); // as the plain machine does, building (v y)
        const unsigned char letter = firstByteOf(argumentOf(functionOf(v)));
        if (letter < 'a' || letter > 'z' || !isNormalNode(y))
            return false;
        frames_.pop();
        focusOnInstance(substituteByTemplate(argumentOf(v), y, letter, unwound_));
        releaseNode(y);
        releaseNode(v);
        return true;
    }

    // A call of a defined name or a built-in, contracted here without the general dispatch:
    // a head atom naming a definition with parameters is instantiated from its template, one
    // naming a built-in calls it. Every other head takes the general way. False when this way
    // does not apply; nothing has happened then. The focus's spine is (h a1 .. acount), h an
    // atom, with no part of it data.
    bool contractCall(Node* h, int count) {
        Node* a = focus_;
        if (count == 0 || count > kMostArguments)
            return false;
        const char* text = atomBytes(h);
        const auto first = static_cast<unsigned char>(text[0]);
        if ((first == '{' || first == '\\') && text[1] == '\0' && count == 3)
            return contractBinder(first == '{');
        const NameLookup name = nameOf(h);
        if (name.builtin != nullptr) {
            // k (b a1 .. an) => k r; a marker r ends the run: I r.
            focus_ = nullptr;
            Node* r = callBuiltin(*name.builtin, NodeRef::adopt(a)).detach();
            if (isRunEndingMarker(r))
                dropFrames();
            focus_ = r;
            return true;
        }
        // A definition without parameters is a constant, whatever it is applied to.
        if (name.entry == nullptr || !isLambdaForm(name.entry->second.get()))
            return false;
        Node* args[kMostArguments];
        spineArguments(a, count, args);
        if (!focusOnDefinition(name.entry->second.get(), args, count))
            return false; // a stale name atom: the general way meets it
        releaseNode(a);
        return true;
    }

    // The let form { v e body with e normal => body with e put in for v; the lambda form
    // \ v body x => body with x put in for v. A let whose value is still to be worked out,
    // and a binder that is not a letter, take the general way.
    bool contractBinder(bool let) {
        Node* a = focus_;
        Node* third = argumentOf(a);
        Node* second = argumentOf(functionOf(a));
        Node* v = argumentOf(functionOf(functionOf(a)));
        const unsigned char letter = firstByteOf(v);
        if (letter < 'a' || letter > 'z')
            return false;
        Node* body = let ? third : second;
        Node* value = let ? second : third;
        if (let && !isNormalNode(value))
            return false;
        focusOnInstance(substituteByTemplate(body, value, letter, unwound_));
        releaseNode(a);
        return true;
    }

    // What the atom h names as the head of a call: a one-letter capital through the table
    // by letter, a lower-case name through the head cache; nothing for any other atom.
    NameLookup nameOf(Node* h) {
        const char* text = atomBytes(h);
        const auto first = static_cast<unsigned char>(text[0]);
        if (first >= 'A' && first <= 'Z' && text[1] == '\0')
            return letterName(first);
        if (first >= 'a' && first <= 'z')
            return resolveName(h, {});
        return {nullptr, nullptr};
    }

    // The definition with parameters that the head atom h names, or null: a built-in, an
    // undefined name or a constant (whatever it is applied to) is not one.
    Node* definitionNamedBy(Node* h) {
        const NameLookup name = nameOf(h);
        if (name.builtin != nullptr || name.entry == nullptr ||
            !isLambdaForm(name.entry->second.get()))
            return nullptr;
        return name.entry->second.get();
    }

    // What a one-letter name means, from a table by letter kept while the definitions stay.
    NameLookup letterName(unsigned char letter) {
        struct Slot {
            std::uint64_t generation = ~std::uint64_t{0};
            NameLookup answer{};
        };
        static Slot slots[26];
        Slot& slot = slots[letter - 'A'];
        const std::uint64_t generation = definitionTable().generation();
        if (slot.generation != generation) {
            const char text[1] = {static_cast<char>(letter)};
            slot.answer = lookUpName(std::string_view(text, 1));
            slot.generation = generation;
        }
        return slot.answer;
    }

    // Applies a contraction's outcome to the continuation and the focus: k a => k r (with the
    // argument frames an unbuilt spine left), I r, or (B k F) r.
    void finish(Contraction c) {
        switch (c.kind) {
        case ContractionKind::keep:
            for (int i = 0; i < c.unwound.count; ++i)
                push(c.unwound.arguments[i], true);
            break;
        case ContractionKind::drop: dropFrames(); break;
        case ContractionKind::evaluate: push(c.frame.detach(), false); break;
        }
        focus_ = c.focus.detach();
    }

    // The contraction of the focus, and what it does to the continuation.
    void contractNow() {
        Node* h = focus_;
        int count = 0;
        while (!isAtomNode(h)) {
            if (kindTagOf(h) == kDataTag) {
                contractInGeneral();
                return;
            }
            h = functionOf(h);
            ++count;
        }
        contractNow(h, count);
    }

    // The same, for a focus whose spine is (h a1 .. acount), h an atom, with no part of it
    // data.
    void contractNow(Node* h, int count) {
        if (!contractCall(h, count))
            contractInGeneral();
    }

    // The contraction of the focus by the rules the plain machine uses too.
    void contractInGeneral() {
        Node* a = focus_;
        focus_ = nullptr;
        finish(contractFocus(NodeRef::adopt(a), Instantiation::compiledTemplate));
    }

    // A saturated focus: lazy heads, data and terms with nothing pending are contracted; a let
    // form evaluates its value first; otherwise the function part, then the argument is
    // worked on.
    void stepSaturated() {
        Node* an = focus_;
        // One walk down the spine serves both the lazy head test and the call.
        Node* h = an;
        int count = 0;
        while (!isAtomNode(h) && !isDataNode(h)) {
            h = functionOf(h);
            ++count;
        }
        if (kLazyHeads.lazy[firstByteOf(h)] || isDataNode(an) || !isPendingNode(an)) {
            // k a => contract (k a)
            if (isAtomNode(h))
                contractNow(h, count);
            else
                contractInGeneral();
            return;
        }
        if (isLetForm(an)) {
            Node* e = letValue(an);
            if (isNormalNode(e)) {
                contractNow(h, count); // k ({ v e body) => k body[e/v]
                return;
            }
            // k ({ v e body) => (B k (\ v body)) e
            NodeRef lambda =
                apply(makeLetter('\\'), NodeRef(letBinder(an)), NodeRef(argumentOf(an)));
            retainNode(e);
            releaseNode(an);
            push(lambda.detach(), false);
            focus_ = e;
            return;
        }
        Node* p = functionOf(an);
        if (isDataNode(p) || !isPendingNode(p))
            focusOnArgument(); // k (p a) => (B k p) a
        else
            focusOnFunction(); // k (p a) => (B k (T a)) p
    }

    // A partial application with work inside. A lazy head takes its n missing arguments from
    // the argument frames on top when there are enough of them:
    //   (B (B q (T y2)) (T y1)) a => q (a y1 y2), contracted at once;
    // otherwise the parts are brought into normal form, function part first.
    void stepPartial(int n) {
        if (isLazyHeadNode(focus_)) {
            const std::size_t size = frames_.size();
            int found = 0;
            while (found < n && size - static_cast<std::size_t>(found) > floor_ &&
                   looksLikeArgumentFrame(frames_.at(size - 1 - static_cast<std::size_t>(found))))
                ++found;
            if (found == n) {
                for (int i = 0; i < n; ++i) {
                    const Frame f = frames_.pop();
                    Node* y = frameArgument(f);
                    if (!f.argument()) {
                        retainNode(y);
                        releaseNode(f.node);
                    }
                    focus_ = applied(focus_, y);
                }
                contractNow();
                return;
            }
        }
        if (isNormalNode(functionOf(focus_)))
            focusOnArgument(); // k (p a) => (B k p) a
        else
            focusOnFunction(); // k (p a) => (B k (T a)) p
    }

    static constexpr int kMostArguments = 12;

    WorkStack<Frame>& frames_;
    Unwound unwound_;
    LetHold hold_;
    SpineParts parts_;
    std::size_t floor_;
    Node* focus_; // holds one reference while the machine runs
};

} // namespace

NodeRef normalizeFast(NodeRef term) {
    FastMachine machine(std::move(term));
    return machine.run();
}

} // namespace rill
