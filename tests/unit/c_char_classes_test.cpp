#include "builtins/c_char_classes.h"
#include "builtins/calling_protocol.h"

#include <cstdint>
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

} // namespace

TEST(CharClassBridge, DigitsAndLetters) {
    EXPECT_EQ(text(bridge("isdigit", {makeInteger(48)})), "K");
    EXPECT_EQ(text(bridge("isdigit", {makeInteger(65)})), "H");
    EXPECT_EQ(text(bridge("isdigit", {makeAtom("[0]")})), "Z");
    EXPECT_EQ(text(bridge("isalpha", {makeInteger('q')})), "K");
    EXPECT_EQ(text(bridge("isalnum", {makeInteger('_')})), "H");
    EXPECT_EQ(text(bridge("isupper", {makeInteger('Q')})), "K");
    EXPECT_EQ(text(bridge("islower", {makeInteger('Q')})), "H");
    EXPECT_EQ(text(bridge("isspace", {makeInteger('\n')})), "K");
    EXPECT_EQ(text(bridge("isblank", {makeInteger('\t')})), "K");
    EXPECT_EQ(text(bridge("ispunct", {makeInteger('!')})), "K");
    EXPECT_EQ(text(bridge("isprint", {makeInteger(' ')})), "K");
    EXPECT_EQ(text(bridge("isgraph", {makeInteger(' ')})), "H");
}

TEST(CharClassBridge, ValuesBeyondABytesAreInNoClass) {
    EXPECT_EQ(text(bridge("isalpha", {makeInteger(1000000 + 'a')})), "H");
    EXPECT_EQ(text(bridge("isdigit", {makeAtom("05")})), "H");
    EXPECT_EQ(text(bridge("toupper", {makeInteger(1000)})), "1000");
}

TEST(CharClassBridge, AsciiTestsAndConversions) {
    EXPECT_EQ(text(bridge("isascii", {makeInteger(127)})), "K");
    EXPECT_EQ(text(bridge("isascii", {makeInteger(128)})), "H");
    EXPECT_EQ(text(bridge("isascii", {makeAtom("01")})), "H");
    EXPECT_EQ(text(bridge("toascii", {makeInteger(200)})), "72");
    EXPECT_EQ(text(bridge("tolower", {makeInteger('A')})), "97");
    EXPECT_EQ(text(bridge("toupper", {makeInteger('a')})), "65");
}
