#include "core/reducer.h"

#include "builtins/builtin_table.h"
#include "builtins/data_builtins.h"
#include "builtins/decimal_integers.h"
#include "builtins/real_numbers.h"
#include "core/classification.h"
#include "front/definition_intake.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace rill {

namespace {

// The largest number of arguments a saturated head can take: ten parameters, seven for a
// built-in, five for a combinator.
constexpr int kMostArguments = 12;

// A new one-byte atom: the machine makes its combinators afresh, as every atom is its own.
NodeRef letter(char c) {
    const char text[2] = {c, '\0'};
    return NodeRef(newAtomNode(text, 1));
}


Node* letBinder(const Node* n) {
    return argumentOf(functionOf(functionOf(n)));
}
Node* letValue(const Node* n) {
    return argumentOf(functionOf(n));
}

// The lazy heads: their arguments are handed over untouched.
struct LazyHeads {
    bool lazy[256] = {};
    constexpr LazyHeads() {
        for (char c : std::string_view("&|ABCDEFHIJKLNQRTUVXZ"))
            lazy[static_cast<unsigned char>(c)] = true;
    }
};
constexpr LazyHeads kLazyHeads;

// ((B K) X): continue with K on (X v).
NodeRef plugFrame(NodeRef k, NodeRef x) {
    return apply(letter('B'), std::move(k), std::move(x));
}
// An argument frame: the value will be applied to y.
NodeRef argumentFrame(NodeRef k, NodeRef y) {
    return plugFrame(std::move(k), apply(letter('T'), std::move(y)));
}

// True when the continuation is an argument frame ((B Q) (T y)).
bool isArgumentFrame(const Node* k) {
    if (isAtomNode(k) || isAtomNode(functionOf(k)))
        return false;
    const Node* x = argumentOf(k);
    return !isAtomNode(x) && firstByteOf(functionOf(x)) == 'T';
}

// --- Building values ------------------------------------------------------------------------

// The byte tree of one payload byte: V (J (J b0 b1) (J b2 b3)) (J (J b4 b5) (J b6 b7)), each
// bit "I" when set and "H" when clear.
NodeRef byteTree(unsigned char byte) {
    auto bit = [byte](int i) { return letter(((byte >> i) & 1) != 0 ? 'I' : 'H'); };
    auto pair = [&](int i) { return apply(letter('J'), bit(i), bit(i + 1)); };
    auto quad = [&](int i) { return apply(letter('J'), pair(i), pair(i + 2)); };
    return apply(letter('V'), quad(0), quad(4));
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
                results.push_back(letter('K'));
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
        results.push_back(apply(letter('J'), std::move(first), std::move(rest)));
        frames.pop_back();
    }
    return std::move(results.back());
}

// A stack of work items that grows and never shrinks: the walks below push and pop millions
// of items, so the common path is a store and an increment.
template <class T> class WorkStack {
public:
    bool empty(std::size_t floor) const { return size_ == floor; }
    std::size_t size() const { return size_; }
    void push(T item) {
        if (size_ == items_.size())
            items_.resize(items_.size() * 2 + 64);
        items_[size_++] = std::move(item);
    }
    T& top() { return items_[size_ - 1]; }
    T pop() { return std::move(items_[--size_]); }

private:
    std::vector<T> items_;
    std::size_t size_ = 0;
};

// The body with every free occurrence of each letter in the mask replaced by its value, all at
// once. Only the nodes whose free letters meet the mask are rebuilt, from an explicit work
// list; every other sub-term is shared unchanged. A lambda or let binder hides its letter
// from its body.
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
                f.stage = Stage::RebuildLambda;
                const unsigned char w = firstByteOf(argumentOf(functionOf(n)));
                const std::uint32_t hidden =
                    w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
                frames.push({argumentOf(n), m & ~hidden, Stage::Enter});
            } else if (isLetForm(n)) {
                // { w e b: the value e sees the outer letters; the body does not see w.
                f.stage = Stage::RebuildLet;
                const unsigned char w = firstByteOf(letBinder(n));
                const std::uint32_t hidden =
                    w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
                frames.push({argumentOf(n), m & ~hidden, Stage::Enter});
                frames.push({letValue(n), m, Stage::Enter});
            } else {
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
            if (p.get() == functionOf(n) && x.get() == argumentOf(n))
                results.push(NodeRef(n));
            else
                results.push(apply(std::move(p), std::move(x)));
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

// --- The steps of the machine ---------------------------------------------------------------

// True when two terms have the same structure and atom texts.
bool haveSameStructure(Node* a, Node* b) {
    std::vector<std::pair<Node*, Node*>> work{{a, b}};
    while (!work.empty()) {
        auto [x, y] = work.back();
        work.pop_back();
        if (x == y)
            continue;
        if (isAtomNode(x) != isAtomNode(y))
            return false;
        if (isAtomNode(x)) {
            if (std::string_view(atomBytes(x), measureText(x)) !=
                std::string_view(atomBytes(y), measureText(y)))
                return false;
            continue;
        }
        work.emplace_back(functionOf(x), functionOf(y));
        work.emplace_back(argumentOf(x), argumentOf(y));
    }
    return true;
}

// True while "T" has the Prelude's definition T a b = b a, so that an argument frame may hand
// its argument to the value at once: ((T y) v) would contract to (v y) in the next step.
bool isPreludeT() {
    static auto& seen = *new NodeRef;
    static bool answer = false;
    const NameLookup name = lookUpName("T");
    if (name.entry == nullptr)
        return false;
    if (seen.empty() || seen.get() != name.entry->second.get()) {
        seen = name.entry->second;
        const auto prelude = preludeDefinitions().find("T");
        answer = prelude != preludeDefinitions().end() &&
                 haveSameStructure(seen.get(), prelude->second.get());
    }
    return answer;
}

// (B Q X) v => Q (X v); with an argument frame X = (T y) and the Prelude's T, that is Q (v y).
NodeRef plugValue(NodeRef k, NodeRef a) {
    RILL_ASSERT(isApplication(k) && isApplication(functionPart(k)));
    auto [bq, x] = takeParts(std::move(k));
    auto [b, q] = takeParts(std::move(bq));
    RILL_ASSERT(firstByte(b) == 'B');
    if (isApplication(x) && isOneByteAtomOf(functionOf(x.get()), 'T') && isPreludeT()) {
        auto [t, y] = takeParts(std::move(x));
        return apply(std::move(q), apply(std::move(a), std::move(y)));
    }
    return apply(std::move(q), apply(std::move(x), std::move(a)));
}

// K (p a) => (B K (T a)) p: the focus moves to the function part.
NodeRef focusOnFunction(NodeRef k, NodeRef a) {
    auto [p, x] = takeParts(std::move(a));
    return apply(argumentFrame(std::move(k), std::move(x)), std::move(p));
}

// K (p a) => (B K p) a: the argument is evaluated under a frame that applies p to it.
NodeRef focusOnArgument(NodeRef k, NodeRef a) {
    auto [p, x] = takeParts(std::move(a));
    return apply(plugFrame(std::move(k), std::move(p)), std::move(x));
}

NodeRef contractFocus(NodeRef k, NodeRef a);

// A saturated focus: lazy heads, data and terms with nothing pending are contracted; a let
// form evaluates its value first; otherwise the function part, then the argument is worked on.
NodeRef stepSaturated(NodeRef k, NodeRef a) {
    Node* an = a.get();
    if (isLazyHeadNode(an) || isDataNode(an) || !isPendingNode(an))
        return contractFocus(std::move(k), std::move(a));
    if (isLetForm(an)) {
        Node* e = letValue(an);
        if (isNormalNode(e))
            return contractFocus(std::move(k), std::move(a));
        // K ({ v e body) => (B K (\ v body)) e
        NodeRef lambda = apply(letter('\\'), NodeRef(letBinder(an)), NodeRef(argumentOf(an)));
        return apply(plugFrame(std::move(k), std::move(lambda)), NodeRef(e));
    }
    Node* p = functionOf(an);
    if (isDataNode(p) || !isPendingNode(p))
        return focusOnArgument(std::move(k), std::move(a));
    return focusOnFunction(std::move(k), std::move(a));
}

// A partial application with work inside. A lazy head takes its missing arguments from the
// argument frames on the continuation when there are enough of them; otherwise the parts are
// brought into normal form, function part first.
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
            return contractFocus(std::move(k), std::move(a));
        }
    }
    if (isNormalNode(functionOf(a.get())))
        return focusOnArgument(std::move(k), std::move(a));
    return focusOnFunction(std::move(k), std::move(a));
}

// --- Contraction ----------------------------------------------------------------------------

// The result of a built-in: a marker at its head drops the continuation.
NodeRef afterBuiltin(NodeRef k, NodeRef r) {
    if (isApplication(r)) {
        const unsigned char head = firstByteOf(functionOf(r.get()));
        if (head == ')' || head == ']')
            return apply(letter('I'), std::move(r));
    }
    return apply(std::move(k), std::move(r));
}

// A number at the head: "0" x => K x; any other n => V b r with the parts of its unfolding.
NodeRef contractNumber(NodeRef k, std::string_view s, Node* a1) {
    if (s == "0")
        return apply(std::move(k), apply(letter('K'), NodeRef(a1)));
    auto [b, r] = unfoldNumber(s);
    return apply(std::move(k), apply(letter('V'), std::move(b), std::move(r)));
}

// Data at the head: "[]" x => x (X J) K; d G => V first rest; d x => x (X J) expand(d).
NodeRef contractData(NodeRef k, Node* h, Node* a1) {
    NodeRef x(a1);
    if (isEmptyString(h))
        return apply(std::move(k),
                     apply(std::move(x), apply(letter('X'), letter('J')), letter('K')));
    if (isAtomNode(a1) && atomBytes(a1)[0] == 'G') {
        auto [first, rest] = dataParts(h);
        return apply(std::move(k), apply(letter('V'), std::move(first), std::move(rest)));
    }
    return apply(std::move(k), apply(std::move(x), apply(letter('X'), letter('J')), expandData(h)));
}

// A data block at the head: empty => Z; one byte => its byte tree; more => V first rest, split
// at the largest power of two below the length.
NodeRef contractBlock(NodeRef k, std::string_view s) {
    const std::size_t open = s.find(')');
    const std::string_view payload = s.substr(open + 1);
    const std::size_t p = payload.size();
    if (p == 0)
        return apply(std::move(k), letter('Z'));
    if (p == 1)
        return apply(std::move(k), byteTree(static_cast<unsigned char>(payload[0])));
    std::size_t q = 1;
    while (q * 2 < p)
        q *= 2;
    return apply(std::move(k), apply(letter('V'), makeAtom(blockText(payload.substr(0, q))),
                                     makeAtom(blockText(payload.substr(q)))));
}

// A real at the head: r x => K (E x), E the bit tree of the real's 64 bits.
NodeRef contractReal(NodeRef k, std::string_view s, Node* a1) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, s.data() + 1, sizeof bits);
    return apply(std::move(k), apply(realBitTree(bits), NodeRef(a1)));
}

// An update marker: the value of a constant is known; it replaces the constant's entry.
NodeRef contractUpdate(NodeRef k, std::string_view s, Node* a1) {
    const std::string_view name = s.substr(1);
    DefinitionTable& table = definitionTable();
    auto entry = table.find(name);
    RILL_ASSERT(entry != table.end());
    RILL_ASSERT(onceNames().find(name) == onceNames().end());
    NodeRef value(a1);
    // A lambda value is wrapped so that the name keeps arity 0 whatever its value is.
    if (isLambdaForm(a1))
        value = apply(letter('B'), letter('I'), std::move(value));
    entry->second = value;
    return apply(std::move(k), std::move(value));
}

// A marker atom: ")" or "]" followed by the name.
NodeRef marker(char c, std::string_view name) {
    std::string text(1, c);
    text += name;
    return makeAtom(std::move(text));
}

// A defined name: a constant is evaluated once and stored back; a definition with parameters
// is instantiated by substituting the arguments for its letters, the last one first.
NodeRef contractName(NodeRef k, std::string_view s, DefinitionTable::value_type* entry,
                     Node* const* args, int count) {
    if (entry == nullptr)
        return apply(letter('I'), marker(']', s));
    NodeRef d = entry->second;
    unsigned char letters[kMostArguments];
    int parameters = 0;
    while (isLambdaForm(d.get())) {
        RILL_ASSERT(parameters < kMostArguments);
        letters[parameters++] = firstByteOf(argumentOf(functionOf(d.get())));
        d = NodeRef(argumentOf(d.get()));
    }
    if (parameters == 0) {
        if (firstByte(d) == ')')
            return apply(letter('I'), marker(')', s));
        if (isNormal(d) || onceNames().find(s) != onceNames().end())
            return apply(std::move(k), std::move(d));
        NodeRef update = marker(')', s);
        entry->second = makeAtom(")");
        return apply(std::move(k), apply(std::move(update), std::move(d)));
    }
    RILL_ASSERT(parameters == count);
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
    return apply(std::move(k), substituteLetters(std::move(d), values, mask));
}

// Contracts the saturated focus a under the continuation k.
NodeRef contractFocus(NodeRef k, NodeRef a) {
    Node* an = a.get();
    RILL_ASSERT(arityOf(an) == 0 && !isDataNode(an));
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

    NameLookup name{nullptr, nullptr};
    if (first >= 'a' && first <= 'z') {
        name = lookUpName(s);
        if (name.builtin != nullptr)
            return afterBuiltin(std::move(k), name.builtin->implementation(std::move(a)));
    }
    if (s == "{") {
        RILL_ASSERT(count == 3);
        Node* v = args[0];
        if (isNormalNode(args[1]))
            return apply(std::move(k),
                         substitute(NodeRef(args[2]), NodeRef(args[1]), firstByteOf(v)));
        NodeRef lambda = apply(letter('\\'), NodeRef(v), NodeRef(args[2]));
        return apply(plugFrame(std::move(k), std::move(lambda)), NodeRef(args[1]));
    }
    if (s == "\\") {
        RILL_ASSERT(count == 3);
        return apply(std::move(k),
                     substitute(NodeRef(args[1]), NodeRef(args[2]), firstByteOf(args[0])));
    }
    if (first >= '0' && first <= '9')
        return contractNumber(std::move(k), s, args[0]);
    if (isDataNode(h))
        return contractData(std::move(k), h, args[0]);
    if (first == '(')
        return contractBlock(std::move(k), s);
    if (first == ' ')
        return contractReal(std::move(k), s, args[0]);
    if (first == ')')
        return contractUpdate(std::move(k), s, args[0]);
    if (name.entry == nullptr)
        name = lookUpName(s);
    return contractName(std::move(k), s, name.entry, args, count);
}

} // namespace

bool isNormalNode(Node* term) {
    return isDataNode(term) || (arityOf(term) >= 1 && !isPendingNode(term));
}

bool isNormal(const NodeRef& term) {
    return isNormalNode(term.get());
}

bool isLazyHeadNode(Node* term) {
    Node* h = term;
    while (!isAtomNode(h) && !isDataNode(h))
        h = functionOf(h);
    return kLazyHeads.lazy[firstByteOf(h)];
}

bool isLazyHead(const NodeRef& term) {
    return isLazyHeadNode(term.get());
}

NodeRef normalize(NodeRef term) {
    NodeRef machine = apply(letter('I'), std::move(term));
    for (;;) {
        Node* k = functionOf(machine.get());
        Node* a = argumentOf(machine.get());
        if (isAtomNode(k) && atomBytes(k)[0] == 'I' && isNormalNode(a))
            return NodeRef(a);
        machine = step(std::move(machine));
    }
}

NodeRef step(NodeRef machine) {
    auto [k, a] = takeParts(std::move(machine)); // machine = (K A)
    if (isNormalNode(a.get()))
        return plugValue(std::move(k), std::move(a)); // (B Q X) v => Q (X v)
    const int n = arityOf(a.get());
    if (n < 0)
        return focusOnFunction(std::move(k), std::move(a)); // K (p a) => (B K (T a)) p
    if (n == 0)
        return stepSaturated(std::move(k), std::move(a));
    return stepPartial(std::move(k), std::move(a), n);
}

NodeRef contract(NodeRef machine) {
    auto [k, a] = takeParts(std::move(machine));
    return contractFocus(std::move(k), std::move(a));
}

NodeRef substitute(NodeRef body, NodeRef value, unsigned char v) {
    RILL_ASSERT(v >= 'a' && v <= 'z');
    Node* values[26] = {};
    values[v - 'a'] = value.get();
    return substituteLetters(std::move(body), values, std::uint32_t{1} << (v - 'a'));
}

} // namespace rill
