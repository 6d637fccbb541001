// Definition intake: the Prelude and the program taken into the definition table, each
// comma part parsed and filed under its name's key.
#pragma once

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

} // namespace rill
