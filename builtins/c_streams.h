// The C library's streams and files: the standard streams, single-byte input and temporary
// files here; the stream wrappers follow.
#pragma once

#include "core/node_store.h"

namespace rill {

NodeRef builtin_getchar(NodeRef call); // the next byte of standard input, or EOF
NodeRef builtin_stderr(NodeRef call);  // the address of the standard error stream
NodeRef builtin_stdout(NodeRef call);  // the address of the standard output stream
NodeRef builtin_tmpfile(NodeRef call); // the address of a new temporary stream; 0 on failure

} // namespace rill
