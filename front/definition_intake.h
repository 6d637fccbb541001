// The definition table and its names: the process-wide map from a definition key to the
// parsed term that defines it (the program's entry under the empty key), the set of
// once-names whose value is worked out afresh at every use, and the rules for names and keys.
#pragma once

#include "core/error_report.h"
#include "core/node_store.h"
#include "front/source_text.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace rill {

struct BuiltinEntry;

// The map from definition keys to their values. Keys are compared bytewise, a shorter key
// first on a common prefix. Every operation that can remove an entry advances the version,
// so that a cached entry address is known to be stale.
class DefinitionTable : public std::map<std::string, NodeRef, std::less<>> {
public:
    using Base = std::map<std::string, NodeRef, std::less<>>;
    DefinitionTable() = default;
    DefinitionTable(const DefinitionTable& other) : Base(other) {}
    DefinitionTable& operator=(const DefinitionTable& other) {
        Base::operator=(other);
        ++version_;
        return *this;
    }
    DefinitionTable& operator=(DefinitionTable&& other) {
        Base::operator=(std::move(other));
        ++version_;
        return *this;
    }
    template <class... Args> auto erase(Args&&... args) {
        ++version_;
        return Base::erase(std::forward<Args>(args)...);
    }
    template <class... Args> auto extract(Args&&... args) {
        ++version_;
        return Base::extract(std::forward<Args>(args)...);
    }
    void clear() noexcept {
        ++version_;
        Base::clear();
    }
    void swap(DefinitionTable& other) noexcept {
        ++version_;
        ++other.version_;
        Base::swap(other);
    }
    // Changes whenever an entry may have been removed.
    std::uint64_t version() const { return version_; }

private:
    std::uint64_t version_ = 0;
};

using OnceNames = std::set<std::string, std::less<>>;

DefinitionTable& definitionTable(); // the process-wide table, made on first use
OnceNames& onceNames();             // the process-wide once-names, made on first use

// What a name stands for: its definition table entry and its built-in (either may be null).
struct NameLookup {
    DefinitionTable::value_type* entry;
    const BuiltinEntry* builtin;
};
// Looks a name up in the definition table and the built-in table, through a small cache of
// recent answers (a name that is found stays cached until the table's version changes).
NameLookup lookUpName(std::string_view key);

// The 27 operator characters that a bracketed name «[c]» may hold.
inline constexpr std::string_view kBracketedNameCharacters = "{,}~!@#$%^&*<>-|+/=\\.`'\":;?";

// True for a valid definition name: a lower word, «[c]» with an operator character c, or one
// byte "A".."Z", 0x01..0x1F or 0x7F..0xFF.
bool isDefinitionName(std::string_view name);
// The key of a valid name: the name itself, or the middle byte of «[c]».
std::string definitionKey(std::string_view name);
// True for a byte string that is a key some valid name gives.
bool isDefinitionKey(std::string_view key);

// The built-in Prelude: the letter combinators, the lambda and brace placeholders and the
// operator aliases, joined by commas behind one leading comma.
extern const std::string_view kPreludeText;

// Empties the definition table, the once-names and the built-in table (which refills itself
// on its next use).
void resetTables();
// Resets the tables and takes in the Prelude.
void loadPrelude();
// The definitions as the Prelude left them, before any program changed them.
DefinitionTable& preludeDefinitions();
// Takes in a raw program text: the bracket checks, a placeholder for every built-in, the
// entry under the empty key and the program's definitions. "Empty" when all went well.
ErrorReport takeInProgram(const CodeText& raw);

} // namespace rill
