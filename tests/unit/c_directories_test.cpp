#include "builtins/c_directories.h"

#include <dirent.h>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

TEST(DirectoryConstants, DirentIsTheRecordsSize) {
    EXPECT_EQ(atomText(builtin_dirent(makeAtom("dirent"))), std::to_string(sizeof(dirent)));
}
