#include "builtin_calls.h"
#include "builtins/c_streams.h"
#include "builtins/calling_protocol.h"

#include <cstdint>
#include <cstdio>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::callNamed;

TEST(StandardStreams, StdoutAndStderrAreTheStreamsAddresses) {
    EXPECT_EQ(toPointer(callNamed("stdout")), static_cast<void*>(stdout));
    EXPECT_EQ(toPointer(callNamed("stderr")), static_cast<void*>(stderr));
}

TEST(StandardStreams, TmpfileGivesAStreamThatCanBeWritten) {
    NodeRef r = callNamed("tmpfile");
    auto* f = static_cast<std::FILE*>(toPointer(r));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fputs("x", f), 1);
    std::fclose(f);
}
