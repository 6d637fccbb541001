// The C library's process interface: ending the process, signals, the error number and its
// named values, the pseudo-random generator, and the program's own assertion.
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <span>

namespace rill {

// assert t: "I" for a true value ("K..."); a false one ("H...") fails the interpreter's own
// assertion, which names this source file and line and aborts; anything else gives "Z".
NodeRef builtin_assert(NodeRef call);

// The bridge rows of exit, raise, srand, abort (through the C library's abort), errno (the
// current error number) and rand, and of the constants rand_max and the error numbers.
std::span<const BridgeRow> processRows();

} // namespace rill
