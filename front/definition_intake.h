// The definition table and its names: the process-wide map from a definition key to the
// parsed term that defines it (the program's entry under the empty key), the set of
// once-names whose value is worked out afresh at every use, and the rules for names and keys.
#pragma once

#include "core/node_store.h"

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

} // namespace rill
