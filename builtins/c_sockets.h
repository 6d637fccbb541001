// The socket interface: the platform's constants and record sizes, and the socket and
// name-resolution wrappers (BSD sockets; closing a socket is closing its descriptor).
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <span>

namespace rill {

NodeRef builtin_addrinfo(NodeRef call);    // the size of the address-information record
NodeRef builtin_af_unspec(NodeRef call);   // the unspecified address family
NodeRef builtin_ai_passive(NodeRef call);  // the flag for an address to bind to
NodeRef builtin_sock_stream(NodeRef call); // the stream socket type

// The bridge rows of the socket and name-resolution wrappers.
std::span<const BridgeRow> socketRows();

} // namespace rill
