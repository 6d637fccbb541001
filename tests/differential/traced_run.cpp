#include "tests/differential/traced_run.h"

#include "app/program_run.h"
#include "core/contraction.h"
#include "core/definition_table.h"
#include "core/error_report.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/source_text.h"
#include "middle/program_checks.h"

#include <cstdint>
#include <cstdio>
#include <string>

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

bool endsWithin(const char* path, long steps) {
    // The start of runProgram, then the plain machine's loop with a count.
    useMachine(Machine::plain);
    const CodeText raw = readProgramFile(path).value_or(CodeText());
    loadPrelude();
    if (!isEmpty(takeInProgram(raw)) || !isEmpty(checkProgram()))
        return true;
    static char* noArguments[] = {nullptr};
    NodeRef handle =
        makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(noArguments)));
    NodeRef entry = apply(definitionTable().at(std::string()), std::move(handle));
    NodeRef machine = apply(makeLetter('I'), std::move(entry));
    for (long n = 0; n < steps; ++n) {
        const Node* k = functionOf(machine.get());
        if (isAtomNode(k) && atomBytes(k)[0] == 'I' && isNormalNode(argumentOf(machine.get())))
            return true;
        machine = step(std::move(machine));
    }
    return false;
}

} // namespace rill::trace
