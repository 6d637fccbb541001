#include "builtins/builtin_table.h"
#include "builtins/c_bridge.h"
#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

// Calls a bridge built-in through the table with the given arguments.
NodeRef bridge(const char* name, std::vector<NodeRef> arguments) {
    NodeRef call = makeAtom(name);
    for (NodeRef& a : arguments)
        call = apply(std::move(call), std::move(a));
    const BuiltinEntry* entry = findBuiltin(name);
    EXPECT_NE(entry, nullptr);
    return entry->implementation(std::move(call));
}

std::string text(const NodeRef& n) {
    return std::string(atomText(n));
}

NodeRef address(const void* p) {
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)));
}

const char* const kFamilies[] = {"socket",  "fopen",   "malloc", "strlen", "time",
                                 "opendir", "isalnum", "sqrt",   "exit"};

} // namespace

TEST(BridgeRows, EveryRowIsATableEntryOfItsArityThatCallsTheBridge) {
    int rows = 0;
    for (const BuiltinRow& row : builtinRows()) {
        const BridgeRow* bridgeRow = findBridgeRow(row.name);
        if (row.implementation != callBridge) {
            EXPECT_EQ(bridgeRow, nullptr) << row.name;
            continue;
        }
        ++rows;
        ASSERT_NE(bridgeRow, nullptr) << row.name;
        EXPECT_EQ(bridgeRow->kinds.size(), row.arity) << row.name;
        EXPECT_EQ(std::string(bridgeRow->kinds).find_first_not_of("NPSR"), std::string::npos)
            << row.name;
        EXPECT_NE(std::string("NUPRIB-").find(bridgeRow->result), std::string::npos) << row.name;
    }
    EXPECT_EQ(rows, 145); // every C wrapper; assert is the program's own
}

TEST(BridgeRows, EachFamilyIsInTheList) {
    for (const char* name : kFamilies)
        EXPECT_NE(findBridgeRow(name), nullptr) << name;
}

TEST(BridgeArguments, AWrongKindGivesZWithoutTheCall) {
    errno = 0;
    EXPECT_EQ(text(bridge("malloc", {makeAtom("[8]")})), "Z");
    EXPECT_EQ(text(bridge("free", {makeAtom("x")})), "Z");
    EXPECT_EQ(text(bridge("memset", {makeAtom("[a]"), makeInteger(0), makeInteger(1)})), "Z");
    EXPECT_EQ(text(bridge("freeaddrinfo", {makeReal(1.0)})), "Z");
    EXPECT_EQ(text(bridge("getaddrinfo",
                          {makeInteger(0), makeInteger(0), makeInteger(0), makeAtom("[p]")})),
              "Z");
    EXPECT_EQ(text(bridge("sqrt", {makeInteger(4)})), "Z");
    EXPECT_EQ(text(bridge("strlen", {apply(makeAtom("K"), makeAtom("I"))})), "Z");
}

TEST(BridgeArguments, TheNullAddressIsNoString) {
    EXPECT_EQ(text(bridge("strlen", {makeInteger(0)})), "Z");
    EXPECT_EQ(text(bridge("atoi", {makeAtom("K")})), "Z");
}

TEST(BridgeArguments, StringsAreBlocksBracketTextsOrAddresses) {
    EXPECT_EQ(text(bridge("strlen", {makeAtom("[abc]")})), "5");
    std::string block = blockText(std::string("ab\0cd", 5));
    EXPECT_EQ(text(bridge("strlen", {makeAtom(std::string_view(block))})), "2");
    const char* c = "hello";
    EXPECT_EQ(text(bridge("strlen", {address(c)})), "5");
}

TEST(BridgeResults, SignedUnsignedAddressRealAndTruth) {
    EXPECT_EQ(text(bridge("atoi", {address("-1")})), "01");
    EXPECT_EQ(text(bridge("strtoul", {address("-1"), makeInteger(0), makeInteger(10)})),
              "18446744073709551615");
    EXPECT_EQ(text(bridge("getenv", {address("RILL_NO_SUCH_VARIABLE_AT_ALL")})), "0");
    EXPECT_DOUBLE_EQ(readReal(bridge("sqrt", {makeReal(2.0)})), std::sqrt(2.0));
    EXPECT_EQ(text(bridge("isdigit", {makeInteger(48)})), "K");
    EXPECT_EQ(text(bridge("isdigit", {makeInteger(65)})), "H");
    EXPECT_EQ(text(bridge("srand", {makeInteger(1)})), "I");
}

TEST(BridgeResults, UnsignedNumbersAreWrittenInDecimal) {
    EXPECT_EQ(text(makeUnsigned(0)), "0");
    EXPECT_EQ(text(makeUnsigned(UINT64_MAX)), "18446744073709551615");
}
