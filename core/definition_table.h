// The definition table: the process-wide map from a definition key to the term that defines
// it (the program's entry under the empty key), the set of once-names whose value is worked
// out afresh at every use, and the cached lookup of a name. The rules for names and keys are
// in core/definition_names.h.
#pragma once

#include "core/node_store.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace rill {

struct BuiltinEntry;

// The map from definition keys to their values. Keys are compared bytewise, a shorter key
// first on a common prefix. Two counters tell caches what changed:
// - the version advances whenever an entry may have been removed, so that a cached entry
//   address is known to be stale;
// - the generation advances on every change of the table except a constant's value being
//   stored back by the machine (which never changes what a name's atom classifies as), so
//   that a cached answer about what a name means is known to be stale.
class DefinitionTable {
public:
    using Map = std::map<std::string, NodeRef, std::less<>>;
    using value_type = Map::value_type;
    using iterator = Map::iterator;
    using const_iterator = Map::const_iterator;

    DefinitionTable() = default;
    DefinitionTable(const DefinitionTable& other) : map_(other.map_) {}
    DefinitionTable& operator=(const DefinitionTable& other);
    DefinitionTable& operator=(DefinitionTable&& other) noexcept;

    iterator begin() { return map_.begin(); }
    iterator end() { return map_.end(); }
    const_iterator begin() const { return map_.begin(); }
    const_iterator end() const { return map_.end(); }
    std::size_t size() const { return map_.size(); }
    bool empty() const { return map_.empty(); }
    std::size_t count(std::string_view key) const { return map_.count(key); }
    iterator find(std::string_view key) { return map_.find(key); }
    const_iterator find(std::string_view key) const { return map_.find(key); }
    NodeRef& at(std::string_view key);             // an absent key is an internal failure
    const NodeRef& at(std::string_view key) const; // an absent key is an internal failure

    // Enters or replaces the key's value.
    void insert_or_assign(std::string key, NodeRef value);
    // Enters the key's value unless the key is there already; true when it was entered.
    bool emplace(std::string key, NodeRef value);
    // Removes the key; the number of entries removed (0 or 1).
    std::size_t erase(std::string_view key);
    void clear();
    // The machine's write: a constant's entry becomes ")" while it is worked out, then its
    // value. The name's meaning for classification does not change (a constant keeps arity 0).
    static void storeValue(value_type& entry, NodeRef value) { entry.second = std::move(value); }

    std::uint64_t version() const { return version_; }
    std::uint64_t generation() const { return generation_; }

private:
    void changed(bool removed);

    Map map_;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
};

using OnceNames = std::set<std::string, std::less<>>;

DefinitionTable& definitionTable(); // the process-wide table, made on first use
namespace detail {
inline std::uint64_t lastDefinitionStamp = 0; // advanced by every change of any table
}
// A stamp that changes whenever any definition table changes (other than a constant's value
// stored back), so also whenever the process-wide one does: cheap to read on every step.
inline std::uint64_t currentGeneration() {
    return detail::lastDefinitionStamp;
}
OnceNames& onceNames(); // the process-wide once-names, made on first use

// What a name stands for: its definition table entry and its built-in (either may be null).
struct NameLookup {
    DefinitionTable::value_type* entry;
    const BuiltinEntry* builtin;
};
// Looks a name up in the definition table and the built-in table, through a small cache of
// recent answers (a name that is found stays cached until the table's version changes).
NameLookup lookUpName(std::string_view key);

} // namespace rill
