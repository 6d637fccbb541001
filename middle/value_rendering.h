// Value rendering: any term of the graph as one line of source-like text that the parser
// reads back into the same applications, and the built-ins that hand rendering and term
// identity to programs.
//
// Juxtaposition is written wherever the byte classes keep the two parts apart (l: "a".."z"
// and "_", n: digits, m: every other byte); otherwise the application is parenthesised, and
// a chain of applications to one head becomes one open call list «(g a b)».
#pragma once

#include "core/node_store.h"

#include <string>

namespace rill {

// The source-like text of a term: "()" for the empty atom and the markers, «real[...]» for
// a real, «cape[...]» for a data block, the text of any other atom. Never recurses on depth.
std::string renderTerm(NodeRef term);

// lisp x: a new bracket atom "[" + the rendering of x + "]", no byte escaped.
NodeRef builtin_lisp(NodeRef call);
// type x: the shared bracket atom naming the kind of x: "[post]" for a block, "[real]",
// "[hint]" for an integer, "[numb]" for an `o` value, "[zits]" for a string, else "[void]".
NodeRef builtin_type(NodeRef call);
// tern x: the shared term structurally equal to x (x itself becomes shared when none is).
NodeRef builtin_tern(NodeRef call);

} // namespace rill
