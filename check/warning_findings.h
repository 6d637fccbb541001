// The warnings: what rill accepts but is almost always a mistake. Each has a name, by which
// it is silenced on the command line (-Wno-NAME) or in the file (a quiet marker).
#pragma once

#include "check/diagnostics.h"
#include "check/empty_operands.h"
#include "check/program_model.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rill {

// The names of all warnings.
std::span<const std::string_view> warningNames();
// True for the name of a warning.
bool isWarningName(std::string_view name);

// What the file itself says about being run as a script.
struct ScriptFacts {
    bool hasScriptLine = false; // the file begins with "#!"
    bool executable = false;    // someone may execute it
    std::string line;           // the "#!" line, without its line end
};

// Every warning of the program, before any is silenced.
std::vector<Diagnostic> findWarnings(const ProgramModel& model, const NameFacts& facts,
                                     const std::unordered_map<const Node*, EmptyOperand>& empty,
                                     const ScriptFacts& script);

// --- Quiet markers ----------------------------------------------------------------------

// A part of the program that is one string «[quiet NAME ...]» silences the named warnings in
// the part that follows it; «[quiet file NAME ...]» silences them in the whole file. rill skips
// such a part as it skips every part that is not a definition.
struct QuietMarker {
    bool wholeFile;
    std::size_t begin; // the bytes it silences: [begin, end)
    std::size_t end;
    std::vector<std::string> names;
};

// The quiet markers of the program; a name that is no warning's gets a warning "quiet" of its
// own in problems.
std::vector<QuietMarker> findQuietMarkers(const ProgramModel& model,
                                          std::vector<Diagnostic>& problems);
// True when a marker silences the warning.
bool isQuieted(const std::vector<QuietMarker>& markers, const Diagnostic& warning);

} // namespace rill
