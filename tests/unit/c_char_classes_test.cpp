#include "builtin_calls.h"
#include "builtins/c_char_classes.h"
#include "builtins/calling_protocol.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::callNamed;
using rill::testing::text;

TEST(CharClassBridge, DigitsAndLetters) {
    EXPECT_EQ(text(callNamed("isdigit", {makeInteger(48)})), "K");
    EXPECT_EQ(text(callNamed("isdigit", {makeInteger(65)})), "H");
    EXPECT_EQ(text(callNamed("isdigit", {makeAtom("[0]")})), "Z");
    EXPECT_EQ(text(callNamed("isalpha", {makeInteger('q')})), "K");
    EXPECT_EQ(text(callNamed("isalnum", {makeInteger('_')})), "H");
    EXPECT_EQ(text(callNamed("isupper", {makeInteger('Q')})), "K");
    EXPECT_EQ(text(callNamed("islower", {makeInteger('Q')})), "H");
    EXPECT_EQ(text(callNamed("isspace", {makeInteger('\n')})), "K");
    EXPECT_EQ(text(callNamed("isblank", {makeInteger('\t')})), "K");
    EXPECT_EQ(text(callNamed("ispunct", {makeInteger('!')})), "K");
    EXPECT_EQ(text(callNamed("isprint", {makeInteger(' ')})), "K");
    EXPECT_EQ(text(callNamed("isgraph", {makeInteger(' ')})), "H");
}

TEST(CharClassBridge, ValuesBeyondABytesAreInNoClass) {
    EXPECT_EQ(text(callNamed("isalpha", {makeInteger(1000000 + 'a')})), "H");
    EXPECT_EQ(text(callNamed("isdigit", {makeAtom("05")})), "H");
    EXPECT_EQ(text(callNamed("toupper", {makeInteger(1000)})), "1000");
}

TEST(CharClassBridge, AsciiTestsAndConversions) {
    EXPECT_EQ(text(callNamed("isascii", {makeInteger(127)})), "K");
    EXPECT_EQ(text(callNamed("isascii", {makeInteger(128)})), "H");
    EXPECT_EQ(text(callNamed("isascii", {makeAtom("01")})), "H");
    EXPECT_EQ(text(callNamed("toascii", {makeInteger(200)})), "72");
    EXPECT_EQ(text(callNamed("tolower", {makeInteger('A')})), "97");
    EXPECT_EQ(text(callNamed("toupper", {makeInteger('a')})), "65");
}
