// The arithmetic built-ins: plus, dash, mult, over, cent and powa, on integers, reals, `o`
// values and, for plus, dash and mult, byte strings and data blocks.
//
// Each decides what to do from the kinds of its two arguments: a kind of `w` gives "Z";
// equal kinds use that kind's operation; a string or block beside another kind uses the
// built-in's byte-string rules; a real beside an integer or `o` value turns both into reals;
// an integer beside an `o` value is worked in the `o` arithmetic (over and powa excepted).
#pragma once

#include "core/node_store.h"

namespace rill {

NodeRef builtin_plus(NodeRef call); // x + y; strings and blocks joined
NodeRef builtin_dash(NodeRef call); // x - y; bytes dropped from a string or block
NodeRef builtin_mult(NodeRef call); // x times y; a string or block repeated
NodeRef builtin_over(NodeRef call); // the floor of x / y for integers, x / y for reals
NodeRef builtin_cent(NodeRef call); // the remainder in 0 .. |y| - 1; fmod for reals
NodeRef builtin_powa(NodeRef call); // x to the power y

} // namespace rill
