// Runs of one program for the machine comparison.
#pragma once

#include "tests/differential/builtin_trace.h"

#include <string_view>

namespace rill::trace {

// Runs the program as rill does (argv as rill's: argv[1] is the file), on the machine named
// "fast" or "plain", writing its built-in calls to the trace file when one is given. Gives
// the exit status; an unknown machine or an unwritable trace file is 2.
int runTraced(std::string_view machine, const char* traceFile, Renaming renaming, int argc,
              char** argv);

// True when the plain machine, stepping from the start of the program file as rill would run
// it, reaches a normal form within the steps (a program that draws a report ends at once).
bool endsWithin(const char* path, long steps);

} // namespace rill::trace
