#include "builtin_calls.h"
#include "builtins/c_sockets.h"
#include "builtins/calling_protocol.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstring>
#include <netdb.h>
#include <string>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::address;
using rill::testing::callNamed;

TEST(SocketBridge, ByteOrderConversions) {
    EXPECT_EQ(atomText(callNamed("htons", {makeInteger(0x1234)})), std::to_string(htons(0x1234)));
    EXPECT_EQ(atomText(callNamed("ntohl", {makeInteger(0x01000000)})), "1");
    EXPECT_EQ(atomText(callNamed("ntohs", {makeInteger(0x0100)})), "1");
}

TEST(SocketBridge, AddressTextsBothWays) {
    unsigned char bytes[4] = {};
    EXPECT_EQ(atomText(callNamed("inet_pton",
                                 {makeInteger(AF_INET), address("127.0.0.1"), address(bytes)})),
              "1");
    EXPECT_EQ(bytes[0], 127);
    EXPECT_EQ(bytes[3], 1);
    char shown[16] = {};
    EXPECT_EQ(toPointer(callNamed("inet_ntop", {makeInteger(AF_INET), address(bytes),
                                                address(shown), makeInteger(16)})),
              static_cast<void*>(shown));
    EXPECT_STREQ(shown, "127.0.0.1");
}

TEST(SocketBridge, ResolvesTheLoopbackAddressAndFreesTheList) {
    addrinfo* list = nullptr;
    EXPECT_EQ(atomText(callNamed("getaddrinfo", {address("127.0.0.1"), address("80"),
                                                 makeInteger(0), address(&list)})),
              "0");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(atomText(callNamed("freeaddrinfo", {address(list)})), "I");
    EXPECT_NE(toPointer(callNamed("gai_strerror", {makeInteger(EAI_NONAME)})), nullptr);
}

TEST(SocketBridge, AStreamSocketBindsListensAndCloses) {
    NodeRef s =
        callNamed("socket", {makeInteger(AF_INET), makeInteger(SOCK_STREAM), makeInteger(0)});
    ASSERT_GE(toInt64(s), 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(atomText(callNamed("bind", {s, address(&where), makeInteger(sizeof where)})), "0");
    EXPECT_EQ(atomText(callNamed("listen", {s, makeInteger(1)})), "0");
    EXPECT_EQ(atomText(callNamed("closesocket", {s})), "0");
    EXPECT_EQ(atomText(callNamed("closesocket", {s})), "01");
}

TEST(SocketBridge, FdSetAddsASocketOnceAndIgnoresOnesItCannotHold) {
    fd_set set;
    FD_ZERO(&set);
    EXPECT_EQ(atomText(callNamed("fd_set", {address(&set), makeInteger(5)})), "I");
    EXPECT_TRUE(FD_ISSET(5, &set));
    EXPECT_EQ(atomText(callNamed("fd_set", {address(&set), makeInteger(5)})), "I");
    EXPECT_TRUE(FD_ISSET(5, &set));
    fd_set before = set;
    EXPECT_EQ(atomText(callNamed("fd_set", {address(&set), makeAtom("01")})), "I");
    EXPECT_EQ(atomText(callNamed("fd_set", {address(&set), makeInteger(FD_SETSIZE)})), "I");
    EXPECT_EQ(std::memcmp(&before, &set, sizeof set), 0);
    EXPECT_EQ(atomText(callNamed("fd_set", {address(&set), makeAtom("[5]")})), "Z");
}
