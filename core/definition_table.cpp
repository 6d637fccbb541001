#include "core/definition_table.h"

#include "builtins/builtin_table.h"
#include "core/assertion.h"

#include <cstring>

namespace rill {

namespace {

bool isLowerByte(unsigned char b) {
    return (b >= 'a' && b <= 'z') || b == '_';
}

bool isLowerText(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!isLowerByte(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// One byte that names a definition on its own: a capital letter or a control or high byte.
bool isSingleByteName(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 0x01 && b <= 0x1F) || b >= 0x7F;
}

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

bool isDefinitionName(std::string_view name) {
    if (name.empty())
        return false;
    const auto first = static_cast<unsigned char>(name[0]);
    if (isLowerByte(first))
        return isLowerText(name);
    if (first == '[')
        return name.size() == 3 && name[2] == ']' &&
               kBracketedNameCharacters.find(name[1]) != std::string_view::npos;
    return name.size() == 1 && isSingleByteName(first);
}

std::string definitionKey(std::string_view name) {
    RILL_ASSERT(isDefinitionName(name));
    if (name[0] == '[')
        return std::string(1, name[1]);
    return std::string(name);
}

bool isDefinitionKey(std::string_view key) {
    if (key.empty())
        return false;
    if (isLowerText(key))
        return true;
    if (key.size() != 1)
        return false;
    const auto b = static_cast<unsigned char>(key[0]);
    return isSingleByteName(b) || kBracketedNameCharacters.find(key[0]) != std::string_view::npos;
}

} // namespace rill
