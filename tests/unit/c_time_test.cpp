#include "builtins/c_time.h"

#include <ctime>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

TEST(TimeConstants, TimeTIsTheSizeOfATimeValue) {
    EXPECT_EQ(atomText(builtin_time_t(makeAtom("time_t"))), std::to_string(sizeof(std::time_t)));
}
