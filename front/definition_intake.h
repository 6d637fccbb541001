// Definition intake: the Prelude and the program taken into the definition table, each
// comma part parsed and filed under its name's key.
#pragma once

#include "core/definition_names.h"
#include "core/definition_table.h"
#include "core/error_report.h"
#include "core/node_store.h"
#include "front/source_text.h"

#include <string_view>

namespace rill {

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

// --- Reading one definition (also for run-time loading and the static checker) --------------

// A comma part that defines a name, read from its parsed tree (\ NAME VALUE).
struct DefinitionPart {
    NodeRef name;  // the atom of the name
    NodeRef value; // what the table holds: VALUE, or (I VALUE) in the once form «name()\VALUE»
    bool once = false; // written in the once form: a once-name
    // The key the name is filed under, a view into the name's atom.
    std::string_view key() const { return definitionKeyView(atomText(name)); }
};
// The shape (\ NAME VALUE): an application whose function part applies the backslash atom.
bool hasDefinitionShape(const Node* tree);
// Reads a parsed part as a definition. False when the part is passed over without a message:
// it has not the definition shape, its NAME is neither an atom nor «name()» with an atom for
// the name, or the name is not a valid definition name.
bool readDefinitionPart(const NodeRef& tree, DefinitionPart& part);
// The report on a key that no program may define: "Lower" for one letter "a".."z", "Built"
// for the backslash, "{" and the name of a built-in; "Empty" for any other key. No position.
ErrorReport checkDefinableKey(std::string_view key);
// Files a definition in a table and its once-names, replacing one of the same key; the part's
// value is handed over.
void fileDefinition(DefinitionPart& part, DefinitionTable& table, OnceNames& once);

} // namespace rill
