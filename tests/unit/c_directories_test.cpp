#include "builtins/c_directories.h"
#include "builtins/calling_protocol.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

TEST(DirectoryConstants, DirentIsTheRecordsSize) {
    EXPECT_EQ(atomText(builtin_dirent(makeAtom("dirent"))), std::to_string(sizeof(dirent)));
}

namespace {

NodeRef bridgeCall(const char* name, std::vector<NodeRef> arguments) {
    NodeRef call = makeAtom(name);
    for (NodeRef& a : arguments)
        call = apply(std::move(call), std::move(a));
    return callBridge(std::move(call));
}

NodeRef addressOf(const void* p) {
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)));
}

} // namespace

TEST(DirectoryBridge, ListsTheNamesOfADirectory) {
    char path[] = "/tmp/rill_dir_testXXXXXX";
    ASSERT_NE(::mkdtemp(path), nullptr);
    const std::string file = std::string(path) + "/entry";
    std::fclose(std::fopen(file.c_str(), "w"));
    NodeRef stream = bridgeCall("opendir", {addressOf(path)});
    ASSERT_NE(toPointer(stream), nullptr);
    std::set<std::string> names;
    for (;;) {
        NodeRef entry = bridgeCall("readdir", {stream});
        if (toPointer(entry) == nullptr)
            break;
        names.insert(static_cast<dirent*>(toPointer(entry))->d_name);
    }
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "entry"}));
    EXPECT_EQ(atomText(bridgeCall("closedir", {stream})), "0");
    std::remove(file.c_str());
    ::rmdir(path);
}

TEST(DirectoryBridge, ANullOrEmptyPathIsNoSuchEntry) {
    errno = 0;
    EXPECT_EQ(atomText(bridgeCall("opendir", {makeInteger(0)})), "0");
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(atomText(bridgeCall("opendir", {addressOf("")})), "0");
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(atomText(bridgeCall("opendir", {addressOf("/no/such/rill/dir")})), "0");
}

TEST(DirectoryBridge, ANullStreamFailsWithoutBeingFollowed) {
    EXPECT_EQ(atomText(bridgeCall("readdir", {makeInteger(0)})), "0");
    EXPECT_EQ(atomText(bridgeCall("closedir", {makeInteger(0)})), "01");
}
