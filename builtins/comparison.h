// The comparison built-ins: less, gteq, same and diff order values first by kind (a < e < i
// < o < u), then within a kind; cmpr is a three-way order on the shape and text of any two
// values.
#pragma once

#include "core/node_store.h"

namespace rill {

NodeRef builtin_less(NodeRef call); // "K" when x is below y; "Z" for a `w` value
NodeRef builtin_gteq(NodeRef call); // "K" when x is not below y (reals: x >= y)
NodeRef builtin_same(NodeRef call); // "K" for the very same node or equal values
NodeRef builtin_diff(NodeRef call); // the negation of same
NodeRef builtin_cmpr(NodeRef call); // "1" when x sorts first, "01" when y does, "0" if equal

// The order of cmpr: -1 when a sorts before b, 1 after, 0 equal. Atoms come before
// applications, atoms compare their texts as unsigned bytes, applications their function
// parts and then their argument parts. Works without recursion on the depth of the terms.
int compareByShape(const NodeRef& a, const NodeRef& b);

} // namespace rill
