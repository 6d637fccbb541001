// Diagnostics: one finding of the checker, placed at a byte of the file, and its rendering in
// the form compilers use: "FILE:LINE:COLUMN: error: ..." (or "warning"), then the source line
// and a caret under the place.
#pragma once

#include "check/source_positions.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rill {

enum class Severity { error, warning };

struct Diagnostic {
    std::size_t offset; // the byte of the file the finding is about
    Severity severity;
    std::string message; // one line, without its line end
    std::string tag;     // the report type of an error ("Alive"), the name of a warning
};

// The three lines of one diagnostic: location and message, the source line, the caret line.
// An error's message ends with its report type in brackets, a warning's with the option that
// silences it. A long source line is cut to a window around the place, with "..." marking
// each cut.
std::string renderDiagnostic(std::string_view path, const LineMap& lines, const Diagnostic& d);

// The diagnostics in the order of their places in the file (the order found among equal
// places).
void sortByPlace(std::vector<Diagnostic>& diagnostics);

// The closing line: how many errors and warnings there were ("1 error and 2 warnings").
std::string summaryLine(std::size_t errors, std::size_t warnings);

} // namespace rill
