#include "builtins/c_sockets.h"

#include <netdb.h>
#include <string>
#include <sys/socket.h>

#include <gtest/gtest.h>

using namespace rill;

TEST(SocketConstants, AreThePlatformsValues) {
    EXPECT_EQ(atomText(builtin_addrinfo(makeAtom("f"))), std::to_string(sizeof(addrinfo)));
    EXPECT_EQ(atomText(builtin_af_unspec(makeAtom("f"))), std::to_string(AF_UNSPEC));
    EXPECT_EQ(atomText(builtin_ai_passive(makeAtom("f"))), std::to_string(AI_PASSIVE));
    EXPECT_EQ(atomText(builtin_sock_stream(makeAtom("f"))), std::to_string(SOCK_STREAM));
}
