// Definition compilation: the rewritings that turn parsed definitions into runnable
// templates (quote expansion, pair-let expansion, the letter form of local names), the
// order of terms by structure, and the process-wide set of shared terms.
//
// A template is a chain of at most ten lambda forms ((\ p) ((\ q) ... B)) whose binders,
// like those of every inner lambda form ((\ v) B') and let form ((({ v) E) B'), are the
// one-byte letters "a".."z". The value E of a let form lies outside the scope of its v.
#pragma once

#include "core/classification.h"
#include "core/node_store.h"

#include <compare>
#include <cstdint>
#include <string_view>
#include <vector>

namespace rill {

// --- Binder forms -----------------------------------------------------------------------------

// The lambda and let form tests are isLambdaForm and isLetForm of core/classification.h.
// The binder v of a lambda form or of a let form.
Node* binderOf(const Node* form);

// --- Rewritings -------------------------------------------------------------------------------

// Every quote form (` x) becomes the pair ((V S) x'), S the bracket atom of the rendering of
// x as written and x' its own expansion. Unchanged parts stay the same nodes.
NodeRef expandQuotes(NodeRef term);
// Every let form whose binder is a pair of names (p q) becomes three lets, bottom-up:
// ((({ q) Y) ((({ p) (Q K)) ((({ q) (Q H)) Z))), Q the key of q. Deeper patterns stay.
NodeRef expandPairLets(NodeRef term);
// The term in which the local name n (a key) carries the letter c: every binder whose key is
// n becomes c, and so does every atom n in the scope of such a binder (a lambda's body, a
// let's body but not its value). Unchanged parts stay the same nodes.
NodeRef assignLetters(NodeRef term, std::string_view name, char letter);

// --- Sharing ------------------------------------------------------------------------------

// The order of terms by structure: the same node is equal; an atom comes before an
// application; atoms by their measured texts as unsigned bytes, shorter first on a common
// prefix; applications by their function parts, then their argument parts. (It takes nodes:
// the order of `cmpr`, which measures atom texts its own way, has the handle signature.)
std::strong_ordering compareTerms(const Node* a, const Node* b);

// A set of terms with at most one term of each structure, each held by one reference and
// filed under a hash of its structure in an open-addressed table.
class TermSet {
public:
    TermSet() = default;
    TermSet(const TermSet&) = delete;
    TermSet& operator=(const TermSet&) = delete;
    ~TermSet() { clear(); }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Releases every member.
    void clear();
    // Makes room for n members in all without growing on the way.
    void reserve(std::size_t n);
    // The member filed under the hash for which same(member) holds, or null.
    template <class Same> Node* find(std::uint64_t hash, Same same) const {
        if (count_ == 0)
            return nullptr;
        for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.node == nullptr)
                return nullptr;
            if (s.hash == hash && same(s.node))
                return s.node;
        }
    }
    // Files n under the hash, taking a new reference; n's structure must not be in the set.
    void insert(std::uint64_t hash, Node* n);
    // Releases every member for which keep is false.
    template <class Keep> void keepOnly(Keep keep) {
        std::vector<Slot> kept;
        for (const Slot& s : slots_) {
            if (s.node == nullptr)
                continue;
            if (keep(s.node))
                kept.push_back(s);
            else
                releaseNode(s.node);
        }
        std::vector<Slot>().swap(slots_);
        count_ = 0;
        reserve(kept.size());
        for (const Slot& s : kept)
            place(s);
        count_ = kept.size();
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        Node* node = nullptr;
    };
    void place(const Slot& slot);

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

struct SharedTerms {
    TermSet members;
};
// The process-wide set, made on first use and never destroyed.
SharedTerms& sharedTerms();
// The member structurally equal to the term, or an empty handle.
NodeRef findSharedTerm(const NodeRef& term);

// The shared representative of the term in the slot, which is updated to it: an equal member
// if there is one, else the term with its parts shared, inserted (rebuilt only where a part
// was replaced).
NodeRef shareTerms(NodeRef& slot);

// Empties the set, runs shareTerms on each slot in turn and then takes out of the set every
// member for which keep is false. Each member is handed to keep once, after its parts.
// expectedMembers, when not 0, is about how many different terms the slots hold, so that the
// working index is made large enough at once.
void shareTermsAfresh(const std::vector<NodeRef*>& slots, bool (*keep)(Node*),
                      std::size_t expectedMembers = 0);

} // namespace rill
