#include "app/program_run.h"

#include "builtins/calling_protocol.h"
#include "core/assertion.h"
#include "core/definition_table.h"
#include "core/error_report.h"
#include "core/out_of_memory.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/source_text.h"
#include "middle/program_checks.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace rill {

namespace {

constexpr int kReportStatus = 128; // any report but "Empty"
constexpr int kUsageStatus = 1;
constexpr std::size_t kShownValueBytes = 200;

// The command line names no program file.
int reportUsage() {
    printPlainReport(makeReport("Usage", "", "Usage: rill file arg0 arg1 arg2 ..."));
    return kUsageStatus;
}

// The program file cannot be read; the name is the path, escaped and in double quotes, so that
// even an empty path has its Name line.
int reportStart(const char* path) {
    std::string name(1, '"');
    name += escapeName(path);
    name += '"';
    printPlainReport(makeReport("Start", std::move(name), "Could not read program file."));
    return kReportStatus;
}

// A stage or the run failed: the report in colour, after a reset of the terminal's colour.
int reportFailure(const ErrorReport& report) {
    printReport(report);
    return kReportStatus;
}

// What a normal form that is no integer says about the program.
ErrorReport valueReport(const NodeRef& result) {
    if (isApplication(result))
        return makeReport("Value", "",
                          "The program reduced to a partial application, not to an integer.");
    std::string_view text = atomText(result);
    if (text.size() > 0 && text[0] == ']') {
        const std::string name(text.substr(1));
        return makeReport("Value", name, "The program reached the undefined name [" + name + "].");
    }
    std::string shown(text.substr(0, kShownValueBytes));
    if (text.size() > kShownValueBytes)
        shown += "...";
    return makeReport("Value", "", "The program reduced to " + shown + ", not to an integer.");
}

} // namespace

int runProgram(int argc, char** argv) {
    endRunWhenNewFails();
    // Files are untranslated on this platform and sockets need no start-up.
    RILL_ASSERT(argc >= 1);
    if (argc == 1)
        return reportUsage();
    const char* path = argv[1];
    // A file that cannot be opened, and one that opens but cannot be read (a directory),
    // cannot start.
    const std::optional<CodeText> raw = readProgramFile(path);
    if (!raw)
        return reportStart(path);
    loadPrelude();
    if (ErrorReport r = takeInProgram(*raw); !isEmpty(r))
        return reportFailure(r);
    if (ErrorReport r = checkProgram(); !isEmpty(r))
        return reportFailure(r);

    // The entry is applied to the address of the argument vector from the first program
    // argument on.
    DefinitionTable& table = definitionTable();
    NodeRef handle =
        makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(argv + 2)));
    NodeRef result = normalize(apply(table.at(std::string()), std::move(handle)));
    if (firstByte(result) == ')') {
        const std::string name(atomText(result).substr(1));
        return reportFailure(
            makeReport("Cycle", name, "Cycle detected on function [" + name + "]."));
    }
    if (!isInteger(result))
        return reportFailure(valueReport(result));
    table.insert_or_assign(std::string(), result);
    const std::int64_t value = toInt64(table.at(std::string()));
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

} // namespace rill
