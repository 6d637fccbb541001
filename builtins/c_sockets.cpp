#include "builtins/c_sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rill {

namespace {

socklen_t length(const BridgeArgs& a, int k) {
    return static_cast<socklen_t>(a.n(k));
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

// The socket wrappers, one row each: name, argument kinds, result kind, call; then the
// constants.
const BridgeRow kSocketRows[] = {
    {"socket", "NNN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::socket(a.asInt(1), a.asInt(2), a.asInt(3)); }},
    {"bind", "NPN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::bind(a.asInt(1), address(a, 2), length(a, 3));
     }},
    {"listen", "NN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::listen(a.asInt(1), a.asInt(2)); }},
    {"accept", "NPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::accept(a.asInt(1), address(a, 2), static_cast<socklen_t*>(a.p(3)));
     }},
    {"connect", "NPN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::connect(a.asInt(1), address(a, 2), length(a, 3));
     }},
    {"shutdown", "NN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::shutdown(a.asInt(1), a.asInt(2)); }},
    {"closesocket", "N", 'N', [](const BridgeArgs& a) -> CResult { return ::close(a.asInt(1)); }},
    {"send", "NSNN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::send(a.asInt(1), a.s(2), a.size(3), a.asInt(4));
     }},
    {"sendto", "NSNNPN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::sendto(a.asInt(1), a.s(2), a.size(3), a.asInt(4), address(a, 5), length(a, 6));
     }},
    {"recv", "NPNN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::recv(a.asInt(1), a.p(2), a.size(3), a.asInt(4));
     }},
    {"recvfrom", "NPNNPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::recvfrom(a.asInt(1), a.p(2), a.size(3), a.asInt(4), address(a, 5),
                           static_cast<socklen_t*>(a.p(6)));
     }},
    {"setsockopt", "NNNPN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::setsockopt(a.asInt(1), a.asInt(2), a.asInt(3), a.p(4), length(a, 5));
     }},
    {"getpeername", "NPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::getpeername(a.asInt(1), address(a, 2), static_cast<socklen_t*>(a.p(3)));
     }},
    {"gethostname", "PN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::gethostname(static_cast<char*>(a.p(1)), a.size(2));
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
     [](const BridgeArgs& a) -> CResult { return ::gai_strerror(a.asInt(1)); }},
    {"getnameinfo", "PNPNPNN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::getnameinfo(address(a, 1), length(a, 2), static_cast<char*>(a.p(3)), length(a, 4),
                              static_cast<char*>(a.p(5)), length(a, 6), a.asInt(7));
     }},
    {"inet_ntop", "NPPN", 'P',
     [](const BridgeArgs& a) -> CResult {
         return ::inet_ntop(a.asInt(1), a.p(2), static_cast<char*>(a.p(3)), length(a, 4));
     }},
    {"inet_pton", "NPP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return ::inet_pton(a.asInt(1), static_cast<const char*>(a.p(2)), a.p(3));
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
    // The platform's record size, address family, flag and socket type.
    {"addrinfo", sizeof(addrinfo)},
    {"af_unspec", AF_UNSPEC},
    {"ai_passive", AI_PASSIVE},
    {"sock_stream", SOCK_STREAM},
};

} // namespace

std::span<const BridgeRow> socketRows() {
    return kSocketRows;
}

} // namespace rill
