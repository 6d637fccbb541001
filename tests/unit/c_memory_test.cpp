#include "builtin_calls.h"
#include "builtins/c_memory.h"
#include "builtins/calling_protocol.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::address;
using rill::testing::callNamed;
using rill::testing::text;

TEST(MemoryBridge, MallocGivesAnAddressThatFreeReleases) {
    NodeRef p = callNamed("malloc", {makeInteger(16)});
    ASSERT_NE(toPointer(p), nullptr);
    EXPECT_EQ(text(callNamed("free", {p})), "I");
}

TEST(MemoryBridge, ANegativeSizeIsPassedOnAndTheAllocationFails) {
    EXPECT_EQ(text(callNamed("malloc", {makeAtom("05")})), "0");
}

TEST(MemoryBridge, CopySetCompareAndSearch) {
    char a[8] = "abcdefg";
    char b[8] = {};
    EXPECT_EQ(toPointer(callNamed("memcpy", {address(b), address(a), makeInteger(8)})),
              static_cast<void*>(b));
    EXPECT_STREQ(b, "abcdefg");
    EXPECT_EQ(text(callNamed("memcmp", {address(a), address(b), makeInteger(8)})), "0");
    EXPECT_EQ(toPointer(callNamed("memset", {address(b), makeInteger('x'), makeInteger(3)})),
              static_cast<void*>(b));
    EXPECT_STREQ(b, "xxxdefg");
    EXPECT_EQ(toPointer(callNamed("memchr", {address(a), makeInteger('d'), makeInteger(8)})),
              static_cast<void*>(a + 3));
    EXPECT_EQ(text(callNamed("memchr", {address(a), makeInteger('z'), makeInteger(8)})), "0");
    EXPECT_EQ(text(callNamed("bzero", {address(b), makeInteger(8)})), "I");
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[7], 0);
    callNamed("memmove", {address(a + 1), address(a), makeInteger(3)});
    EXPECT_STREQ(a, "aabcefg");
}

TEST(MemoryBridge, CallocClearsAndReallocKeeps) {
    NodeRef p = callNamed("calloc", {makeInteger(4), makeInteger(4)});
    auto* bytes = static_cast<unsigned char*>(toPointer(p));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[15], 0);
    bytes[0] = 7;
    NodeRef q = callNamed("realloc", {p, makeInteger(64)});
    ASSERT_NE(toPointer(q), nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(toPointer(q))[0], 7);
    callNamed("free", {q});
}
