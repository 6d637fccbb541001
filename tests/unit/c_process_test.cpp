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

TEST(ProcessAssert, ATrueValueGivesIAndOthersZ) {
    EXPECT_EQ(atomText(builtin_assert(apply(makeAtom("assert"), makeAtom("K")))), "I");
    EXPECT_EQ(atomText(builtin_assert(apply(makeAtom("assert"), makeAtom("5")))), "Z");
    EXPECT_EQ(
        atomText(builtin_assert(apply(makeAtom("assert"), apply(makeAtom("H"), makeAtom("I"))))),
        "Z");
}

TEST(ProcessAssertDeathTest, AFalseValueFailsNamingThisSourceFile) {
    EXPECT_DEATH(builtin_assert(apply(makeAtom("assert"), makeAtom("H"))),
                 "ASSERTION FAILED:builtins/c_process.cpp:[0-9]+");
}

TEST(ProcessExitDeathTest, ExitEndsWithTheLowBitsOfItsArgument) {
    EXPECT_EXIT(callBridge(apply(makeAtom("exit"), makeInteger(0x100000007))),
                testing::ExitedWithCode(7), "");
}

TEST(ProcessExit, ANonIntegerGivesZAndTheRunGoesOn) {
    EXPECT_EQ(atomText(callBridge(apply(makeAtom("exit"), makeAtom("[1]")))), "Z");
}
