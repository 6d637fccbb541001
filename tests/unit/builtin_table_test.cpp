#include "builtin_calls.h"
#include "builtins/builtin_table.h"

#include <cstdint>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::callNamed;
using rill::testing::text;

namespace {

// Every built-in by its number of arguments.
const std::vector<std::pair<int, std::vector<std::string>>> kByArity = {
    {0, {"abort",      "addrinfo",     "af_unspec", "ai_passive",  "dirent",   "eacces",
         "ebadf",      "econnaborted", "efault",    "eintr",       "einval",   "eio",
         "emfile",     "enfile",       "enodev",    "enomem",      "enotsock", "enxio",
         "eopnotsupp", "eoverflow",    "errno",     "ewouldblock", "getchar",  "rand",
         "rand_max",   "sock_stream",  "stderr",    "stdout",      "time_t",   "tmpfile"}},
    {1, {"abs",         "acos",    "asctime", "asin",         "assert",  "atan",         "atof",
         "atoi",        "atol",    "buck",    "cape",         "ceil",    "clearerr",     "closedir",
         "closesocket", "cos",     "cosh",    "ctime",        "erf",     "erfc",         "exit",
         "exp",         "fabs",    "fclose",  "feof",         "ferror",  "fflush",       "fgetc",
         "fileno",      "floor",   "free",    "freeaddrinfo", "ftell",   "gai_strerror", "getc",
         "getenv",      "gets",    "gett",    "getu",         "getv",    "getw",         "getx",
         "gety",        "getz",    "gmtime",  "htonl",        "htons",   "init",         "isalnum",
         "isalpha",     "isascii", "isblank", "isdigit",      "isgraph", "islower",      "isprint",
         "ispunct",     "isspace", "isupper", "labs",         "leaf",    "leak",         "left",
         "lisp",        "lits",    "load",    "localtime",    "log",     "lots",         "malloc",
         "mktime",      "ntohl",   "ntohs",   "opendir",      "perror",  "putchar",      "puts",
         "raise",       "rank",    "readdir", "real",         "remove",  "rewind",       "rght",
         "sin",         "sinh",    "sqrt",    "srand",        "strdup",  "strerror",     "strlen",
         "system",      "tan",     "tanh",    "tern",         "time",    "tmpnam",       "toascii",
         "tolower",     "toupper", "type",    "wave",         "zits"}},
    {2, {"bzero",   "calloc",      "cent",       "cmpr",   "copy",   "dash",   "diff",   "difftime",
         "fd_set",  "fdopen",      "fgetpos",    "fmod",   "fopen",  "fputc",  "fputs",  "frexp",
         "fsetpos", "gethostname", "gteq",       "hypot",  "ldexp",  "less",   "listen", "look",
         "modf",    "mult",        "nextafter",  "over",   "plus",   "pow",    "powa",   "putc",
         "raws",    "realloc",     "rename",     "same",   "setbuf", "sett",   "setu",   "setw",
         "setx",    "shutdown",    "strcasecmp", "strcat", "strchr", "strcmp", "strcpy", "strnlen",
         "strpbrk", "strrchr",     "strspn",     "strstr", "strtod", "strtok", "ungetc"}},
    {3, {"accept",      "bind",      "connect", "cork",        "fgets",   "fseek",
         "getpeername", "inet_pton", "memchr",  "memcmp",      "memcpy",  "memmove",
         "memset",      "read",      "socket",  "strncasecmp", "strncat", "strncmp",
         "strncpy",     "strtok_r",  "strtol",  "strtoul",     "trim",    "write"}},
    {4, {"fread", "fwrite", "getaddrinfo", "inet_ntop", "recv", "send", "strftime"}},
    {5, {"setsockopt"}},
    {6, {"recvfrom", "sendto"}},
    {7, {"getnameinfo"}},
};

} // namespace

TEST(BuiltinTable, HoldsAllTwoHundredTwentyThreeNamesWithTheirArities) {
    const BuiltinTable& table = builtinTable();
    std::size_t count = 0;
    for (const auto& [arity, names] : kByArity)
        for (const std::string& name : names) {
            auto found = table.find(name);
            ASSERT_NE(found, table.end()) << name;
            EXPECT_EQ(found->second.arity, arity) << name;
            // exactly one of a native function and a bridge row
            EXPECT_NE(found->second.implementation == nullptr, found->second.bridge == nullptr)
                << name;
            ++count;
        }
    EXPECT_EQ(count, 223u);
    EXPECT_EQ(table.size(), 223u);
    EXPECT_EQ(builtinRows().size(), 223u);
}

TEST(BuiltinTable, NamesAreInPlainByteOrder) {
    const BuiltinTable& table = builtinTable();
    EXPECT_EQ(table.begin()->first, "abort");
    EXPECT_EQ(table.rbegin()->first, "zits");
    // "_" (0x5F) sorts before "o": fd_set comes right before fdopen
    auto at = table.find("fd_set");
    ASSERT_NE(at, table.end());
    EXPECT_EQ(std::next(at)->first, "fdopen");
}

TEST(BuiltinTable, IsRefilledAfterTheStartUpReset) {
    clearBuiltinTable();
    EXPECT_EQ(builtinTable().size(), 223u);
}

TEST(BuiltinTable, FindsBuiltinsAndNothingElse) {
    const BuiltinEntry* plus = findBuiltin("plus");
    ASSERT_NE(plus, nullptr);
    EXPECT_EQ(plus->arity, 2);
    EXPECT_EQ(findBuiltin("plu"), nullptr);
    EXPECT_EQ(findBuiltin("K"), nullptr);
}

TEST(BuiltinTable, CallsThroughTheTableReachTheImplementation) {
    NodeRef call = apply(makeAtom("plus"), makeAtom("2"), makeAtom("3"));
    NodeRef r = callImplementation(*findBuiltin("plus"), std::move(call));
    EXPECT_EQ(atomText(r), "5");
}

TEST(BuiltinTable, EachBridgeCallReachesItsOwnRow) {
    // Calls of two wrappers in turn, each with the other's arguments too: no call is handed
    // to the row of the call before it.
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(text(callNamed("strlen", {makeAtom("[abcd]")})), "6");
        EXPECT_EQ(text(callNamed("strnlen", {makeAtom("[abcd]"), makeInteger(2)})), "2");
        EXPECT_EQ(text(callNamed("toupper", {makeInteger('a')})), "65");
        EXPECT_EQ(text(callNamed("tolower", {makeInteger('A')})), "97");
    }
}
