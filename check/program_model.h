// The program as the checker sees it: the file taken in as rill takes it in, but with the
// place in the file of every atom, every definition that the intake keeps or rejects, and
// which definitions are reachable from the entry or dead.
#pragma once

#include "check/diagnostics.h"
#include "core/node_store.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rill {

// One comma part of the program after the entry, as it stands in the file.
struct ProgramPart {
    std::size_t begin; // the first byte of the part (after the comma)
    std::size_t end;   // the next comma, or the end of the file
    std::string text;  // the part's normalised text
};

// A definition taken in: its key, where its name stands, and its value as the definition table
// holds it ((I body) for a once-name), with quotes and pair lets expanded.
struct ModelDefinition {
    std::string key;
    std::size_t nameOffset;
    std::size_t part; // its index among the parts
    NodeRef value;
    bool once = false;
    bool replaced = false; // a later definition of the same key replaces it
};

// A hash of strings that also takes views, so that looking a key up makes no string.
struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
        return std::hash<std::string_view>{}(key);
    }
};
using KeyIndex = std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>>;

// What the front end makes of a file, with places.
struct ProgramModel {
    std::string raw;                // the file as rill reads it (a script line blanked)
    std::vector<Diagnostic> errors; // Match, Comma, Parse, Lower and Built, in text order
    bool parsed = false;            // false when the brackets fail and nothing is parsed
    NodeRef entry;
    std::size_t entryOffset = 0;
    std::vector<ProgramPart> parts;
    std::vector<ModelDefinition> definitions; // in text order
    KeyIndex current;                         // key -> the definition that holds it
    bool plainOperators[256] = {};            // the operators still standing for plain application
    std::unordered_map<const Node*, std::size_t> places; // atom -> its offset in the file
    std::vector<NodeRef> parses; // the trees as parsed, kept so that no atom node is reused

    // The place of an atom in the file, or the fallback when the atom has none.
    std::size_t placeOf(const Node* atom, std::size_t fallback) const {
        const auto found = places.find(atom);
        return found == places.end() ? fallback : found->second;
    }
    // The definition that holds a key in the program's table, or null (a Prelude entry, a
    // built-in or no definition at all).
    const ModelDefinition* programDefinition(std::string_view key) const;
    // True when the definition table holds the key once the program is taken in: the
    // program's definitions, the Prelude, the built-ins and "_".
    bool isDefined(std::string_view key) const;
};

// Takes in a file as rill does (Prelude loaded first), keeping places, and going on past each
// report of the intake to find all of them.
ProgramModel buildModel(std::string_view raw);

// --- A walk over one definition, with the names in scope -------------------------------------

// What a walk meets, in the order of the term (function parts before arguments).
struct DefinitionWalker {
    virtual ~DefinitionWalker() = default;
    // An atom that references a name no binder around it binds.
    virtual void freeName(const Node* /*atom*/) {}
    // A lambda or let form's binder that is a valid name.
    virtual void binder(const Node* /*atom*/) {}
    // A lambda or let form whose binder is not a valid name.
    virtual void funkyForm(const Node* /*form*/) {}
    // An atom of such a binder that references a name (the binder was perhaps meant as an
    // expression, and the name as used).
    virtual void patternName(const Node* /*atom*/) {}
    // An application spine: its head atom, not bound by any binder around it, and its
    // arguments in order. Applications through the operators that stand for plain application
    // ("?", ":", ";", "'") are part of the spine while the program keeps their meaning.
    virtual void spine(const Node* /*head*/, const std::vector<const Node*>& /*arguments*/) {}
    // An infix operator form ((c L) R) with its operator atom.
    virtual void operatorForm(const Node* /*op*/, const Node* /*left*/, const Node* /*right*/) {}
};

// Walks a definition's value with an explicit work list. A binder that is not a valid name
// binds the names it is made of, so that their uses are not taken for undefined names.
void walkDefinition(const ProgramModel& model, const NodeRef& value, DefinitionWalker& walker);

// The key an atom references (its text) when it is a name reference: a definition key other
// than the backslash and "{"; empty otherwise.
std::string_view referencedKey(const Node* atom);

// --- Reachability ------------------------------------------------------------------------

// What the checks of names find out about the program's table.
struct NameFacts {
    std::vector<bool> reachable; // by definition index: reachable from the entry or the Prelude
    bool entryReachable = true;
    std::vector<bool> dead; // by definition index: references an undefined name, maybe
                            // through others (such definitions are dropped)
    bool entryDead = false;
};

// Reachability from the entry and the Prelude's entries, and the dead definitions.
NameFacts findNameFacts(const ProgramModel& model);

} // namespace rill
