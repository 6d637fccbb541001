#include "builtins/c_sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rill {

namespace {

int fd(const BridgeArgs& a, int k) {
    return static_cast<int>(a.n(k));
}
socklen_t length(const BridgeArgs& a, int k) {
    return static_cast<socklen_t>(a.n(k));
}
std::size_t size(const BridgeArgs& a, int k) {
    return static_cast<std::size_t>(a.n(k));
}
sockaddr* address(const BridgeArgs& a, int k) {
    return static_cast<sockaddr*>(a.p(k));
}

// fd_set set socket: adds the socket to the platform's descriptor set; a socket that the set
// cannot hold (negative, or not below FD_SETSIZE) leaves it as it is.
CResult addToSet(const BridgeArgs& a) {
    const std::int64_t socket = a.n(2);
    if (socket >= 0 && socket < FD_SETSIZE)
        FD_SET(static_cast<int>(socket), static_cast<fd_set*>(a.p(1)));
    return {};
}

// The socket wrappers, one row each: name, argument kinds, result kind, call.
const BridgeRow kSocketRows[] = {
    {"socket", "NNN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::socket(fd(a, 1), fd(a, 2), fd(a, 3)); }},
    {"bind", "NPN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::bind(fd(a, 1), address(a, 2), length(a, 3)); }},
    {"listen", "NN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::listen(fd(a, 1), fd(a, 2)); }},
    {"accept", "NPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::accept(fd(a, 1), address(a, 2), static_cast<socklen_t*>(a.p(3)));
     }},
    {"connect", "NPN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::connect(fd(a, 1), address(a, 2), length(a, 3));
     }},
    {"shutdown", "NN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::shutdown(fd(a, 1), fd(a, 2)); }},
    {"closesocket", "N", 'N', [](const BridgeArgs& a) -> CResult { return ::close(fd(a, 1)); }},
    {"send", "NSNN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::send(fd(a, 1), a.s(2), size(a, 3), fd(a, 4)); }},
    {"sendto", "NSNNPN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::sendto(fd(a, 1), a.s(2), size(a, 3), fd(a, 4), address(a, 5), length(a, 6));
     }},
    {"recv", "NPNN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::recv(fd(a, 1), a.p(2), size(a, 3), fd(a, 4)); }},
    {"recvfrom", "NPNNPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::recvfrom(fd(a, 1), a.p(2), size(a, 3), fd(a, 4), address(a, 5),
                           static_cast<socklen_t*>(a.p(6)));
     }},
    {"setsockopt", "NNNPN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::setsockopt(fd(a, 1), fd(a, 2), fd(a, 3), a.p(4), length(a, 5));
     }},
    {"getpeername", "NPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::getpeername(fd(a, 1), address(a, 2), static_cast<socklen_t*>(a.p(3)));
     }},
    {"gethostname", "PN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::gethostname(static_cast<char*>(a.p(1)), size(a, 2));
     }},
    {"getaddrinfo", "PPPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::getaddrinfo(static_cast<const char*>(a.p(1)), static_cast<const char*>(a.p(2)),
                              static_cast<const addrinfo*>(a.p(3)),
                              static_cast<addrinfo**>(a.p(4)));
     }},
    {"freeaddrinfo", "P", 'I',
     [](const BridgeArgs& a) -> CResult {
         ::freeaddrinfo(static_cast<addrinfo*>(a.p(1)));
         return {};
     }},
    {"gai_strerror", "N", 'P',
     [](const BridgeArgs& a) -> CResult { return ::gai_strerror(fd(a, 1)); }},
    {"getnameinfo", "PNPNPNN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::getnameinfo(address(a, 1), length(a, 2), static_cast<char*>(a.p(3)), length(a, 4),
                              static_cast<char*>(a.p(5)), length(a, 6), fd(a, 7));
     }},
    {"inet_ntop", "NPPN", 'P',
     [](const BridgeArgs& a) -> CResult {
         return ::inet_ntop(fd(a, 1), a.p(2), static_cast<char*>(a.p(3)), length(a, 4));
     }},
    {"inet_pton", "NPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::inet_pton(fd(a, 1), static_cast<const char*>(a.p(2)), a.p(3));
     }},
    {"htonl", "N", 'N',
     [](const BridgeArgs& a) -> CResult { return htonl(static_cast<std::uint32_t>(a.n(1))); }},
    {"htons", "N", 'N',
     [](const BridgeArgs& a) -> CResult { return htons(static_cast<std::uint16_t>(a.n(1))); }},
    {"ntohl", "N", 'U',
     [](const BridgeArgs& a) -> CResult { return ntohl(static_cast<std::uint32_t>(a.n(1))); }},
    {"ntohs", "N", 'U',
     [](const BridgeArgs& a) -> CResult { return ntohs(static_cast<std::uint16_t>(a.n(1))); }},
    {"fd_set", "PN", 'I', addToSet},
};

} // namespace

std::span<const BridgeRow> socketRows() {
    return kSocketRows;
}

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
