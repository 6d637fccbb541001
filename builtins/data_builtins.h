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

// Where the last element of a non-empty bracket text starts; false when the text is shorter
// than three bytes or its closing group has no partner.
bool findLastElement(std::string_view text, std::size_t& start);
// Where the last element of a non-empty bracket text (length 3 or more) starts.
std::size_t lastElementStart(std::string_view text);
// The init of a non-empty bracket text: a new bracket atom of all elements but the last.
NodeRef stringInit(std::string_view text);
// The last element of a non-empty bracket text as a new bracket atom: a group as written, a
// plain byte as the tree code of its character (a bare newline as "[p]").
NodeRef stringLast(std::string_view text);
// One element as a new bracket atom: a group as written, a plain byte as its character's tree
// code (a bare newline, "[" or "]" as its escape group).
NodeRef elementAtom(std::string_view element);

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

// leaf x: "K" for "[]" or a list view of K, "H" for another string or list view.
NodeRef builtin_leaf(NodeRef call);
// left x: a string's init; V (X J) l of a list view V (X J) ((J l) r).
NodeRef builtin_left(NodeRef call);
// rght x: a string's last element; V (X J) r of a list view V (X J) ((J l) r).
NodeRef builtin_rght(NodeRef call);
// buck x ("$"): a block's first byte as a string, the sign of a number ("K" when not
// negative), a string's init.
NodeRef builtin_buck(NodeRef call);
// wave x ("~"): a block without its first byte, the negated real or integer, a string's last
// element.
NodeRef builtin_wave(NodeRef call);
// zits x: a bracket string of a block's payload, an integer's low byte, a real's "%e" text, a
// string, or the elements of a list view.
NodeRef builtin_zits(NodeRef call);
// lots x: the explicit bit list of a number, real, block or bit list; a string's list view.
NodeRef builtin_lots(NodeRef call);
// lits x: a one-byte string or block as a signed byte; the number a bit list or real spells.
NodeRef builtin_lits(NodeRef call);
// look x n: byte n of a block or string, bit n of a real or number; negative n from the end.
NodeRef builtin_look(NodeRef call);
// trim x i j: bytes i up to j of a block or string; negative positions from the end.
NodeRef builtin_trim(NodeRef call);
// cork x n v: x with byte n (bit n of a real) replaced by v; in place when x is the call's alone.
NodeRef builtin_cork(NodeRef call);
// copy x address: the bytes of x written to memory at the address; "I".
NodeRef builtin_copy(NodeRef call);
// raws x y: "K" when both are the very same node.
NodeRef builtin_raws(NodeRef call);
// leak x: the machine address of x's node.
NodeRef builtin_leak(NodeRef call);

// Record slot readers at an address: 32 bits unsigned (getu) and signed (gets), 16 bits (gett,
// getv), 64 bits (getw, getz), 8 bits (getx, gety).
NodeRef builtin_getu(NodeRef call);
NodeRef builtin_gets(NodeRef call);
NodeRef builtin_gett(NodeRef call);
NodeRef builtin_getv(NodeRef call);
NodeRef builtin_getw(NodeRef call);
NodeRef builtin_getz(NodeRef call);
NodeRef builtin_getx(NodeRef call);
NodeRef builtin_gety(NodeRef call);
// Record slot writers: the value's low 32, 16, 64 or 8 bits stored at the address; "I".
NodeRef builtin_setu(NodeRef call);
NodeRef builtin_sett(NodeRef call);
NodeRef builtin_setw(NodeRef call);
NodeRef builtin_setx(NodeRef call);

} // namespace rill
