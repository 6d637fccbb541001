#include "builtin_calls.h"
#include "builtins/c_process.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::callNamed;
using rill::testing::text;

TEST(ProcessState, ErrnoReadsTheCurrentErrorNumber) {
    errno = ENOENT;
    EXPECT_EQ(text(callNamed("errno")), std::to_string(ENOENT));
}

TEST(ProcessState, RandFollowsTheCLibrarysGenerator) {
    std::srand(17);
    const int expected = std::rand();
    std::srand(17);
    EXPECT_EQ(text(callNamed("rand")), std::to_string(expected));
}

TEST(ProcessStateDeathTest, AbortEndsTheProcess) {
    EXPECT_DEATH(text(callNamed("abort")), "");
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
    EXPECT_EXIT(callNamed("exit", {makeInteger(0x100000007)}), ::testing::ExitedWithCode(7), "");
}

TEST(ProcessExit, ANonIntegerGivesZAndTheRunGoesOn) {
    EXPECT_EQ(text(callNamed("exit", {makeAtom("[1]")})), "Z");
}
