// Run-time loading: the built-in `load`, which takes in a program text while the program
// runs (an entry expression and comma-separated definitions), checks it against the
// definitions in force, lets its definitions exist while its entry is reduced and answers
// the entry's normal form. Every failure answers "Z"; nothing is printed, and the global
// definition table and once-names are left as they were on every path.
#pragma once

#include "core/node_store.h"

#include <string>

namespace rill {

// The normal form of the entry of a loaded text, or "Z" when the text cannot be taken in or
// its reduction ends in a cycle or at a name without definition.
// The text is the payload of a block or the text between a bracket string's outer brackets.
NodeRef loadText(const std::string& raw);

// load source: loadText of a block's payload or a bracket string's inner text; "Z" for any
// other value.
NodeRef builtin_load(NodeRef call);

} // namespace rill
