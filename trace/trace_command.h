// The command line of rill-trace: its options, and the traced run of one program.
#pragma once

#include "trace/run_story.h"

#include <string>

namespace rill {

// What the command line asks for.
struct TraceOptions {
    std::string traceFile = "rill.trace"; // -o FILE
    bool toStandardError = false;         // -e
    StoryOptions story;
    bool help = false;
    int program = 0; // the index of the program file in argv; rill's words start there
};

// Reads the options before the program file; false, with a message, when they cannot be
// understood or no program file follows them.
bool parseTraceOptions(int argc, char** argv, TraceOptions& options, std::string& problem);

// The exit status of a command line or trace file that cannot be used: the program is not run.
inline constexpr int kTraceUsageStatus = 2;

// Runs rill-trace: the program runs as rill runs it, with its own input, output, reports and
// exit status, while the trace goes to the trace file or standard error.
int runTracer(int argc, char** argv);

} // namespace rill
