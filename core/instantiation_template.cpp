#include "core/instantiation_template.h"

#include "core/classification.h"
#include "core/contraction.h"
#include "core/reducer.h"
#include "core/work_stack.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace rill {

namespace {

// One instruction; each pushes one term onto the result stack.
enum class Op : std::uint8_t {
    shared,      // the node itself, a sub-term without any parameter
    argument,    // the argument for a parameter
    application, // (p x) of the two terms on top; the node itself when both are its own parts
    lambda,      // ((\ w) b) of the term on top, the node's (\ w) shared
    let,         // ((({ w) e) b) of the two terms on top, the node's ({ w) shared
};

struct Instruction {
    Op op;
    std::uint8_t argument; // Op::argument: which argument
    bool spine;            // Op::application on the spine of the body (the head's side)
    Node* node;            // the body node the instruction stands for
};

struct Template {
    NodeRef definition;       // the node it was compiled from; keeps the body's nodes alive
    unsigned char letter = 0; // for a body compiled for one letter: that letter
    int parameters = 0;
    int spine = 0; // the applications on the body's spine that are rebuilt, at most Unwound::kMost
    std::vector<Instruction> code;
    // A body that is a spine of parameters only, (p0 p1 .. pm) as for the pair combinators,
    // with its whole spine rebuilt: which argument each leaf takes, head first. Then the
    // instantiation needs no result stack.
    bool argumentSpine = false;
    std::uint8_t leaves[Unwound::kMost + 1];
    Node* spineNodes[Unwound::kMost]; // the body nodes of the spine, innermost first
    // A body whose spine's head is a parameter, as in a stream s h t or a truth b x y: where
    // the code of each spine argument k = 1 .. spine starts, and where it ends (the spine
    // application that takes it), so that one argument can be built alone.
    bool parameterHead = false;
    std::uint16_t argumentBegin[Unwound::kMost + 1];
    std::uint16_t argumentEnd[Unwound::kMost + 1];
    // A body that is a let form { w e b with a letter w, split in two: its value e from the
    // same arguments, and its body b from the arguments and the value as one more argument.
    // Null for any other body, and below the deepest level that is split.
    unsigned char letLetter = 0;
    std::unique_ptr<Template> letValue;
    std::unique_ptr<Template> letBody;
};

// Compiles the walk of the substitution over the body: the same nodes are visited in the
// same order, so the same nodes get classified, and the built term is the same.
// Compiles the substitution of the letters in the mask into the body d, letter v taking
// argument slot[v - 'a'].
void compileBody(Template* t, Node* d, const int* slot, std::uint32_t mask);

// Notes whether the compiled body of t is a spine of parameters only.
void noteArgumentSpine(Template* t);

// How many let forms at the top of a definition's body, one inside the other, are split.
constexpr int kMostLetLevels = 4;

// Splits the let forms at the top of the body d of template t, down to kMostLetLevels deep:
// the parts are compiled with the slots and mask of their scope.
void compileLets(Template* t, Node* d, const int* slot, std::uint32_t mask, int depth) {
    if (depth == kMostLetLevels || !isLetForm(d))
        return;
    const unsigned char w = firstByteOf(letBinder(d));
    if (w < 'a' || w > 'z')
        return;
    t->letLetter = w;
    t->letValue = std::make_unique<Template>();
    t->letValue->parameters = t->parameters;
    compileBody(t->letValue.get(), letValue(d), slot, mask);
    int bodySlot[26];
    std::copy(slot, slot + 26, bodySlot);
    bodySlot[w - 'a'] = t->parameters;
    const std::uint32_t bodyMask = mask | std::uint32_t{1} << (w - 'a');
    t->letBody = std::make_unique<Template>();
    t->letBody->parameters = t->parameters + 1;
    compileBody(t->letBody.get(), argumentOf(d), bodySlot, bodyMask);
    compileLets(t->letBody.get(), argumentOf(d), bodySlot, bodyMask, depth + 1);
}

// The body of a definition under its parameters, their letters in `letters` (at most 12)
// and their number in `count`.
Node* peelParameters(Node* definition, unsigned char* letters, int& count) {
    Node* d = definition;
    count = 0;
    while (isLambdaForm(d)) {
        RILL_ASSERT(count < 12);
        letters[count++] = firstByteOf(argumentOf(functionOf(d)));
        d = argumentOf(d);
    }
    return d;
}

// A definition's template: its parameters peeled, the last parameter of a letter winning.
std::unique_ptr<Template> compile(Node* definition) {
    auto t = std::make_unique<Template>();
    t->definition = NodeRef(definition);
    unsigned char letters[12];
    Node* d = peelParameters(definition, letters, t->parameters);
    // The parameter each letter stands for: the last one of that letter.
    int slot[26] = {};
    std::uint32_t mask = 0;
    for (int i = t->parameters - 1; i >= 0; --i) {
        const unsigned char v = letters[i];
        RILL_ASSERT(v >= 'a' && v <= 'z');
        if ((mask & (std::uint32_t{1} << (v - 'a'))) != 0)
            continue;
        mask |= std::uint32_t{1} << (v - 'a');
        slot[v - 'a'] = i;
    }
    compileBody(t.get(), d, slot, mask);
    compileLets(t.get(), d, slot, mask, 0);
    return t;
}

// The template of a body with one letter v put in: a lambda form's or a let form's body.
std::unique_ptr<Template> compileForLetter(Node* body, unsigned char v) {
    auto t = std::make_unique<Template>();
    t->definition = NodeRef(body);
    t->letter = v;
    t->parameters = 1;
    int slot[26] = {};
    compileBody(t.get(), body, slot, std::uint32_t{1} << (v - 'a'));
    return t;
}

void compileBody(Template* t, Node* d, const int* slot, std::uint32_t mask) {
    struct Frame {
        Node* node;
        std::uint32_t mask;
        Op rebuild; // Op::shared while the node is still to be entered
        bool spine;
    };
    std::vector<Frame> frames{{d, mask, Op::shared, true}};
    while (!frames.empty()) {
        const Frame f = frames.back();
        frames.pop_back();
        Node* n = f.node;
        if (f.rebuild != Op::shared) {
            t->code.push_back({f.rebuild, 0, f.spine, n});
            if (f.spine)
                ++t->spine;
            continue;
        }
        const std::uint32_t m = f.mask;
        if ((freeVariablesOf(n) & m) == 0) {
            t->code.push_back({Op::shared, 0, false, n});
        } else if (isAtomNode(n)) {
            t->code.push_back(
                {Op::argument, static_cast<std::uint8_t>(slot[atomBytes(n)[0] - 'a']), false, n});
        } else if (isLambdaForm(n)) {
            const unsigned char w = firstByteOf(argumentOf(functionOf(n)));
            const std::uint32_t hidden = w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
            frames.push_back({n, m, Op::lambda, false});
            frames.push_back({argumentOf(n), m & ~hidden, Op::shared, false});
        } else if (isLetForm(n)) {
            const unsigned char w = firstByteOf(letBinder(n));
            const std::uint32_t hidden = w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
            frames.push_back({n, m, Op::let, false});
            frames.push_back({argumentOf(n), m & ~hidden, Op::shared, false});
            frames.push_back({letValue(n), m, Op::shared, false});
        } else {
            frames.push_back({n, m, Op::application, f.spine});
            frames.push_back({argumentOf(n), m, Op::shared, false});
            frames.push_back({functionOf(n), m, Op::shared, f.spine});
        }
    }
    if (t->spine > Unwound::kMost) {
        for (Instruction& i : t->code)
            i.spine = false;
        t->spine = 0;
    }
    noteArgumentSpine(t);
}

void noteArgumentSpine(Template* t) {
    if (t->spine == 0)
        return;
    const Instruction& head = t->code[0];
    if (head.op == Op::argument) {
        int k = 0;
        std::size_t begin = 1;
        for (std::size_t i = 1; i < t->code.size(); ++i) {
            if (t->code[i].op == Op::application && t->code[i].spine) {
                ++k;
                t->argumentBegin[k] = static_cast<std::uint16_t>(begin);
                t->argumentEnd[k] = static_cast<std::uint16_t>(i);
                begin = i + 1;
            }
        }
        t->parameterHead = k == t->spine && t->code.size() < 65536;
    }
    if (t->code.size() != static_cast<std::size_t>(2 * t->spine + 1))
        return;
    int leaves = 0;
    int applications = 0;
    for (const Instruction& i : t->code) {
        if (i.op == Op::argument)
            t->leaves[leaves++] = i.argument;
        else if (i.op == Op::application && i.spine)
            t->spineNodes[applications++] = i.node;
        else
            return;
    }
    t->argumentSpine = true;
}

// The templates by definition node, in a direct-mapped cache. A slot holds its definition,
// so the node cannot be freed and its address reused while the slot names it.
Template& templateOf(Node* definition) {
    constexpr std::size_t kSlots = 4096;
    static auto& slots = *new std::vector<std::unique_ptr<Template>>(kSlots);
    const auto address = reinterpret_cast<std::uintptr_t>(definition);
    std::unique_ptr<Template>& slot = slots[(address >> 4 ^ address >> 16) & (kSlots - 1)];
    if (slot == nullptr || slot->definition.get() != definition)
        slot = compile(definition);
    return *slot;
}

// The templates of bodies by node and letter, kept the same way. Many lambda and let bodies
// are built afresh by each instantiation of their definition and used once, so a body is
// compiled only when it comes again: null the first time.
const Template* templateOf(Node* body, unsigned char v) {
    struct Slot {
        NodeRef seen; // met once, not compiled
        std::unique_ptr<Template> compiled;
    };
    constexpr std::size_t kSlots = 4096;
    static auto& slots = *new std::vector<Slot>(kSlots);
    const auto address = reinterpret_cast<std::uintptr_t>(body);
    Slot& slot = slots[(address >> 4 ^ address >> 16 ^ v) & (kSlots - 1)];
    if (slot.compiled != nullptr && slot.compiled->definition.get() == body &&
        slot.compiled->letter == v)
        return slot.compiled.get();
    if (!slot.seen.empty() && slot.seen.get() == body) {
        slot.compiled = compileForLetter(body, v);
        slot.seen = NodeRef();
        return slot.compiled.get();
    }
    slot.seen = NodeRef(body);
    return nullptr;
}

// (p x) from two references, handed over; the node n itself when p and x are its own parts.
Node* rebuilt(Node* n, Node* p, Node* x) {
    if (p == functionOf(n) && x == argumentOf(n)) {
        releaseNode(p);
        releaseNode(x);
        retainNode(n);
        return n;
    }
    Node* made = newApplicationNode(p, x);
    ++made->header;
    classifyIfPartsAre(made);
    return made;
}

// ((\ w) b) for the lambda form n, its (\ w) shared; b handed over.
Node* rebuiltLambda(Node* n, Node* b) {
    Node* head = functionOf(n);
    retainNode(head);
    Node* made = newApplicationNode(head, b);
    ++made->header;
    classifyIfPartsAre(made);
    return made;
}

// ((({ w) e) b) for the let form n, its ({ w) shared; e and b handed over.
Node* rebuiltLet(Node* n, Node* e, Node* b) {
    Node* head = functionOf(functionOf(n));
    retainNode(head);
    Node* inner = newApplicationNode(head, e);
    ++inner->header;
    classifyIfPartsAre(inner);
    Node* made = newApplicationNode(inner, b);
    ++made->header;
    classifyIfPartsAre(made);
    return made;
}

// Runs the template's code onto the result stack. With `skipSpine` the spine's applications
// are not built: the head and the spine's arguments x1 .. xm are left on the stack, in that
// order, and their body nodes in `spineNodes`.
void runRange(const Instruction* begin, const Instruction* end, Node* const* args,
              WorkStack<Node*>& results, bool skipSpine, Node** spineNodes) {
    // Each instruction pushes at most one term, so the code's length bounds the stack.
    Node** const bottom = results.reserve(static_cast<std::size_t>(end - begin));
    Node** top = bottom;
    int spineSeen = 0;
    for (const Instruction* at = begin; at != end; ++at) {
        const Instruction& i = *at;
        switch (i.op) {
        case Op::shared:
            retainNode(i.node);
            *top++ = i.node;
            break;
        case Op::argument: {
            Node* a = args[i.argument];
            retainNode(a);
            *top++ = a;
            break;
        }
        case Op::application: {
            if (skipSpine && i.spine) {
                spineNodes[spineSeen++] = i.node;
                break;
            }
            Node* x = *--top;
            Node* p = top[-1];
            top[-1] = rebuilt(i.node, p, x);
            break;
        }
        case Op::lambda: top[-1] = rebuiltLambda(i.node, top[-1]); break;
        case Op::let: {
            Node* b = *--top;
            top[-1] = rebuiltLet(i.node, top[-1], b);
            break;
        }
        }
    }
    results.resize(results.size() + static_cast<std::size_t>(top - bottom));
}

void run(const Template& t, Node* const* args, WorkStack<Node*>& results, bool skipSpine,
         Node** spineNodes) {
    const Instruction* code = t.code.data();
    runRange(code, code + t.code.size(), args, results, skipSpine, spineNodes);
}

// The substitution walk for one letter, on raw nodes: the same nodes are visited in the same
// order and the same term is built as by substituteLetters. A new reference on the result.
Node* substituteOne(Node* body, Node* value, unsigned char v) {
    const std::uint32_t bit = std::uint32_t{1} << (v - 'a');
    if ((freeVariablesOf(body) & bit) == 0) {
        retainNode(body);
        return body;
    }
    enum class Stage : std::uint8_t { enter, application, let, lambda };
    struct Frame {
        Node* node;
        std::uint32_t mask;
        Stage stage;
    };
    static auto& frames = *new WorkStack<Frame>;
    static auto& results = *new WorkStack<Node*>; // each holds one reference
    const std::size_t frameFloor = frames.size();
    const std::size_t resultFloor = results.size();
    frames.push({body, bit, Stage::enter});
    while (!frames.empty(frameFloor)) {
        const Frame f = frames.pop();
        Node* n = f.node;
        switch (f.stage) {
        case Stage::enter: {
            if ((freeVariablesOf(n) & f.mask) == 0) {
                retainNode(n);
                results.push(n);
            } else if (isAtomNode(n)) {
                retainNode(value); // the letter itself
                results.push(value);
            } else if (isLambdaForm(n)) {
                const unsigned char w = firstByteOf(argumentOf(functionOf(n)));
                const std::uint32_t hidden =
                    w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
                frames.push({n, f.mask, Stage::lambda});
                frames.push({argumentOf(n), f.mask & ~hidden, Stage::enter});
            } else if (isLetForm(n)) {
                const unsigned char w = firstByteOf(letBinder(n));
                const std::uint32_t hidden =
                    w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
                frames.push({n, f.mask, Stage::let});
                frames.push({argumentOf(n), f.mask & ~hidden, Stage::enter});
                frames.push({letValue(n), f.mask, Stage::enter});
            } else {
                frames.push({n, f.mask, Stage::application});
                frames.push({argumentOf(n), f.mask, Stage::enter});
                frames.push({functionOf(n), f.mask, Stage::enter});
            }
            break;
        }
        case Stage::application: {
            Node* x = results.pop();
            Node* p = results.pop();
            results.push(rebuilt(n, p, x));
            break;
        }
        case Stage::lambda: results.push(rebuiltLambda(n, results.pop())); break;
        case Stage::let: {
            Node* b = results.pop();
            Node* e = results.pop();
            results.push(rebuiltLet(n, e, b));
            break;
        }
        }
    }
    RILL_ASSERT(results.size() == resultFloor + 1);
    return results.pop();
}

WorkStack<Node*>& resultStack() {
    static auto& results = *new WorkStack<Node*>; // each holds one reference
    return results;
}

// The spine h x1 .. xm of an instantiated body (m >= 1, references handed over), its
// applications' body nodes in spineNodes, as the machine would go on with it.
inline NodeRef unwindSpine(Node* const* spine, Node* const* spineNodes, int m, Unwound& unwound,
                           SpineParts* parts);

// What the definition named by the atom h gives back, when its body is one of its
// parameters alone (K a b = a) or a sub-term without parameters (H a = I): the index of
// that parameter, or -1 and the sub-term in `term`. -2 for any other atom. `parameters` is
// then the definition's number of parameters. This reads the definition itself, not its
// template: compiling one here could evict from the cache the template being run.
int selectorBody(Node* h, int& parameters, Node*& term) {
    const NameLookup name = resolveName(h, {});
    if (name.builtin != nullptr || name.entry == nullptr)
        return -2;
    unsigned char letters[12];
    int count = 0;
    Node* d = peelParameters(name.entry->second.get(), letters, count);
    if (count == 0 || isLetForm(d))
        return -2;
    std::uint32_t mask = 0;
    for (int i = 0; i < count; ++i)
        if (letters[i] >= 'a' && letters[i] <= 'z')
            mask |= std::uint32_t{1} << (letters[i] - 'a');
    parameters = count;
    if ((freeVariablesOf(d) & mask) == 0) {
        term = d;
        return -1;
    }
    if (!isAtomNode(d))
        return -2;
    for (int i = count - 1; i >= 0; --i) // the last parameter of a letter wins
        if (letters[i] == firstByteOf(d))
            return i;
    return -2;
}

// A body (h x1 .. xm) whose head h comes out as a lazy atom naming such a definition, of p
// parameters, p <= m, p the atom's arity: the machine would contract (h x1 .. xp) at once
// to the chosen xj, or to the definition's own sub-term, under the argument frames
// xm .. xp+1. Only what is taken and those frames are built here; the other arguments would
// be dropped unseen (building them classifies no atom, since the body and the arguments are
// classified already, and calls nothing). Empty when this does not apply, with nothing
// built.
NodeRef selectFromSpine(const Template& t, Node* const* args, Unwound& unwound) {
    // A strict head has its arguments worked out first: only a lazy one drops them unseen.
    Node* h = args[t.code[0].argument];
    if (!isAtomNode(h) || !kLazyHeads.lazy[firstByteOf(h)])
        return NodeRef();
    const int m = t.spine;
    const int a0 = arityOf(h);
    if (a0 < 1 || a0 > m)
        return NodeRef();
    int p = 0;
    Node* term = nullptr;
    const int chosen = selectorBody(h, p, term);
    if (chosen == -2 || p != a0)
        return NodeRef();
    WorkStack<Node*>& results = resultStack();
    const Instruction* code = t.code.data();
    const auto build = [&](int k) {
        runRange(code + t.argumentBegin[k], code + t.argumentEnd[k], args, results, false, nullptr);
        return results.pop();
    };
    for (int k = m; k > a0; --k)
        unwound.arguments[unwound.count++] = build(k);
    if (chosen >= 0)
        return NodeRef::adopt(build(chosen + 1));
    return NodeRef(term);
}

// Runs a template, leaving its spine's applications of negative arity unbuilt. With `parts`,
// a saturated application (h x1 .. xa0) that the spine would start with is left unbuilt
// too, in `parts`, and the result is null.
NodeRef runUnwound(const Template& t, Node* const* args, Unwound& unwound,
                   SpineParts* parts = nullptr) {
    unwound.count = 0;
    if (parts != nullptr)
        parts->count = 0;
    if (t.code.size() == 1) {
        // A body that is one argument or one shared term, as for most combinators.
        const Instruction& i = t.code[0];
        Node* r = i.op == Op::argument ? args[i.argument] : i.node;
        retainNode(r);
        return NodeRef::adopt(r);
    }
    if (t.argumentSpine) {
        Node* spine[Unwound::kMost + 1];
        for (int k = 0; k <= t.spine; ++k) {
            spine[k] = args[t.leaves[k]];
            retainNode(spine[k]);
        }
        return unwindSpine(spine, t.spineNodes, t.spine, unwound, parts);
    }
    if (t.parameterHead) {
        NodeRef r = selectFromSpine(t, args, unwound);
        if (!r.empty())
            return r;
    }
    WorkStack<Node*>& results = resultStack();
    if (t.spine == 0) {
        const std::size_t floor = results.size();
        run(t, args, results, false, nullptr);
        RILL_ASSERT(results.size() == floor + 1);
        return NodeRef::adopt(results.pop());
    }
    const std::size_t floor = results.size();
    Node* spineNodes[Unwound::kMost];
    run(t, args, results, true, spineNodes);
    const int m = t.spine;
    RILL_ASSERT(results.size() == floor + 1 + static_cast<std::size_t>(m));
    Node* spine[Unwound::kMost + 1];
    for (int k = 0; k <= m; ++k)
        spine[k] = results.at(floor + static_cast<std::size_t>(k));
    results.resize(floor);
    return unwindSpine(spine, spineNodes, m, unwound, parts);
}

NodeRef unwindSpine(Node* const* spine, Node* const* spineNodes, int m, Unwound& unwound,
                    SpineParts* parts) {
    // The built spine would be N1 = (h x1), ..., Nm = (Nm-1 xm), of arities a0 - 1, ...,
    // a0 - m for a head h of arity a0 that is not data and not unbounded. The machine takes
    // every Nk of negative arity apart, pushing the argument frame xk, until it reaches Nj,
    // j = a0; N1 is always built, since the machine looks at its head as a whole.
    Node* h = spine[0];
    int built = m;
    bool saturated = false;
    if (!isDataNode(h)) {
        const int a0 = arityOf(h);
        if (a0 != kUnboundedArity && a0 <= m) {
            built = a0 < 1 ? 1 : a0;
            saturated = a0 >= 1;
        }
    }
    for (int k = m; k > built; --k)
        unwound.arguments[unwound.count++] = spine[k];
    if (saturated && isAtomNode(h) && kLazyHeads.lazy[firstByteOf(h)]) {
        // (h x1 .. xa0) with h a lazy selector is contracted at once to what it takes.
        int p = 0;
        Node* term = nullptr;
        if (const int chosen = selectorBody(h, p, term); chosen != -2 && p == built) {
            Node* taken = chosen >= 0 ? spine[chosen + 1] : term;
            retainNode(taken);
            for (int k = 0; k <= built; ++k)
                releaseNode(spine[k]);
            return NodeRef::adopt(taken);
        }
    }
    if (parts != nullptr && saturated) {
        parts->head = h;
        parts->count = built;
        for (int k = 1; k <= built; ++k) {
            parts->arguments[k - 1] = spine[k];
            parts->nodes[k - 1] = spineNodes[k - 1];
        }
        return NodeRef();
    }
    // Every reference of the spine changes hands: into the focus or into the frames.
    Node* focus = h;
    for (int k = 1; k <= built; ++k)
        focus = rebuilt(spineNodes[k - 1], focus, spine[k]);
    return NodeRef::adopt(focus);
}

// True when any of the n values has the letter v free: putting the let's value in for v at
// once would then differ from putting it into the instantiated body, where those values
// stand already.
bool anyHasFree(Node* const* values, int n, unsigned char v) {
    const std::uint32_t bit = std::uint32_t{1} << (v - 'a');
    for (int i = 0; i < n; ++i)
        if ((freeVariablesOf(values[i]) & bit) != 0)
            return true;
    return false;
}

// Instantiates template t of the let level `depth` from values[0 .. n), of which those from
// `ownedFrom` on hold a reference that is handed over. A let form at the top whose value
// comes out normal is contracted here: the value joins the values and the let's body is
// taken; one whose value is still to be worked out leaves that value as the result, and
// every value in `hold`.
NodeRef descend(const Template* t, int depth, Node** values, int n, int ownedFrom, Unwound& unwound,
                LetHold& hold, SpineParts* parts) {
    WorkStack<Node*>& results = resultStack();
    for (;;) {
        if (t->letValue == nullptr || anyHasFree(values, n, t->letLetter)) {
            NodeRef r = runUnwound(*t, values, unwound, parts);
            for (int i = ownedFrom; i < n; ++i)
                releaseNode(values[i]);
            hold.depth = -1;
            return r;
        }
        const std::size_t floor = results.size();
        run(*t->letValue, values, results, false, nullptr);
        RILL_ASSERT(results.size() == floor + 1);
        Node* e = results.pop();
        if (isNormalNode(e)) {
            // { w e b with e normal => b with e put in for w
            RILL_ASSERT(n < LetHold::kMost);
            values[n++] = e;
            t = t->letBody.get();
            ++depth;
            continue;
        }
        // { w e b => (B k (\ w b)) e: e is worked out first, the rest waits in `hold`.
        for (int i = 0; i < n; ++i) {
            if (i < ownedFrom)
                retainNode(values[i]);
            hold.held[i] = values[i];
        }
        hold.count = n;
        hold.depth = depth;
        unwound.count = 0;
        if (parts != nullptr)
            parts->count = 0;
        return NodeRef::adopt(e);
    }
}

} // namespace

NodeRef instantiateDefinition(Node* definition, Node* const* args, int count, Unwound& unwound,
                              LetHold& hold, SpineParts* parts) {
    const Template& t = templateOf(definition);
    if (t.parameters != count) {
        hold.depth =
            LetHold::kNotInstantiated; // a name atom classified under an earlier definition
        return NodeRef();
    }
    if (t.letValue == nullptr) {
        hold.depth = -1;
        return runUnwound(t, args, unwound, parts);
    }
    Node* values[LetHold::kMost];
    std::copy(args, args + count, values);
    return descend(&t, 0, values, count, count, unwound, hold, parts);
}

NodeRef buildSpine(SpineParts& parts) {
    Node* focus = parts.head;
    for (int k = 0; k < parts.count; ++k)
        focus = rebuilt(parts.nodes[k], focus, parts.arguments[k]);
    parts.count = 0;
    return NodeRef::adopt(focus);
}

NodeRef resumeLet(Node* definition, int depth, Node* const* held, int count, Node* value,
                  Unwound& unwound, LetHold& hold, SpineParts* parts) {
    const Template* t = &templateOf(definition);
    for (int i = 0; i < depth; ++i)
        t = t->letBody.get();
    RILL_ASSERT(t->letBody != nullptr && t->parameters == count && count < LetHold::kMost);
    Node* values[LetHold::kMost];
    std::copy(held, held + count, values);
    values[count] = value;
    return descend(t->letBody.get(), depth + 1, values, count + 1, 0, unwound, hold, parts);
}

NodeRef instantiateTemplate(Node* definition, Node* const* args, int count) {
    const Template& t = templateOf(definition);
    RILL_ASSERT(t.parameters == count);
    WorkStack<Node*>& results = resultStack();
    const std::size_t floor = results.size();
    run(t, args, results, false, nullptr);
    RILL_ASSERT(results.size() == floor + 1);
    return NodeRef::adopt(results.pop());
}

NodeRef instantiateTemplateUnwound(Node* definition, Node* const* args, int count,
                                   Unwound& unwound) {
    const Template& t = templateOf(definition);
    if (t.parameters != count) {
        unwound.count = 0;
        return NodeRef(); // a name atom classified under an earlier definition
    }
    return runUnwound(t, args, unwound);
}

NodeRef substituteByTemplate(Node* body, Node* value, unsigned char v, Unwound& unwound) {
    RILL_ASSERT(v >= 'a' && v <= 'z');
    if (const Template* t = templateOf(body, v); t != nullptr)
        return runUnwound(*t, &value, unwound);
    unwound.count = 0;
    return NodeRef::adopt(substituteOne(body, value, v));
}

} // namespace rill
