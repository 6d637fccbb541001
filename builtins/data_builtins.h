// Data built-ins: bracket strings, their list view and character tree codes, data blocks,
// and the built-ins that take them apart, convert and measure them.
//
// A bracket string is an atom "[" elements "]"; an element is one byte other than "[", "]"
// and newline, or a bracket group ("[p]" newline, "[q]" "[", "[r]" "]"). A string is read
// from its end: its last element and the string of all elements before it (its init). Taken
// apart structurally, every element is itself a bracket text: a plain byte becomes the tree
// code of its character.
#pragma once

#include "core/node_store.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace rill {

// The tree code of n (0 to 676): "[]" for 0, else "[" + code(a) + code(b) without its first
// byte, with a and b read off the integer square root of n - 1.
std::string treeCode(unsigned n);
// The tree code of a byte's character; empty for newline, "[" and "]", which have none.
std::string_view characterCode(unsigned char byte);
// The byte whose character has this tree code, or -1 when the text is no character's code.
int characterOfCode(std::string_view code);

// Where the last element of a non-empty bracket text (length 3 or more) starts.
std::size_t lastElementStart(std::string_view text);
// The init of a non-empty bracket text: a new bracket atom of all elements but the last.
NodeRef stringInit(std::string_view text);
// The last element of a non-empty bracket text as a new bracket atom: a group as written, a
// plain byte as the tree code of its character (a bare newline as "[p]").
NodeRef stringLast(std::string_view text);

// --- Built-ins --------------------------------------------------------------------------------

// cape x: a string's bytes as a block, "[p]", "[q]", "[r]" decoded (any other group, or an
// unpaired bracket, gives "Z"); a block's payload as a string, "[" and "]" escaped.
NodeRef builtin_cape(NodeRef call);
// init x: a block of a block (itself), a real's 8 bytes, an integer's low byte, a string's text
// between its brackets as written, or a K-closed J list of integers, one byte each.
NodeRef builtin_init(NodeRef call);
// rank x: a block's payload size, 8 for a real, a number's text length, the byte count of a
// string between its outer brackets.
NodeRef builtin_rank(NodeRef call);

} // namespace rill
