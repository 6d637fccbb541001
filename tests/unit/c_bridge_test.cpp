#include "builtin_calls.h"
#include "builtins/builtin_table.h"
#include "builtins/c_bridge.h"
#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <map>
#include <netdb.h>
#include <set>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::address;
using rill::testing::callNamed;
using rill::testing::text;

namespace {

// A value of the given argument kind that the bridge takes.
NodeRef valueOfKind(char kind) {
    switch (kind) {
    case 'S': return makeAtom("[a]");
    case 'R': return makeReal(1.0);
    default: return makeInteger(0);
    }
}

// A value the bridge must refuse for the given kind: a real for an integer, an address or a
// string, and an integer for a real.
NodeRef otherKind(char kind) {
    return kind == 'R' ? makeInteger(1) : makeReal(1.0);
}

} // namespace

TEST(BridgeRows, EveryNameHasOneRowAndTheTableCallsThatRow) {
    std::set<std::string_view> names;
    for (const BuiltinRow& row : builtinRows()) {
        if (row.bridge == nullptr)
            continue;
        EXPECT_TRUE(names.insert(row.name).second) << row.name << " has two rows";
        const BuiltinEntry* entry = findBuiltin(row.name);
        ASSERT_NE(entry, nullptr) << row.name;
        EXPECT_EQ(entry->bridge, row.bridge) << row.name;
        EXPECT_EQ(entry->arity, row.bridge->kinds.size()) << row.name;
    }
}

TEST(BridgeRows, KindsAndResultsAreLettersTheBridgeKnows) {
    for (const BuiltinRow& row : builtinRows()) {
        if (row.bridge == nullptr)
            continue;
        EXPECT_EQ(row.bridge->kinds.find_first_not_of("NPSR"), std::string_view::npos) << row.name;
        EXPECT_NE(std::string_view("NUPRIB-").find(row.bridge->result), std::string_view::npos)
            << row.name;
        EXPECT_LE(row.bridge->kinds.size(), std::size_t{BridgeArgs::kMostArguments}) << row.name;
    }
}

// Every argument of every wrapper is checked against its own kind before the C function is
// called: one argument of a wrong kind, in any place, gives "Z" (and so no C call is made).
TEST(BridgeRows, EveryWrapperRefusesAWrongKindInEachPlace) {
    int calls = 0;
    for (const BuiltinRow& row : builtinRows()) {
        if (row.bridge == nullptr || row.bridge->call == nullptr)
            continue;
        const std::string_view kinds = row.bridge->kinds;
        for (std::size_t wrong = 0; wrong < kinds.size(); ++wrong)
            for (int variant = 0; variant < 2; ++variant) {
                std::vector<NodeRef> arguments;
                for (std::size_t k = 0; k < kinds.size(); ++k) {
                    if (k != wrong)
                        arguments.push_back(valueOfKind(kinds[k]));
                    else if (variant == 0)
                        arguments.push_back(otherKind(kinds[k]));
                    else
                        arguments.push_back(apply(makeAtom("K"), makeAtom("I"))); // a function
                }
                const std::string name(row.name);
                EXPECT_EQ(text(callNamed(name.c_str(), std::move(arguments))), "Z")
                    << row.name << " argument " << wrong + 1;
                ++calls;
            }
    }
    EXPECT_GT(calls, 300);
}

TEST(BridgeConstants, EveryConstantRowGivesThePlatformsValue) {
    const std::map<std::string_view, std::int64_t> platform = {
        {"addrinfo", sizeof(addrinfo)},
        {"af_unspec", AF_UNSPEC},
        {"ai_passive", AI_PASSIVE},
        {"sock_stream", SOCK_STREAM},
        {"time_t", sizeof(std::time_t)},
        {"dirent", sizeof(dirent)},
        {"rand_max", RAND_MAX},
        {"eacces", EACCES},
        {"ebadf", EBADF},
        {"econnaborted", ECONNABORTED},
        {"efault", EFAULT},
        {"eintr", EINTR},
        {"einval", EINVAL},
        {"eio", EIO},
        {"emfile", EMFILE},
        {"enfile", ENFILE},
        {"enodev", ENODEV},
        {"enomem", ENOMEM},
        {"enotsock", ENOTSOCK},
        {"enxio", ENXIO},
        {"eopnotsupp", EOPNOTSUPP},
        {"eoverflow", EOVERFLOW},
        {"ewouldblock", EWOULDBLOCK},
    };
    std::size_t constants = 0;
    for (const BuiltinRow& row : builtinRows()) {
        if (row.bridge == nullptr || row.bridge->call != nullptr)
            continue;
        ++constants;
        const auto found = platform.find(row.name);
        ASSERT_NE(found, platform.end()) << row.name << " is a constant this test does not know";
        const std::string name(row.name);
        EXPECT_EQ(text(callNamed(name.c_str())), std::to_string(found->second)) << row.name;
    }
    EXPECT_EQ(constants, platform.size());
}

TEST(BridgeArguments, AWrongKindGivesZWithoutTheCall) {
    errno = 0;
    EXPECT_EQ(text(callNamed("malloc", {makeAtom("[8]")})), "Z");
    EXPECT_EQ(text(callNamed("free", {makeAtom("x")})), "Z");
    EXPECT_EQ(text(callNamed("memset", {makeAtom("[a]"), makeInteger(0), makeInteger(1)})), "Z");
    EXPECT_EQ(text(callNamed("freeaddrinfo", {makeReal(1.0)})), "Z");
    EXPECT_EQ(text(callNamed("getaddrinfo",
                             {makeInteger(0), makeInteger(0), makeInteger(0), makeAtom("[p]")})),
              "Z");
    EXPECT_EQ(text(callNamed("sqrt", {makeInteger(4)})), "Z");
    EXPECT_EQ(text(callNamed("strlen", {apply(makeAtom("K"), makeAtom("I"))})), "Z");
}

TEST(BridgeArguments, TheNullAddressIsNoString) {
    EXPECT_EQ(text(callNamed("strlen", {makeInteger(0)})), "Z");
    EXPECT_EQ(text(callNamed("atoi", {makeAtom("K")})), "Z");
}

TEST(BridgeArguments, StringsAreBlocksBracketTextsOrAddresses) {
    EXPECT_EQ(text(callNamed("strlen", {makeAtom("[abc]")})), "5");
    std::string block = blockText(std::string("ab\0cd", 5));
    EXPECT_EQ(text(callNamed("strlen", {makeAtom(std::string_view(block))})), "2");
    const char* c = "hello";
    EXPECT_EQ(text(callNamed("strlen", {address(c)})), "5");
}

TEST(BridgeResults, SignedUnsignedAddressRealAndTruth) {
    EXPECT_EQ(text(callNamed("atoi", {address("-1")})), "01");
    EXPECT_EQ(text(callNamed("strtoul", {address("-1"), makeInteger(0), makeInteger(10)})),
              "18446744073709551615");
    EXPECT_EQ(text(callNamed("getenv", {address("RILL_NO_SUCH_VARIABLE_AT_ALL")})), "0");
    EXPECT_DOUBLE_EQ(readReal(callNamed("sqrt", {makeReal(2.0)})), std::sqrt(2.0));
    EXPECT_EQ(text(callNamed("isdigit", {makeInteger(48)})), "K");
    EXPECT_EQ(text(callNamed("isdigit", {makeInteger(65)})), "H");
    EXPECT_EQ(text(callNamed("srand", {makeInteger(1)})), "I");
}

TEST(BridgeResults, UnsignedNumbersAreWrittenInDecimal) {
    EXPECT_EQ(text(makeUnsigned(0)), "0");
    EXPECT_EQ(text(makeUnsigned(UINT64_MAX)), "18446744073709551615");
}
