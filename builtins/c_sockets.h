// The socket interface: the platform's constants and record sizes here; the socket and
// name-resolution wrappers follow.
#pragma once

#include "core/node_store.h"

namespace rill {

NodeRef builtin_addrinfo(NodeRef call);    // the size of the address-information record
NodeRef builtin_af_unspec(NodeRef call);   // the unspecified address family
NodeRef builtin_ai_passive(NodeRef call);  // the flag for an address to bind to
NodeRef builtin_sock_stream(NodeRef call); // the stream socket type

} // namespace rill
