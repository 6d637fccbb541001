// The C library's process interface: ending the process, signals, the error number and its
// named values, the pseudo-random generator, and the program's own assertion.
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <span>

namespace rill {

NodeRef builtin_abort(NodeRef call);    // ends the process through the C library's abort
NodeRef builtin_errno(NodeRef call);    // the C library's current error number
NodeRef builtin_rand(NodeRef call);     // the C library's next pseudo-random number
NodeRef builtin_rand_max(NodeRef call); // the largest number rand gives
// assert t: "I" for a true value ("K..."); a false one ("H...") fails the interpreter's own
// assertion, which names this source file and line and aborts; anything else gives "Z".
NodeRef builtin_assert(NodeRef call);

// The bridge rows of exit, raise and srand.
std::span<const BridgeRow> processRows();

// The platform's error numbers, by name.
NodeRef builtin_eacces(NodeRef call);
NodeRef builtin_ebadf(NodeRef call);
NodeRef builtin_econnaborted(NodeRef call);
NodeRef builtin_efault(NodeRef call);
NodeRef builtin_eintr(NodeRef call);
NodeRef builtin_einval(NodeRef call);
NodeRef builtin_eio(NodeRef call);
NodeRef builtin_emfile(NodeRef call);
NodeRef builtin_enfile(NodeRef call);
NodeRef builtin_enodev(NodeRef call);
NodeRef builtin_enomem(NodeRef call);
NodeRef builtin_enotsock(NodeRef call);
NodeRef builtin_enxio(NodeRef call);
NodeRef builtin_eopnotsupp(NodeRef call);
NodeRef builtin_eoverflow(NodeRef call);
NodeRef builtin_ewouldblock(NodeRef call);

} // namespace rill
