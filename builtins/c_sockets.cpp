#include "builtins/c_sockets.h"

#include <netdb.h>
#include <sys/socket.h>

namespace rill {

NodeRef builtin_addrinfo(NodeRef) {
    return makeInteger(sizeof(struct addrinfo));
}

NodeRef builtin_af_unspec(NodeRef) {
    return makeInteger(AF_UNSPEC);
}

NodeRef builtin_ai_passive(NodeRef) {
    return makeInteger(AI_PASSIVE);
}

NodeRef builtin_sock_stream(NodeRef) {
    return makeInteger(SOCK_STREAM);
}

} // namespace rill
