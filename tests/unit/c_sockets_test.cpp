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

TEST(SocketConstants, AreThePlatformsValues) {
    EXPECT_EQ(atomText(builtin_addrinfo(makeAtom("f"))), std::to_string(sizeof(addrinfo)));
    EXPECT_EQ(atomText(builtin_af_unspec(makeAtom("f"))), std::to_string(AF_UNSPEC));
    EXPECT_EQ(atomText(builtin_ai_passive(makeAtom("f"))), std::to_string(AI_PASSIVE));
    EXPECT_EQ(atomText(builtin_sock_stream(makeAtom("f"))), std::to_string(SOCK_STREAM));
}

namespace {

NodeRef bridgeCall(const char* name, std::vector<NodeRef> arguments) {
    NodeRef call = makeAtom(name);
    for (NodeRef& a : arguments)
        call = apply(std::move(call), std::move(a));
    return callBridge(std::move(call));
}

NodeRef addressOf(const void* p) {
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)));
}

} // namespace

TEST(SocketBridge, ByteOrderConversions) {
    EXPECT_EQ(atomText(bridgeCall("htons", {makeInteger(0x1234)})), std::to_string(htons(0x1234)));
    EXPECT_EQ(atomText(bridgeCall("ntohl", {makeInteger(0x01000000)})), "1");
    EXPECT_EQ(atomText(bridgeCall("ntohs", {makeInteger(0x0100)})), "1");
}

TEST(SocketBridge, AddressTextsBothWays) {
    unsigned char bytes[4] = {};
    EXPECT_EQ(atomText(bridgeCall(
                  "inet_pton", {makeInteger(AF_INET), addressOf("127.0.0.1"), addressOf(bytes)})),
              "1");
    EXPECT_EQ(bytes[0], 127);
    EXPECT_EQ(bytes[3], 1);
    char shown[16] = {};
    EXPECT_EQ(toPointer(bridgeCall("inet_ntop", {makeInteger(AF_INET), addressOf(bytes),
                                                 addressOf(shown), makeInteger(16)})),
              static_cast<void*>(shown));
    EXPECT_STREQ(shown, "127.0.0.1");
}

TEST(SocketBridge, ResolvesTheLoopbackAddressAndFreesTheList) {
    addrinfo* list = nullptr;
    EXPECT_EQ(atomText(bridgeCall("getaddrinfo", {addressOf("127.0.0.1"), addressOf("80"),
                                                  makeInteger(0), addressOf(&list)})),
              "0");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(atomText(bridgeCall("freeaddrinfo", {addressOf(list)})), "I");
    EXPECT_NE(toPointer(bridgeCall("gai_strerror", {makeInteger(EAI_NONAME)})), nullptr);
}

TEST(SocketBridge, AStreamSocketBindsListensAndCloses) {
    NodeRef s =
        bridgeCall("socket", {makeInteger(AF_INET), makeInteger(SOCK_STREAM), makeInteger(0)});
    ASSERT_GE(toInt64(s), 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(atomText(bridgeCall("bind", {s, addressOf(&where), makeInteger(sizeof where)})), "0");
    EXPECT_EQ(atomText(bridgeCall("listen", {s, makeInteger(1)})), "0");
    EXPECT_EQ(atomText(bridgeCall("closesocket", {s})), "0");
    EXPECT_EQ(atomText(bridgeCall("closesocket", {s})), "01");
}

TEST(SocketBridge, FdSetAddsASocketOnceAndIgnoresOnesItCannotHold) {
    fd_set set;
    FD_ZERO(&set);
    EXPECT_EQ(atomText(bridgeCall("fd_set", {addressOf(&set), makeInteger(5)})), "I");
    EXPECT_TRUE(FD_ISSET(5, &set));
    EXPECT_EQ(atomText(bridgeCall("fd_set", {addressOf(&set), makeInteger(5)})), "I");
    EXPECT_TRUE(FD_ISSET(5, &set));
    fd_set before = set;
    EXPECT_EQ(atomText(bridgeCall("fd_set", {addressOf(&set), makeAtom("01")})), "I");
    EXPECT_EQ(atomText(bridgeCall("fd_set", {addressOf(&set), makeInteger(FD_SETSIZE)})), "I");
    EXPECT_EQ(std::memcmp(&before, &set, sizeof set), 0);
    EXPECT_EQ(atomText(bridgeCall("fd_set", {addressOf(&set), makeAtom("[5]")})), "Z");
}
