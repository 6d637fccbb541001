#include "middle/definition_compilation.h"

#include "core/assertion.h"
#include "core/definition_names.h"
#include "front/definition_intake.h"
#include "middle/value_rendering.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rill {

namespace {

NodeRef oneByteAtom(char c) {
    return makeAtom(std::string_view(&c, 1));
}

// The let form ((({ v) e) b) made of new "{" atoms.
NodeRef letForm(NodeRef v, NodeRef e, NodeRef b) {
    return apply(makeAtom("{"), std::move(v), std::move(e), std::move(b));
}

// The application of the two rebuilt parts, or n itself when neither part changed.
NodeRef rebuilt(Node* n, NodeRef p, NodeRef x) {
    if (p.get() == functionOf(n) && x.get() == argumentOf(n))
        return NodeRef(n);
    return apply(std::move(p), std::move(x));
}

// Takes the last two results off the list: the one before the last, then the last.
std::pair<NodeRef, NodeRef> popTwo(std::vector<NodeRef>& results) {
    NodeRef second = std::move(results.back());
    results.pop_back();
    NodeRef first = std::move(results.back());
    results.pop_back();
    return {std::move(first), std::move(second)};
}

NodeRef popOne(std::vector<NodeRef>& results) {
    NodeRef last = std::move(results.back());
    results.pop_back();
    return last;
}

// The binder of a pair let: an application of two atoms that are both valid names.
bool isPairBinder(const Node* v) {
    return !isAtomNode(v) && isAtomNode(functionOf(v)) && isAtomNode(argumentOf(v)) &&
           isDefinitionName(atomTextOf(functionOf(v))) &&
           isDefinitionName(atomTextOf(argumentOf(v)));
}

// True when the binder is a valid name whose key is the name.
bool binderHasKey(const Node* v, std::string_view name) {
    if (!isAtomNode(v))
        return false;
    const std::string_view text = atomTextOf(v);
    return isDefinitionName(text) && definitionKey(text) == name;
}

// The structural hash of every node of a term: an atom's by its measured text, an
// application's from its parts' hashes. Equal structures have equal hashes.
using TermHashes = std::unordered_map<const Node*, std::uint64_t>;

std::uint64_t mixHash(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9;
    h ^= h >> 27;
    h *= 0x94d049bb133111eb;
    return h ^ (h >> 31);
}

std::uint64_t atomHash(const Node* atom) {
    std::uint64_t h = 0xcbf29ce484222325; // FNV-1a over the text
    for (const char c : atomTextOf(atom)) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3;
    }
    return mixHash(h);
}

std::uint64_t applicationHash(std::uint64_t function, std::uint64_t argument) {
    return mixHash(function * 0x9e3779b97f4a7c15 + argument + 0x632be59bd9b4e019);
}

TermHashes hashTerm(const Node* root) {
    TermHashes hashes;
    std::vector<std::pair<const Node*, bool>> work{{root, false}};
    while (!work.empty()) {
        auto [n, expanded] = work.back();
        if (hashes.find(n) != hashes.end()) {
            work.pop_back();
            continue;
        }
        if (isAtomNode(n)) {
            hashes.emplace(n, atomHash(n));
            work.pop_back();
            continue;
        }
        if (!expanded) {
            work.back().second = true;
            work.emplace_back(argumentOf(n), false);
            work.emplace_back(functionOf(n), false);
            continue;
        }
        work.pop_back();
        const std::uint64_t p = hashes.at(functionOf(n));
        const std::uint64_t x = hashes.at(argumentOf(n));
        hashes.emplace(n, applicationHash(p, x));
    }
    return hashes;
}

// The member with the node's structure, or null.
Node* findMember(const SharedTerms& terms, const Node* n, std::uint64_t hash) {
    return terms.members.find(hash,
                              [n](const Node* member) { return compareTerms(member, n) == 0; });
}

// The members of a set being filled from empty, found by the identities of their parts: an
// atom by its text, an application by the two nodes it applies. Each member holds one
// reference until releaseAll.
class MemberIndex {
public:
    // The member with the atom's text, whose structural hash is given.
    Node* findAtom(const Node* atom, std::uint64_t hash) const {
        const std::string_view text = atomTextOf(atom);
        return find(hash, [text](const Node* m) { return isAtomNode(m) && atomTextOf(m) == text; });
    }
    Node* findApplication(const Node* p, const Node* x) const {
        return find(pairHash(p, x), [p, x](const Node* m) {
            return !isAtomNode(m) && functionOf(m) == p && argumentOf(m) == x;
        });
    }
    // Files a node whose structure has no member yet, taking over one reference on it; an
    // atom comes with its structural hash.
    void insert(Node* n, std::uint64_t atomHashValue) {
        if (!hasRoomFor(count_ + 1))
            grow();
        place(n, isAtomNode(n) ? atomHashValue : pairHash(functionOf(n), argumentOf(n)));
        ++count_;
    }
    // Makes room for n members without growing on the way (the index must be empty).
    void reserve(std::size_t n) {
        RILL_ASSERT(count_ == 0);
        std::size_t capacity = 1024;
        while (!hasRoomFor(n, capacity))
            capacity *= 2;
        slots_.assign(capacity, nullptr);
    }
    void releaseAll() {
        for (Node* n : slots_)
            if (n != nullptr)
                releaseNode(n);
        std::vector<Node*>().swap(slots_);
        count_ = 0;
    }

private:
    // At most 70% of the slots are taken.
    bool hasRoomFor(std::size_t n) const { return hasRoomFor(n, slots_.size()); }
    static bool hasRoomFor(std::size_t n, std::size_t capacity) { return 10 * n <= 7 * capacity; }

    static std::uint64_t pairHash(const Node* p, const Node* x) {
        return mixHash(reinterpret_cast<std::uintptr_t>(p) * 0x9e3779b97f4a7c15 +
                       reinterpret_cast<std::uintptr_t>(x));
    }
    template <class Same> Node* find(std::uint64_t hash, Same same) const {
        if (count_ == 0)
            return nullptr;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Node* m = slots_[i];
            if (m == nullptr)
                return nullptr;
            if (same(m))
                return m;
        }
    }
    void place(Node* n, std::uint64_t hash) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        while (slots_[i] != nullptr)
            i = (i + 1) & mask;
        slots_[i] = n;
    }
    void grow() {
        std::vector<Node*> old(slots_.empty() ? 1024 : 2 * slots_.size(), nullptr);
        old.swap(slots_);
        for (Node* n : old)
            if (n != nullptr)
                place(n, isAtomNode(n) ? atomHash(n) : pairHash(functionOf(n), argumentOf(n)));
    }

    std::vector<Node*> slots_;
    std::size_t count_ = 0;
};

// True when some node of the term satisfies the test; shared parts are looked at once per
// path, as the rewritings walk them.
template <class Test> bool anyNode(Node* root, Test test) {
    std::vector<Node*> work{root};
    while (!work.empty()) {
        Node* n = work.back();
        work.pop_back();
        if (test(n))
            return true;
        if (!isAtomNode(n)) {
            work.push_back(argumentOf(n));
            work.push_back(functionOf(n));
        }
    }
    return false;
}

// The quote form (` x).
bool isQuoteForm(const Node* n) {
    return !isAtomNode(n) && isAtomNode(functionOf(n)) && firstByteOf(functionOf(n)) == '`';
}

} // namespace

Node* binderOf(const Node* form) {
    if (isLambdaForm(form))
        return argumentOf(functionOf(form));
    RILL_ASSERT(isLetForm(form));
    return argumentOf(functionOf(functionOf(form)));
}

NodeRef expandQuotes(NodeRef term) {
    if (!anyNode(term.get(), isQuoteForm))
        return term;
    struct Frame {
        Node* node;
        bool expanded;
        NodeRef source; // the bracket atom of a quote form's text
    };
    std::vector<Frame> frames;
    frames.push_back({term.get(), false, {}});
    std::vector<NodeRef> results;
    while (!frames.empty()) {
        Frame& f = frames.back();
        Node* n = f.node;
        if (isAtomNode(n)) {
            results.emplace_back(n);
            frames.pop_back();
            continue;
        }
        if (!f.expanded) {
            f.expanded = true;
            if (isQuoteForm(n)) {
                std::string source = "[";
                source += renderTerm(NodeRef(argumentOf(n)));
                source += ']';
                f.source = makeAtom(std::move(source));
                frames.push_back({argumentOf(n), false, {}});
            } else {
                frames.push_back({argumentOf(n), false, {}});
                frames.push_back({functionOf(n), false, {}});
            }
            continue;
        }
        if (!f.source.empty()) {
            NodeRef value = popOne(results);
            results.push_back(apply(makeAtom("V"), std::move(f.source), std::move(value)));
        } else {
            auto [p, x] = popTwo(results);
            results.push_back(rebuilt(n, std::move(p), std::move(x)));
        }
        frames.pop_back();
    }
    RILL_ASSERT(results.size() == 1);
    return popOne(results);
}

NodeRef expandPairLets(NodeRef term) {
    // Rebuilding a part never makes a let form or a pair binder where there was none.
    if (!anyNode(term.get(),
                 [](const Node* n) { return isLetForm(n) && isPairBinder(binderOf(n)); }))
        return term;
    struct Frame {
        Node* node;
        bool expanded;
    };
    std::vector<Frame> frames{{term.get(), false}};
    std::vector<NodeRef> results;
    while (!frames.empty()) {
        Frame& f = frames.back();
        Node* n = f.node;
        if (isAtomNode(n)) {
            results.emplace_back(n);
            frames.pop_back();
            continue;
        }
        if (!f.expanded) {
            f.expanded = true;
            frames.push_back({argumentOf(n), false});
            frames.push_back({functionOf(n), false});
            continue;
        }
        frames.pop_back();
        auto [p, x] = popTwo(results);
        NodeRef t = rebuilt(n, std::move(p), std::move(x));
        if (isLetForm(t.get()) && isPairBinder(binderOf(t.get()))) {
            // q is bound to the pair, then p to its first component and q to its second.
            Node* pair = binderOf(t.get());
            NodeRef first(functionOf(pair));
            NodeRef second(argumentOf(pair));
            NodeRef value(argumentOf(functionOf(t.get())));
            NodeRef body(argumentOf(t.get()));
            const std::string key = definitionKey(atomTextOf(second.get()));
            NodeRef inner = letForm(second, apply(makeAtom(key), makeAtom("H")), std::move(body));
            NodeRef middle =
                letForm(std::move(first), apply(makeAtom(key), makeAtom("K")), std::move(inner));
            t = letForm(std::move(second), std::move(value), std::move(middle));
        }
        results.push_back(std::move(t));
    }
    RILL_ASSERT(results.size() == 1);
    return popOne(results);
}

NodeRef assignLetters(NodeRef term, std::string_view name, char letter) {
    enum class Kind : unsigned char { plain, lambda, let };
    struct Frame {
        Node* node;
        bool inScope; // a binder of the name encloses the node
        bool expanded;
        Kind kind;
        bool binds; // the form's own binder has the name
    };
    std::vector<Frame> frames{{term.get(), false, false, Kind::plain, false}};
    std::vector<NodeRef> results;
    while (!frames.empty()) {
        Frame& f = frames.back();
        Node* n = f.node;
        if (isAtomNode(n)) {
            if (f.inScope && atomTextOf(n) == name)
                results.push_back(oneByteAtom(letter));
            else
                results.emplace_back(n);
            frames.pop_back();
            continue;
        }
        if (!f.expanded) {
            f.expanded = true;
            const bool inScope = f.inScope;
            if (isLambdaForm(n)) {
                f.kind = Kind::lambda;
                f.binds = binderHasKey(binderOf(n), name);
                frames.push_back({argumentOf(n), inScope || f.binds, false, Kind::plain, false});
            } else if (isLetForm(n)) {
                f.kind = Kind::let;
                f.binds = binderHasKey(binderOf(n), name);
                // The body is in the binder's scope; the value only in the enclosing one.
                frames.push_back({argumentOf(n), inScope || f.binds, false, Kind::plain, false});
                frames.push_back({argumentOf(functionOf(n)), inScope, false, Kind::plain, false});
            } else {
                frames.push_back({argumentOf(n), inScope, false, Kind::plain, false});
                frames.push_back({functionOf(n), inScope, false, Kind::plain, false});
            }
            continue;
        }
        const Frame done = f;
        frames.pop_back();
        if (done.kind == Kind::plain) {
            auto [p, x] = popTwo(results);
            results.push_back(rebuilt(n, std::move(p), std::move(x)));
            continue;
        }
        Node* binder = binderOf(n);
        if (done.kind == Kind::lambda) {
            NodeRef body = popOne(results);
            if (!done.binds && body.get() == argumentOf(n)) {
                results.emplace_back(n);
                continue;
            }
            NodeRef v = done.binds ? oneByteAtom(letter) : NodeRef(binder);
            results.push_back(
                apply(NodeRef(functionOf(functionOf(n))), std::move(v), std::move(body)));
            continue;
        }
        auto [value, body] = popTwo(results);
        if (!done.binds && value.get() == argumentOf(functionOf(n)) &&
            body.get() == argumentOf(n)) {
            results.emplace_back(n);
            continue;
        }
        NodeRef v = done.binds ? oneByteAtom(letter) : NodeRef(binder);
        results.push_back(apply(NodeRef(functionOf(functionOf(functionOf(n)))), std::move(v),
                                std::move(value), std::move(body)));
    }
    RILL_ASSERT(results.size() == 1);
    return popOne(results);
}

std::strong_ordering compareTerms(const Node* a, const Node* b) {
    // Pairs still to compare, function parts before argument parts; the list is shared by
    // every comparison and left as it was found.
    static auto& work = *new std::vector<std::pair<const Node*, const Node*>>;
    const std::size_t floor = work.size();
    work.emplace_back(a, b);
    while (work.size() > floor) {
        auto [x, y] = work.back();
        work.pop_back();
        if (x == y)
            continue;
        const bool xAtom = isAtomNode(x);
        const bool yAtom = isAtomNode(y);
        if (xAtom != yAtom) {
            work.resize(floor);
            return xAtom ? std::strong_ordering::less : std::strong_ordering::greater;
        }
        if (xAtom) {
            const std::string_view s = atomTextOf(x);
            const std::string_view t = atomTextOf(y);
            const std::size_t common = s.size() < t.size() ? s.size() : t.size();
            const int c = common == 0 ? 0 : std::memcmp(s.data(), t.data(), common);
            std::strong_ordering order = c < 0   ? std::strong_ordering::less
                                         : c > 0 ? std::strong_ordering::greater
                                                 : s.size() <=> t.size();
            if (order != 0) {
                work.resize(floor);
                return order;
            }
            continue;
        }
        work.emplace_back(argumentOf(x), argumentOf(y));
        work.emplace_back(functionOf(x), functionOf(y));
    }
    return std::strong_ordering::equal;
}

void TermSet::clear() {
    for (Slot& s : slots_)
        if (s.node != nullptr)
            releaseNode(s.node);
    std::vector<Slot>().swap(slots_);
    mask_ = 0;
    count_ = 0;
}

void TermSet::reserve(std::size_t n) {
    // At most half the slots are taken, so that a probe ends soon.
    std::size_t capacity = 16;
    while (capacity < 2 * n)
        capacity *= 2;
    if (capacity <= slots_.size())
        return;
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    mask_ = capacity - 1;
    for (const Slot& s : old)
        if (s.node != nullptr)
            place(s);
}

void TermSet::place(const Slot& slot) {
    std::size_t i = slot.hash & mask_;
    while (slots_[i].node != nullptr)
        i = (i + 1) & mask_;
    slots_[i] = slot;
}

void TermSet::insert(std::uint64_t hash, Node* n) {
    reserve(count_ + 1);
    retainNode(n);
    place(Slot{hash, n});
    ++count_;
}

SharedTerms& sharedTerms() {
    static SharedTerms& terms = *new SharedTerms; // never destroyed
    return terms;
}

NodeRef findSharedTerm(const NodeRef& term) {
    const TermHashes hashes = hashTerm(term.get());
    Node* found = findMember(sharedTerms(), term.get(), hashes.at(term.get()));
    return found == nullptr ? NodeRef() : NodeRef(found);
}

NodeRef shareTerms(NodeRef& slot) {
    SharedTerms& terms = sharedTerms();
    const TermHashes hashes = hashTerm(slot.get());
    // Stage 0 looks the node up; stage 1 has its function part shared, stage 2 both parts.
    struct Frame {
        Node* node;
        int stage;
    };
    std::vector<Frame> frames{{slot.get(), 0}};
    std::vector<NodeRef> results;
    while (!frames.empty()) {
        Frame& f = frames.back();
        Node* n = f.node;
        if (f.stage == 0) {
            const std::uint64_t hash = hashes.at(n);
            if (Node* found = findMember(terms, n, hash)) {
                results.emplace_back(found);
                frames.pop_back();
            } else if (isAtomNode(n)) {
                terms.members.insert(hash, n);
                results.emplace_back(n);
                frames.pop_back();
            } else {
                f.stage = 1;
                frames.push_back({functionOf(n), 0});
            }
            continue;
        }
        if (f.stage == 1) {
            f.stage = 2;
            frames.push_back({argumentOf(n), 0});
            continue;
        }
        frames.pop_back();
        auto [p, x] = popTwo(results);
        NodeRef t = rebuilt(n, std::move(p), std::move(x));
        // No proper part of a term equals it, so sharing its parts cannot have inserted it;
        // the rebuilt term has the structure, and so the hash, of the node it stands for.
        terms.members.insert(hashes.at(n), t.get());
        results.push_back(std::move(t));
    }
    RILL_ASSERT(results.size() == 1);
    slot = results.back();
    return popOne(results);
}

} // namespace rill

namespace rill {

void shareTermsAfresh(const std::vector<NodeRef*>& slots, bool (*keep)(Node*),
                      std::size_t expectedMembers) {
    // Every member of a set filled from empty has its parts as members, and equal parts are
    // then the same node: the walk replaces each node by its member from the leaves up, and
    // an application's member is the one whose parts are the nodes its own parts became.
    // While it runs the members are held by an index keyed by those identities; the set is
    // given only the ones that are kept, under the hash of their structure.
    TermSet& kept = sharedTerms().members;
    kept.clear();
    MemberIndex members;
    members.reserve(expectedMembers);
    struct Frame {
        Node* node;
        bool expanded;
    };
    struct Shared {
        Node* member;
        std::uint64_t hash; // of the structure
    };
    std::vector<Frame> frames;
    std::vector<Shared> results;
    std::vector<Shared> memberAtoms(4093, Shared{nullptr, 0});
    for (NodeRef* slot : slots) {
        frames.push_back({slot->get(), false});
        while (!frames.empty()) {
            Frame& f = frames.back();
            Node* n = f.node;
            if (isAtomNode(n)) {
                frames.pop_back();
                // Most atoms are members themselves (the intake makes equal atoms one node)
                // and come up again and again; a member stays alive, so its address is a
                // safe key.
                const auto address = reinterpret_cast<std::uintptr_t>(n);
                Shared& cached = memberAtoms[(address >> 4) % memberAtoms.size()];
                if (cached.member == n) {
                    results.push_back(cached);
                    continue;
                }
                const std::uint64_t hash = atomHash(n);
                Node* member = members.findAtom(n, hash);
                if (member == nullptr) {
                    member = n;
                    retainNode(n);
                    members.insert(n, hash);
                    if (keep(n))
                        kept.insert(hash, n);
                }
                if (member == n)
                    cached = Shared{n, hash};
                results.push_back({member, hash});
                continue;
            }
            if (!f.expanded) {
                f.expanded = true;
                frames.push_back({argumentOf(n), false});
                frames.push_back({functionOf(n), false});
                continue;
            }
            frames.pop_back();
            const Shared x = results.back();
            results.pop_back();
            const Shared p = results.back();
            results.pop_back();
            const std::uint64_t hash = applicationHash(p.hash, x.hash);
            Node* member = members.findApplication(p.member, x.member);
            if (member == nullptr) {
                if (p.member == functionOf(n) && x.member == argumentOf(n)) {
                    member = n;
                    retainNode(n);
                } else {
                    member = apply(NodeRef(p.member), NodeRef(x.member)).detach();
                }
                members.insert(member, 0);
                if (keep(member))
                    kept.insert(hash, member);
            }
            results.push_back({member, hash});
        }
        RILL_ASSERT(results.size() == 1);
        *slot = NodeRef(results.back().member);
        results.clear();
    }
    members.releaseAll();
}

} // namespace rill
