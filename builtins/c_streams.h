// The C library's streams and files: the standard streams, single-byte input, temporary
// files, and the stream, file and descriptor wrappers.
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <span>

namespace rill {

NodeRef builtin_getchar(NodeRef call); // the next byte of standard input, or EOF
NodeRef builtin_stderr(NodeRef call);  // the address of the standard error stream
NodeRef builtin_stdout(NodeRef call);  // the address of the standard output stream
NodeRef builtin_tmpfile(NodeRef call); // the address of a new temporary stream; 0 on failure

// The bridge rows of the stream wrappers.
std::span<const BridgeRow> streamRows();

} // namespace rill
