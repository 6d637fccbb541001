#include "core/contraction.h"

#include "builtins/builtin_table.h"
#include "builtins/data_builtins.h"
#include "builtins/decimal_integers.h"
#include "builtins/real_numbers.h"
#include "core/classification.h"
#include "core/definition_table.h"
#include "core/instantiation_template.h"
#include "core/reducer.h"
#include "core/work_stack.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace rill {

namespace {

// The largest number of arguments a saturated head can take: ten parameters, seven for a
// built-in, five for a combinator.
constexpr int kMostArguments = 12;

// --- Observers, for tools that watch a run -------------------------------------------------------

BuiltinCallObserver& builtinCallObserver() {
    static BuiltinCallObserver observer = nullptr;
    return observer;
}

BuiltinResultObserver& builtinResultObserver() {
    static BuiltinResultObserver observer = nullptr;
    return observer;
}

InstantiationObserver& instantiationObserver() {
    static InstantiationObserver observer = nullptr;
    return observer;
}

// --- Building values ------------------------------------------------------------------------

// The byte tree of one payload byte: V (J (J b0 b1) (J b2 b3)) (J (J b4 b5) (J b6 b7)), each
// bit "I" when set and "H" when clear.
NodeRef byteTree(unsigned char byte) {
    auto bit = [byte](int i) { return makeLetter(((byte >> i) & 1) != 0 ? 'I' : 'H'); };
    auto pair = [&](int i) { return apply(makeLetter('J'), bit(i), bit(i + 1)); };
    auto quad = [&](int i) { return apply(makeLetter('J'), pair(i), pair(i + 2)); };
    return apply(makeLetter('V'), quad(0), quad(4));
}

// The first and rest parts of inert data: the children of an application; the init and the
// last element of a bracket string.
std::pair<NodeRef, NodeRef> dataParts(Node* d) {
    if (!isAtomNode(d))
        return {NodeRef(functionOf(d)), NodeRef(argumentOf(d))};
    const std::string_view text(atomBytes(d), measureText(d));
    RILL_ASSERT(text != "[]");
    return {stringInit(text), stringLast(text)};
}

bool isEmptyString(const Node* d) {
    return isAtomNode(d) && std::strcmp(atomBytes(d), "[]") == 0;
}

// The expansion of data into J cells: "[]" is K, any other data ((J first') rest').
NodeRef expandData(Node* root) {
    struct Frame {
        NodeRef node;
        NodeRef first;
        NodeRef rest;
        bool split = false;
    };
    std::vector<Frame> frames;
    std::vector<NodeRef> results;
    frames.push_back({NodeRef(root), {}, {}});
    while (!frames.empty()) {
        Frame& f = frames.back();
        if (!f.split) {
            if (isEmptyString(f.node.get())) {
                results.push_back(makeLetter('K'));
                frames.pop_back();
                continue;
            }
            auto [first, rest] = dataParts(f.node.get());
            f.split = true;
            Node* firstNode = first.get();
            Node* restNode = rest.get();
            f.first = std::move(first);
            f.rest = std::move(rest);
            frames.push_back({NodeRef(restNode), {}, {}});
            frames.push_back({NodeRef(firstNode), {}, {}});
            continue;
        }
        NodeRef rest = std::move(results.back());
        results.pop_back();
        NodeRef first = std::move(results.back());
        results.pop_back();
        results.push_back(apply(makeLetter('J'), std::move(first), std::move(rest)));
        frames.pop_back();
    }
    return std::move(results.back());
}

// A marker atom: ")" or "]" followed by the name.
NodeRef marker(char c, std::string_view name) {
    std::string text(1, c);
    text += name;
    return makeAtom(std::move(text));
}

// k a => k r: the continuation stays.
Contraction keep(NodeRef r) {
    return {ContractionKind::keep, std::move(r), {}, {}};
}
// k a => I r: the continuation is dropped, and the run ends with r.
Contraction drop(NodeRef r) {
    return {ContractionKind::drop, std::move(r), {}, {}};
}
// k ({ v e body) with e not yet normal => (B k (\ v body)) e: the value is worked out first.
Contraction evaluateLetValue(Node* v, Node* e, Node* body) {
    NodeRef lambda = apply(makeLetter('\\'), NodeRef(v), NodeRef(body));
    return {ContractionKind::evaluate, NodeRef(e), std::move(lambda), {}};
}

// --- The contraction rules ------------------------------------------------------------------

// k ("0" x) => k (K x); k (n x) => k (V b r) for any other number n, b and r the parts of its
// unfolding (b "K" for a negative n, "H" otherwise).
Contraction contractNumber(std::string_view s, Node* a1) {
    if (s == "0")
        return keep(apply(makeLetter('K'), NodeRef(a1)));
    auto [b, r] = unfoldNumber(s);
    return keep(apply(makeLetter('V'), std::move(b), std::move(r)));
}

// k ("[]" x) => k (x (X J) K); k (d G) => k (V first rest); k (d x) => k (x (X J) expand(d))
// for any other data d.
Contraction contractData(Node* h, Node* a1) {
    NodeRef x(a1);
    if (isEmptyString(h))
        return keep(apply(std::move(x), apply(makeLetter('X'), makeLetter('J')), makeLetter('K')));
    if (isAtomNode(a1) && atomBytes(a1)[0] == 'G') {
        auto [first, rest] = dataParts(h);
        return keep(apply(makeLetter('V'), std::move(first), std::move(rest)));
    }
    return keep(apply(std::move(x), apply(makeLetter('X'), makeLetter('J')), expandData(h)));
}

// k (block x) => k Z for an empty block; k (byte tree) for a one-byte block; k (V first rest)
// for a longer one, split at the largest power of two below the length.
Contraction contractBlock(std::string_view s) {
    const std::size_t open = s.find(')');
    const std::string_view payload = s.substr(open + 1);
    const std::size_t p = payload.size();
    if (p == 0)
        return keep(makeLetter('Z'));
    if (p == 1)
        return keep(byteTree(static_cast<unsigned char>(payload[0])));
    std::size_t q = 1;
    while (q * 2 < p)
        q *= 2;
    return keep(apply(makeLetter('V'), makeAtom(blockText(payload.substr(0, q))),
                      makeAtom(blockText(payload.substr(q)))));
}

// k (r x) => k (E x) for a real r, E the bit tree of its 64 bits.
Contraction contractReal(std::string_view s, Node* a1) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, s.data() + 1, sizeof bits);
    return keep(apply(realBitTree(bits), NodeRef(a1)));
}

// k (")c" v) => k v, and v becomes c's entry; a lambda form v is wrapped as B I v first (in
// the entry and the result), so that the name keeps arity 0.
Contraction contractUpdate(std::string_view s, Node* a1) {
    const std::string_view name = s.substr(1);
    DefinitionTable& table = definitionTable();
    auto entry = table.find(name);
    RILL_ASSERT(entry != table.end());
    RILL_ASSERT(onceNames().find(name) == onceNames().end());
    NodeRef value(a1);
    if (isLambdaForm(a1))
        value = apply(makeLetter('B'), makeLetter('I'), std::move(value));
    DefinitionTable::storeValue(*entry, value);
    return keep(std::move(value));
}

// A defined name:
//   k c => k d                for a constant c whose entry d is normal, or a once-name;
//   k c => I ")c"             for a constant whose entry is ")": it needs its own value;
//   k c => k (")c" d)         for any other constant, with ")" as its entry meanwhile;
//   k (f x1 .. xn) => k body[x1/p1 .. xn/pn]   for f = \p1 .. \pn body;
//   k (s ..) => I "]s"        for a name s without a definition.
Contraction contractName(std::string_view s, DefinitionTable::value_type* entry, Node* const* args,
                         int count, Instantiation how) {
    if (entry == nullptr)
        return drop(marker(']', s));
    if (how == Instantiation::compiledTemplate && isLambdaForm(entry->second.get())) {
        Contraction c{ContractionKind::keep, {}, {}, {}};
        c.focus = instantiateTemplateUnwound(entry->second.get(), args, count, c.unwound);
        if (c.focus.empty())
            return drop(marker(']', s)); // a stale name, as below
        return c;
    }
    NodeRef d = entry->second;
    unsigned char letters[kMostArguments];
    int parameters = 0;
    while (isLambdaForm(d.get())) {
        RILL_ASSERT(parameters < kMostArguments);
        letters[parameters++] = firstByteOf(argumentOf(functionOf(d.get())));
        d = NodeRef(argumentOf(d.get()));
    }
    // A name atom counts its arguments by the definition it had when it was classified. One
    // that a load answered outlives the definition; the name may be defined again since, with
    // another number of parameters. The definition it was made for is gone: no definition.
    if (parameters != count)
        return drop(marker(']', s));
    if (parameters == 0) {
        if (firstByte(d) == ')')
            return drop(marker(')', s));
        if (isNormal(d) || onceNames().find(s) != onceNames().end())
            return keep(std::move(d));
        if (InstantiationObserver observer = instantiationObserver(); observer != nullptr)
            observer(s, args, 0);
        NodeRef update = marker(')', s);
        DefinitionTable::storeValue(*entry, makeAtom(")"));
        return keep(apply(std::move(update), std::move(d)));
    }
    if (InstantiationObserver observer = instantiationObserver(); observer != nullptr)
        observer(s, args, count);
    // Substituting every argument in one walk gives the same term as substituting them one
    // after the other, last first: the arguments are closed terms.
    Node* values[26] = {};
    std::uint32_t mask = 0;
    for (int i = parameters - 1; i >= 0; --i) {
        const unsigned char v = letters[i];
        RILL_ASSERT(v >= 'a' && v <= 'z');
        if ((mask & (std::uint32_t{1} << (v - 'a'))) != 0)
            continue; // a later parameter of the same letter hides this one
        mask |= std::uint32_t{1} << (v - 'a');
        values[v - 'a'] = args[i];
    }
    return keep(substituteLetters(std::move(d), values, mask));
}

// True when d is \x \y (y x) for two different letters: the Prelude's T a b = b a, which
// lets a machine apply a value to an argument frame's y at once: (B q (T y)) v => q (v y).
bool isSwapDefinition(const Node* d) {
    if (!isLambdaForm(d) || !isLambdaForm(argumentOf(d)))
        return false;
    const Node* x = argumentOf(functionOf(d));
    const Node* y = argumentOf(functionOf(argumentOf(d)));
    const Node* body = argumentOf(argumentOf(d));
    if (isAtomNode(body) || !isAtomNode(x) || !isAtomNode(y))
        return false;
    const auto letterOf = [](const Node* n) {
        const char* s = atomBytes(n);
        return s[0] >= 'a' && s[0] <= 'z' && s[1] == '\0' ? s[0] : '\0';
    };
    const char vx = letterOf(x);
    const char vy = letterOf(y);
    const Node* f = functionOf(body);
    const Node* a = argumentOf(body);
    return vx != '\0' && vy != '\0' && vx != vy && isAtomNode(f) && isAtomNode(a) &&
           letterOf(f) == vy && letterOf(a) == vx;
}

} // namespace

NameLookup resolveName(const Node* h, std::string_view s) {
    // A slot holds a reference on its atom, so the address cannot be reused by another atom
    // while the slot names it, and an atom's text never changes: the address and the stamp
    // are the whole check.
    struct Slot {
        Node* atom = nullptr;
        std::uint64_t generation = 0;
        NameLookup answer{};
    };
    constexpr std::size_t kSlots = 2048;
    static Slot slots[kSlots];
    const std::uint64_t generation = currentGeneration();
    const auto address = reinterpret_cast<std::uintptr_t>(h);
    Slot& slot = slots[(address >> 4 ^ address >> 15) & (kSlots - 1)];
    if (slot.atom == h && slot.generation == generation)
        return slot.answer;
    if (s.data() == nullptr)
        s = std::string_view(atomBytes(h), measureText(h));
    const NameLookup answer = lookUpName(s);
    Node* atom = const_cast<Node*>(h);
    retainNode(atom);
    if (slot.atom != nullptr)
        releaseNode(slot.atom);
    slot.atom = atom;
    slot.generation = generation;
    slot.answer = answer;
    return answer;
}

Node* normalConstantOf(Node* h) {
    if (!isAtomNode(h) || arityOf(h) != 0)
        return nullptr;
    const NameLookup name = resolveName(h, {});
    if (name.builtin != nullptr || name.entry == nullptr)
        return nullptr;
    Node* d = name.entry->second.get();
    if (isLambdaForm(d) || firstByteOf(d) == ')' || !isNormalNode(d))
        return nullptr;
    return d;
}

void observeBuiltinCalls(BuiltinCallObserver observer) {
    builtinCallObserver() = observer;
}

void observeBuiltinResults(BuiltinResultObserver observer) {
    builtinResultObserver() = observer;
}

void observeInstantiations(InstantiationObserver observer) {
    instantiationObserver() = observer;
}

NodeRef callBuiltin(const BuiltinEntry& builtin, NodeRef call) {
    if (BuiltinCallObserver observer = builtinCallObserver(); observer != nullptr)
        observer(call);
    if (BuiltinResultObserver observer = builtinResultObserver(); observer != nullptr) {
        NodeRef r = callImplementation(builtin, std::move(call));
        observer(r);
        return r;
    }
    return callImplementation(builtin, std::move(call));
}

bool isRunEndingMarker(Node* r) {
    if (isAtomNode(r))
        return false;
    const unsigned char head = firstByteOf(functionOf(r));
    return head == ')' || head == ']';
}

// k (f a1 .. an) => k r for a built-in f whose implementation answers r; an r headed by a
// marker (")" or "]") ends the run: I r.
Contraction contractBuiltin(const BuiltinEntry& builtin, NodeRef call) {
    NodeRef r = callBuiltin(builtin, std::move(call));
    if (isRunEndingMarker(r.get()))
        return drop(std::move(r));
    return keep(std::move(r));
}

NodeRef makeLetter(char c) {
    return NodeRef(newLetterNode(c));
}

bool isSwappingTAfterChange() {
    const DefinitionTable& table = definitionTable();
    swappingT.generation = currentGeneration();
    const auto found = table.find("T");
    swappingT.answer = found != table.end() && isSwapDefinition(found->second.get());
    return swappingT.answer;
}

Contraction contractFocus(NodeRef a, Instantiation how) {
    Node* an = a.get();
    RILL_ASSERT(arityOf(an) == 0 && !isDataNode(an));
    // The head h and the arguments a1 .. an in application order, down the spine.
    Node* args[kMostArguments];
    int count = 0;
    Node* h = an;
    while (!isAtomNode(h) && !isDataNode(h)) {
        RILL_ASSERT(count < kMostArguments);
        args[count++] = argumentOf(h);
        h = functionOf(h);
    }
    for (int i = 0, j = count - 1; i < j; ++i, --j)
        std::swap(args[i], args[j]);
    const std::string_view s =
        isAtomNode(h) ? std::string_view(atomBytes(h), measureText(h)) : std::string_view();
    const unsigned char first = s.empty() ? 0 : static_cast<unsigned char>(s[0]);

    // The rules by the head, tried in this order: a built-in, the let and lambda forms, a
    // number, data, a block, a real, an update marker, and last a defined name.
    NameLookup name{nullptr, nullptr};
    if (first >= 'a' && first <= 'z') {
        name = resolveName(h, s);
        if (name.builtin != nullptr)
            return contractBuiltin(*name.builtin, std::move(a));
    }
    if (s == "{") {
        // k ({ v e body) => k body[e/v] once e is normal; else (B k (\ v body)) e.
        RILL_ASSERT(count == 3);
        Node* v = args[0];
        if (isNormalNode(args[1]))
            return keep(substitute(NodeRef(args[2]), NodeRef(args[1]), firstByteOf(v)));
        return evaluateLetValue(v, args[1], args[2]);
    }
    if (s == "\\") {
        // k (\ v body x) => k body[x/v]
        RILL_ASSERT(count == 3);
        return keep(substitute(NodeRef(args[1]), NodeRef(args[2]), firstByteOf(args[0])));
    }
    if (first >= '0' && first <= '9')
        return contractNumber(s, args[0]);
    if (isDataNode(h))
        return contractData(h, args[0]);
    if (first == '(')
        return contractBlock(s);
    if (first == ' ')
        return contractReal(s, args[0]);
    if (first == ')')
        return contractUpdate(s, args[0]);
    if (name.entry == nullptr)
        name = resolveName(h, s);
    return contractName(s, name.entry, args, count, how);
}

NodeRef substituteLetters(NodeRef body, Node* const* values, std::uint32_t mask) {
    if ((freeVariablesOf(body.get()) & mask) == 0)
        return body;
    enum class Stage : std::uint8_t { Enter, Rebuild, RebuildLet, RebuildLambda };
    struct Frame {
        Node* node;
        std::uint32_t mask;
        Stage stage;
    };
    static auto& frames = *new WorkStack<Frame>;
    static auto& results = *new WorkStack<NodeRef>;
    const std::size_t frameFloor = frames.size();
    const std::size_t resultFloor = results.size();
    frames.push({body.get(), mask, Stage::Enter});
    while (!frames.empty(frameFloor)) {
        Frame& f = frames.top();
        Node* n = f.node;
        const std::uint32_t m = f.mask;
        switch (f.stage) {
        case Stage::Enter: {
            const std::uint32_t free = freeVariablesOf(n);
            if ((free & m) == 0) {
                frames.pop();
                results.push(NodeRef(n));
            } else if (isAtomNode(n)) {
                frames.pop(); // a variable in the mask
                results.push(NodeRef(values[atomBytes(n)[0] - 'a']));
            } else if (isLambdaForm(n)) {
                // (\ w) b => (\ w) b': w hides its letter from b.
                f.stage = Stage::RebuildLambda;
                const unsigned char w = firstByteOf(argumentOf(functionOf(n)));
                const std::uint32_t hidden =
                    w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
                frames.push({argumentOf(n), m & ~hidden, Stage::Enter});
            } else if (isLetForm(n)) {
                // { w e b => { w e' b': the value e sees the outer letters; b does not see w.
                f.stage = Stage::RebuildLet;
                const unsigned char w = firstByteOf(letBinder(n));
                const std::uint32_t hidden =
                    w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
                frames.push({argumentOf(n), m & ~hidden, Stage::Enter});
                frames.push({letValue(n), m, Stage::Enter});
            } else {
                // (p x) => (p' x')
                f.stage = Stage::Rebuild;
                frames.push({argumentOf(n), m, Stage::Enter});
                frames.push({functionOf(n), m, Stage::Enter});
            }
            break;
        }
        case Stage::Rebuild: {
            frames.pop();
            NodeRef x = results.pop();
            NodeRef p = results.pop();
            if (p.get() == functionOf(n) && x.get() == argumentOf(n)) {
                results.push(NodeRef(n));
            } else {
                NodeRef made = apply(std::move(p), std::move(x));
                classifyIfPartsAre(made.get()); // its facts follow from its parts' alone
                results.push(std::move(made));
            }
            break;
        }
        case Stage::RebuildLet: {
            frames.pop();
            NodeRef b = results.pop();
            NodeRef e = results.pop();
            results.push(apply(NodeRef(functionOf(functionOf(n))), std::move(e), std::move(b)));
            break;
        }
        case Stage::RebuildLambda: {
            frames.pop();
            NodeRef b = results.pop();
            results.push(apply(NodeRef(functionOf(n)), std::move(b)));
            break;
        }
        }
    }
    RILL_ASSERT(results.size() == resultFloor + 1);
    return results.pop();
}

} // namespace rill
