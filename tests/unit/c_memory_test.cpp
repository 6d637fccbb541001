#include "builtins/c_memory.h"
#include "builtins/calling_protocol.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

NodeRef bridge(const char* name, std::vector<NodeRef> arguments) {
    NodeRef call = makeAtom(name);
    for (NodeRef& a : arguments)
        call = apply(std::move(call), std::move(a));
    return callBridge(std::move(call));
}

std::string text(const NodeRef& n) {
    return std::string(atomText(n));
}

NodeRef address(const void* p) {
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)));
}

} // namespace

TEST(MemoryBridge, MallocGivesAnAddressThatFreeReleases) {
    NodeRef p = bridge("malloc", {makeInteger(16)});
    ASSERT_NE(toPointer(p), nullptr);
    EXPECT_EQ(text(bridge("free", {p})), "I");
}

TEST(MemoryBridge, ANegativeSizeIsPassedOnAndTheAllocationFails) {
    EXPECT_EQ(text(bridge("malloc", {makeAtom("05")})), "0");
}

TEST(MemoryBridge, CopySetCompareAndSearch) {
    char a[8] = "abcdefg";
    char b[8] = {};
    EXPECT_EQ(toPointer(bridge("memcpy", {address(b), address(a), makeInteger(8)})),
              static_cast<void*>(b));
    EXPECT_STREQ(b, "abcdefg");
    EXPECT_EQ(text(bridge("memcmp", {address(a), address(b), makeInteger(8)})), "0");
    EXPECT_EQ(toPointer(bridge("memset", {address(b), makeInteger('x'), makeInteger(3)})),
              static_cast<void*>(b));
    EXPECT_STREQ(b, "xxxdefg");
    EXPECT_EQ(toPointer(bridge("memchr", {address(a), makeInteger('d'), makeInteger(8)})),
              static_cast<void*>(a + 3));
    EXPECT_EQ(text(bridge("memchr", {address(a), makeInteger('z'), makeInteger(8)})), "0");
    EXPECT_EQ(text(bridge("bzero", {address(b), makeInteger(8)})), "I");
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[7], 0);
    bridge("memmove", {address(a + 1), address(a), makeInteger(3)});
    EXPECT_STREQ(a, "aabcefg");
}

TEST(MemoryBridge, CallocClearsAndReallocKeeps) {
    NodeRef p = bridge("calloc", {makeInteger(4), makeInteger(4)});
    auto* bytes = static_cast<unsigned char*>(toPointer(p));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[15], 0);
    bytes[0] = 7;
    NodeRef q = bridge("realloc", {p, makeInteger(64)});
    ASSERT_NE(toPointer(q), nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(toPointer(q))[0], 7);
    bridge("free", {q});
}
