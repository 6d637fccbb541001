#include "builtin_calls.h"
#include "builtins/c_time.h"
#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::address;
using rill::testing::callNamed;

TEST(TimeBridge, TimeStoresAndReturnsTheClock) {
    std::time_t stored = 0;
    NodeRef now = callNamed("time", {address(&stored)});
    EXPECT_EQ(toInt64(now), static_cast<std::int64_t>(stored));
    EXPECT_GT(stored, 0);
}

TEST(TimeBridge, BrokenDownRecordsAndTexts) {
    std::time_t t = 0;
    NodeRef record = callNamed("gmtime", {address(&t)});
    auto* tm = static_cast<std::tm*>(toPointer(record));
    ASSERT_NE(tm, nullptr);
    EXPECT_EQ(tm->tm_year, 70);
    EXPECT_STREQ(static_cast<char*>(toPointer(callNamed("asctime", {record}))),
                 "Thu Jan  1 00:00:00 1970\n");
    char out[32] = {};
    EXPECT_EQ(atomText(callNamed(
                  "strftime", {address(out), makeInteger(32), address("%Y-%m-%d"), address(tm)})),
              "10");
    EXPECT_STREQ(out, "1970-01-01");
    EXPECT_DOUBLE_EQ(readReal(callNamed("difftime", {makeInteger(10), makeInteger(4)})), 6.0);
}
