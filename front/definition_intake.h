// The definition table and its names: the process-wide map from a definition key to the
// parsed term that defines it (the program's entry under the empty key), the set of
// once-names whose value is worked out afresh at every use, and the rules for names and keys.
#pragma once

#include "core/error_report.h"
#include "core/node_store.h"
#include "front/source_text.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace rill {

// Keys are compared bytewise, a shorter key first on a common prefix.
using DefinitionTable = std::map<std::string, NodeRef, std::less<>>;
using OnceNames = std::set<std::string, std::less<>>;

DefinitionTable& definitionTable(); // the process-wide table, made on first use
OnceNames& onceNames();             // the process-wide once-names, made on first use

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
// Takes in a raw program text: the bracket checks, a placeholder for every built-in, the
// entry under the empty key and the program's definitions. "Empty" when all went well.
ErrorReport takeInProgram(const CodeText& raw);

} // namespace rill
