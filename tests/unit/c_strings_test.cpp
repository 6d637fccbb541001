#include "builtins/c_strings.h"
#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"

#include <cerrno>
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

TEST(StringBridge, StrlenMeasuresABracketTextWhole) {
    EXPECT_EQ(text(bridge("strlen", {makeAtom("[abc]")})), "5");
    EXPECT_EQ(text(bridge("strnlen", {makeAtom("[abc]"), makeInteger(2)})), "2");
}

TEST(StringBridge, ComparisonsAreTheCLibrarys) {
    EXPECT_EQ(text(bridge("strcmp", {address("abc"), address("abc")})), "0");
    EXPECT_EQ(text(bridge("strncmp", {address("abc"), address("abd"), makeInteger(2)})), "0");
    EXPECT_EQ(text(bridge("strcasecmp", {address("ABC"), address("abc")})), "0");
    EXPECT_EQ(text(bridge("strncasecmp", {address("ABx"), address("aby"), makeInteger(2)})), "0");
    EXPECT_NE(text(bridge("strcmp", {address("a"), address("b")})), "0");
}

TEST(StringBridge, CopyAndAppendIntoABuffer) {
    char buffer[32] = {};
    const std::string block = blockText("hello");
    EXPECT_EQ(toPointer(bridge("strcpy", {address(buffer), makeAtom(std::string_view(block))})),
              static_cast<void*>(buffer));
    bridge("strcat", {address(buffer), address(", you")});
    EXPECT_STREQ(buffer, "hello, you");
    bridge("strncat", {address(buffer), address("!!!"), makeInteger(1)});
    EXPECT_STREQ(buffer, "hello, you!");
    char other[8] = {};
    bridge("strncpy", {address(other), address(buffer), makeInteger(4)});
    EXPECT_STREQ(other, "hell");
}

TEST(StringBridge, SearchesGiveAddressesIntoTheString) {
    const char* s = "one,two";
    EXPECT_EQ(toPointer(bridge("strchr", {address(s), makeInteger(',')})), s + 3);
    EXPECT_EQ(toPointer(bridge("strrchr", {address(s), makeInteger('o')})), s + 6);
    EXPECT_EQ(toPointer(bridge("strstr", {address(s), address("two")})), s + 4);
    EXPECT_EQ(toPointer(bridge("strpbrk", {address(s), address(",")})), s + 3);
    EXPECT_EQ(text(bridge("strspn", {address(s), address("eno")})), "3");
    EXPECT_EQ(text(bridge("strchr", {address(s), makeInteger('z')})), "0");
}

TEST(StringBridge, StrtolStoresItsEndPointer) {
    const char* s = "123abc";
    const char* end = nullptr;
    EXPECT_EQ(text(bridge("strtol", {address(s), address(&end), makeInteger(10)})), "123");
    EXPECT_EQ(end, s + 3);
    EXPECT_EQ(text(bridge("strtol", {address("-42"), makeInteger(0), makeInteger(10)})), "042");
    EXPECT_EQ(text(bridge("strtol", {address("ff"), makeInteger(0), makeInteger(16)})), "255");
    EXPECT_DOUBLE_EQ(readReal(bridge("strtod", {address("2.5x"), address(&end)})), 2.5);
    EXPECT_EQ(*end, 'x');
}

TEST(StringBridge, NumberConversions) {
    EXPECT_EQ(text(bridge("atoi", {address("42")})), "42");
    EXPECT_EQ(text(bridge("atol", {address("-7")})), "07");
    EXPECT_DOUBLE_EQ(readReal(bridge("atof", {address("0.25")})), 0.25);
    EXPECT_EQ(text(bridge("atof", {makeInteger(0)})), "Z");
}

TEST(StringBridge, StrtokSplitsAndContinuesWithZero) {
    char s[] = "a b  c";
    EXPECT_EQ(toPointer(bridge("strtok", {address(s), address(" ")})), s);
    EXPECT_EQ(toPointer(bridge("strtok", {makeInteger(0), address(" ")})), s + 2);
    EXPECT_EQ(toPointer(bridge("strtok", {makeInteger(0), address(" ")})), s + 5);
    EXPECT_EQ(text(bridge("strtok", {makeInteger(0), address(" ")})), "0");
    char t[] = "x;y";
    char* state = nullptr;
    EXPECT_EQ(toPointer(bridge("strtok_r", {address(t), address(";"), address(&state)})), t);
    EXPECT_EQ(toPointer(bridge("strtok_r", {makeInteger(0), address(";"), address(&state)})),
              t + 2);
}

TEST(StringBridge, StrdupAndStrerrorGiveAddressesNotCopies) {
    NodeRef copy = bridge("strdup", {address("dup")});
    EXPECT_STREQ(static_cast<char*>(toPointer(copy)), "dup");
    std::free(toPointer(copy));
    EXPECT_STREQ(static_cast<char*>(toPointer(bridge("strerror", {makeInteger(ENOENT)}))),
                 std::strerror(ENOENT));
}

TEST(StringBridge, EnvironmentAndShell) {
    ::setenv("RILL_BRIDGE_TEST", "yes", 1);
    EXPECT_STREQ(static_cast<char*>(toPointer(bridge("getenv", {address("RILL_BRIDGE_TEST")}))),
                 "yes");
    EXPECT_EQ(text(bridge("system", {address("exit 3")})), std::to_string(3 << 8));
}
