#include "builtin_calls.h"
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
using rill::testing::address;
using rill::testing::callNamed;

TEST(DirectoryBridge, ListsTheNamesOfADirectory) {
    char path[] = "/tmp/rill_dir_testXXXXXX";
    ASSERT_NE(::mkdtemp(path), nullptr);
    const std::string file = std::string(path) + "/entry";
    std::fclose(std::fopen(file.c_str(), "w"));
    NodeRef stream = callNamed("opendir", {address(path)});
    ASSERT_NE(toPointer(stream), nullptr);
    std::set<std::string> names;
    for (;;) {
        NodeRef entry = callNamed("readdir", {stream});
        if (toPointer(entry) == nullptr)
            break;
        names.insert(static_cast<dirent*>(toPointer(entry))->d_name);
    }
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "entry"}));
    EXPECT_EQ(atomText(callNamed("closedir", {stream})), "0");
    std::remove(file.c_str());
    ::rmdir(path);
}

TEST(DirectoryBridge, ANullOrEmptyPathIsNoSuchEntry) {
    errno = 0;
    EXPECT_EQ(atomText(callNamed("opendir", {makeInteger(0)})), "0");
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(atomText(callNamed("opendir", {address("")})), "0");
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(atomText(callNamed("opendir", {address("/no/such/rill/dir")})), "0");
}

TEST(DirectoryBridge, ANullStreamFailsWithoutBeingFollowed) {
    EXPECT_EQ(atomText(callNamed("readdir", {makeInteger(0)})), "0");
    EXPECT_EQ(atomText(callNamed("closedir", {makeInteger(0)})), "01");
}
