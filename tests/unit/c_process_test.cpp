#include "builtins/c_process.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

std::string run(NodeRef (*f)(NodeRef)) {
    return std::string(atomText(f(makeAtom("f"))));
}

} // namespace

TEST(ProcessConstants, ErrorNumbersAreThePlatforms) {
    EXPECT_EQ(run(builtin_eacces), std::to_string(EACCES));
    EXPECT_EQ(run(builtin_enotsock), std::to_string(ENOTSOCK));
    EXPECT_EQ(run(builtin_ewouldblock), std::to_string(EWOULDBLOCK));
    EXPECT_EQ(run(builtin_eoverflow), std::to_string(EOVERFLOW));
    EXPECT_EQ(run(builtin_rand_max), std::to_string(RAND_MAX));
}

TEST(ProcessState, ErrnoReadsTheCurrentErrorNumber) {
    errno = ENOENT;
    EXPECT_EQ(run(builtin_errno), std::to_string(ENOENT));
}

TEST(ProcessState, RandFollowsTheCLibrarysGenerator) {
    std::srand(17);
    const int expected = std::rand();
    std::srand(17);
    EXPECT_EQ(run(builtin_rand), std::to_string(expected));
}

TEST(ProcessStateDeathTest, AbortEndsTheProcess) {
    EXPECT_DEATH(run(builtin_abort), "");
}
