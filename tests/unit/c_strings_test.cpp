#include "builtin_calls.h"
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
using rill::testing::address;
using rill::testing::callNamed;
using rill::testing::text;

TEST(StringBridge, StrlenMeasuresABracketTextWhole) {
    EXPECT_EQ(text(callNamed("strlen", {makeAtom("[abc]")})), "5");
    EXPECT_EQ(text(callNamed("strnlen", {makeAtom("[abc]"), makeInteger(2)})), "2");
}

TEST(StringBridge, ComparisonsAreTheCLibrarys) {
    EXPECT_EQ(text(callNamed("strcmp", {address("abc"), address("abc")})), "0");
    EXPECT_EQ(text(callNamed("strncmp", {address("abc"), address("abd"), makeInteger(2)})), "0");
    EXPECT_EQ(text(callNamed("strcasecmp", {address("ABC"), address("abc")})), "0");
    EXPECT_EQ(text(callNamed("strncasecmp", {address("ABx"), address("aby"), makeInteger(2)})),
              "0");
    EXPECT_NE(text(callNamed("strcmp", {address("a"), address("b")})), "0");
}

TEST(StringBridge, CopyAndAppendIntoABuffer) {
    char buffer[32] = {};
    const std::string block = blockText("hello");
    EXPECT_EQ(toPointer(callNamed("strcpy", {address(buffer), makeAtom(std::string_view(block))})),
              static_cast<void*>(buffer));
    callNamed("strcat", {address(buffer), address(", you")});
    EXPECT_STREQ(buffer, "hello, you");
    callNamed("strncat", {address(buffer), address("!!!"), makeInteger(1)});
    EXPECT_STREQ(buffer, "hello, you!");
    char other[8] = {};
    callNamed("strncpy", {address(other), address(buffer), makeInteger(4)});
    EXPECT_STREQ(other, "hell");
}

TEST(StringBridge, SearchesGiveAddressesIntoTheString) {
    const char* s = "one,two";
    EXPECT_EQ(toPointer(callNamed("strchr", {address(s), makeInteger(',')})), s + 3);
    EXPECT_EQ(toPointer(callNamed("strrchr", {address(s), makeInteger('o')})), s + 6);
    EXPECT_EQ(toPointer(callNamed("strstr", {address(s), address("two")})), s + 4);
    EXPECT_EQ(toPointer(callNamed("strpbrk", {address(s), address(",")})), s + 3);
    EXPECT_EQ(text(callNamed("strspn", {address(s), address("eno")})), "3");
    EXPECT_EQ(text(callNamed("strchr", {address(s), makeInteger('z')})), "0");
}

TEST(StringBridge, StrtolStoresItsEndPointer) {
    const char* s = "123abc";
    const char* end = nullptr;
    EXPECT_EQ(text(callNamed("strtol", {address(s), address(&end), makeInteger(10)})), "123");
    EXPECT_EQ(end, s + 3);
    EXPECT_EQ(text(callNamed("strtol", {address("-42"), makeInteger(0), makeInteger(10)})), "042");
    EXPECT_EQ(text(callNamed("strtol", {address("ff"), makeInteger(0), makeInteger(16)})), "255");
    EXPECT_DOUBLE_EQ(readReal(callNamed("strtod", {address("2.5x"), address(&end)})), 2.5);
    EXPECT_EQ(*end, 'x');
}

TEST(StringBridge, NumberConversions) {
    EXPECT_EQ(text(callNamed("atoi", {address("42")})), "42");
    EXPECT_EQ(text(callNamed("atol", {address("-7")})), "07");
    EXPECT_DOUBLE_EQ(readReal(callNamed("atof", {address("0.25")})), 0.25);
    EXPECT_EQ(text(callNamed("atof", {makeInteger(0)})), "Z");
}

TEST(StringBridge, StrtokSplitsAndContinuesWithZero) {
    char s[] = "a b  c";
    EXPECT_EQ(toPointer(callNamed("strtok", {address(s), address(" ")})), s);
    EXPECT_EQ(toPointer(callNamed("strtok", {makeInteger(0), address(" ")})), s + 2);
    EXPECT_EQ(toPointer(callNamed("strtok", {makeInteger(0), address(" ")})), s + 5);
    EXPECT_EQ(text(callNamed("strtok", {makeInteger(0), address(" ")})), "0");
    char t[] = "x;y";
    char* state = nullptr;
    EXPECT_EQ(toPointer(callNamed("strtok_r", {address(t), address(";"), address(&state)})), t);
    EXPECT_EQ(toPointer(callNamed("strtok_r", {makeInteger(0), address(";"), address(&state)})),
              t + 2);
}

TEST(StringBridge, StrdupAndStrerrorGiveAddressesNotCopies) {
    NodeRef copy = callNamed("strdup", {address("dup")});
    EXPECT_STREQ(static_cast<char*>(toPointer(copy)), "dup");
    std::free(toPointer(copy));
    EXPECT_STREQ(static_cast<char*>(toPointer(callNamed("strerror", {makeInteger(ENOENT)}))),
                 std::strerror(ENOENT));
}

TEST(StringBridge, EnvironmentAndShell) {
    ::setenv("RILL_BRIDGE_TEST", "yes", 1);
    EXPECT_STREQ(static_cast<char*>(toPointer(callNamed("getenv", {address("RILL_BRIDGE_TEST")}))),
                 "yes");
    EXPECT_EQ(text(callNamed("system", {address("exit 3")})), std::to_string(3 << 8));
}
