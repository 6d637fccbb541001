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

TEST(TimeConstants, TimeTIsTheSizeOfATimeValue) {
    EXPECT_EQ(atomText(builtin_time_t(makeAtom("time_t"))), std::to_string(sizeof(std::time_t)));
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

TEST(TimeBridge, TimeStoresAndReturnsTheClock) {
    std::time_t stored = 0;
    NodeRef now = bridgeCall("time", {addressOf(&stored)});
    EXPECT_EQ(toInt64(now), static_cast<std::int64_t>(stored));
    EXPECT_GT(stored, 0);
}

TEST(TimeBridge, BrokenDownRecordsAndTexts) {
    std::time_t t = 0;
    NodeRef record = bridgeCall("gmtime", {addressOf(&t)});
    auto* tm = static_cast<std::tm*>(toPointer(record));
    ASSERT_NE(tm, nullptr);
    EXPECT_EQ(tm->tm_year, 70);
    EXPECT_STREQ(static_cast<char*>(toPointer(bridgeCall("asctime", {record}))),
                 "Thu Jan  1 00:00:00 1970\n");
    char out[32] = {};
    EXPECT_EQ(atomText(bridgeCall("strftime", {addressOf(out), makeInteger(32),
                                               addressOf("%Y-%m-%d"), addressOf(tm)})),
              "10");
    EXPECT_STREQ(out, "1970-01-01");
    EXPECT_DOUBLE_EQ(readReal(bridgeCall("difftime", {makeInteger(10), makeInteger(4)})), 6.0);
}
