#include "tests/differential/traced_run.h"

#include "app/program_run.h"
#include "core/reducer.h"

#include <cstdio>

namespace rill::trace {

int runTraced(std::string_view machine, const char* traceFile, Renaming renaming, int argc,
              char** argv) {
    if (machine == "fast") {
        useMachine(Machine::fast);
    } else if (machine == "plain") {
        useMachine(Machine::plain);
    } else {
        std::fprintf(stderr, "unknown machine: %.*s\n", static_cast<int>(machine.size()),
                     machine.data());
        return 2;
    }
    if (traceFile != nullptr && !startTrace(traceFile, renaming)) {
        std::fprintf(stderr, "cannot write the trace file %s\n", traceFile);
        return 2;
    }
    return runProgram(argc, argv);
}

} // namespace rill::trace
