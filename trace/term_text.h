// Terms as source text for a trace: one line, cut to a length a reader can take in.
#pragma once

#include "core/node_store.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace rill {

// The term written as a program would write it: a call as `f(a,b)`, an operator between its
// two operands in parentheses (`(a+b)`), a function as `(x\body)`, a let as `(v{e}body)`,
// an atom as its text. Bytes below 32 and 127 are shown as `\n`, `\t` or `\xNN`; a real as
// `real[...]`, a block as `cape[...]`, a marker as `()`. At most `width` bytes are written;
// a longer text ends in "...". The work is bounded by the width, not by the term's size
// (a long spine is shown by its last arguments), and never recurses.
std::string termText(const Node* term, std::size_t width);

// Appends an atom's text as termText writes it, cut to `width` bytes and "...".
void appendAtomText(const Node* atom, std::string& out, std::size_t width);

// The bytes with those below 32 and 127 escaped as in termText, uncut.
std::string shownText(std::string_view bytes);

} // namespace rill
