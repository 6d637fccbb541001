#include "fuzz/fuzz_run.h"

#include "builtins/calling_protocol.h"
#include "core/definition_table.h"
#include "core/error_report.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "middle/program_checks.h"

#include <cstdio>
#include <cstdlib>

namespace rill::fuzz {

void checkFailed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s at %s:%d\n", what, file, line);
    std::abort();
}

bool takeInAndCheck(const std::string& text) {
    run_bounds::lift();
    loadPrelude();
    if (!isEmpty(takeInProgram(text)))
        return false;
    return isEmpty(checkProgram());
}

void runEntry() {
    static char* noArguments[] = {nullptr};
    NodeRef handle =
        makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(noArguments)));
    run_bounds::start(kSteps, kNodes, kAtomBytes);
    NodeRef result = normalize(apply(definitionTable().at(std::string()), std::move(handle)));
    run_bounds::lift();
    // What the program run makes of the result: a cycle, an integer, or a value report.
    if (firstByte(result) != ')' && isInteger(result))
        (void)toInt64(result);
}

} // namespace rill::fuzz
