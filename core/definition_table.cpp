#include "core/definition_table.h"

#include "builtins/builtin_table.h"
#include "core/assertion.h"

#include <cstring>

namespace rill {

namespace {

// Every table's changes advance the one pair of counters, so that a copy put in place of
// the process-wide table is seen as a change too.
std::uint64_t nextStamp() {
    return ++detail::lastDefinitionStamp;
}

} // namespace

DefinitionTable& DefinitionTable::operator=(const DefinitionTable& other) {
    map_ = other.map_;
    changed(true);
    return *this;
}

DefinitionTable& DefinitionTable::operator=(DefinitionTable&& other) noexcept {
    map_ = std::move(other.map_);
    changed(true);
    return *this;
}

NodeRef& DefinitionTable::at(std::string_view key) {
    const auto found = map_.find(key);
    RILL_ASSERT(found != map_.end());
    return found->second;
}

const NodeRef& DefinitionTable::at(std::string_view key) const {
    const auto found = map_.find(key);
    RILL_ASSERT(found != map_.end());
    return found->second;
}

void DefinitionTable::insert_or_assign(std::string key, NodeRef value) {
    map_.insert_or_assign(std::move(key), std::move(value));
    changed(false);
}

bool DefinitionTable::emplace(std::string key, NodeRef value) {
    const bool entered = map_.emplace(std::move(key), std::move(value)).second;
    if (entered)
        changed(false);
    return entered;
}

std::size_t DefinitionTable::erase(std::string_view key) {
    const auto found = map_.find(key);
    if (found == map_.end())
        return 0;
    map_.erase(found);
    changed(true);
    return 1;
}

void DefinitionTable::clear() {
    map_.clear();
    changed(true);
}

void DefinitionTable::changed(bool removed) {
    generation_ = nextStamp();
    if (removed)
        version_ = generation_;
}

DefinitionTable& definitionTable() {
    static DefinitionTable& table = *new DefinitionTable; // never destroyed
    return table;
}

OnceNames& onceNames() {
    static OnceNames& names = *new OnceNames;
    return names;
}

NameLookup lookUpName(std::string_view key) {
    // A direct-mapped cache of short names: most lookups are of the same few combinators,
    // operators and definitions, step after step.
    struct Slot {
        std::uint64_t version = ~std::uint64_t{0};
        std::uint8_t length = 0;
        char key[15];
        NameLookup answer{};
    };
    static Slot slots[1024];
    DefinitionTable& table = definitionTable();
    const bool cacheable = key.size() <= sizeof(Slot::key);
    std::size_t hash = key.size();
    for (char c : key)
        hash = hash * 131 + static_cast<unsigned char>(c);
    Slot& slot = slots[(hash ^ (hash >> 10)) & 1023];
    if (cacheable && slot.version == table.version() && slot.length == key.size() &&
        (key.empty() || std::memcmp(slot.key, key.data(), key.size()) == 0))
        return slot.answer;
    const auto found = table.find(key);
    NameLookup answer{found == table.end() ? nullptr : &*found, findBuiltin(key)};
    if (cacheable && answer.entry != nullptr) {
        slot.version = table.version();
        slot.length = static_cast<std::uint8_t>(key.size());
        if (!key.empty())
            std::memcpy(slot.key, key.data(), key.size());
        slot.answer = answer;
    }
    return answer;
}

} // namespace rill
