#include "builtins/c_streams.h"
#include "builtins/calling_protocol.h"

#include <cstdint>
#include <cstdio>

#include <gtest/gtest.h>

using namespace rill;

TEST(StandardStreams, StdoutAndStderrAreTheStreamsAddresses) {
    EXPECT_EQ(toPointer(builtin_stdout(makeAtom("stdout"))), static_cast<void*>(stdout));
    EXPECT_EQ(toPointer(builtin_stderr(makeAtom("stderr"))), static_cast<void*>(stderr));
}

TEST(StandardStreams, TmpfileGivesAStreamThatCanBeWritten) {
    NodeRef r = builtin_tmpfile(makeAtom("tmpfile"));
    auto* f = static_cast<std::FILE*>(toPointer(r));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fputs("x", f), 1);
    std::fclose(f);
}
