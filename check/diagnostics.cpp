#include "check/diagnostics.h"

#include <algorithm>

namespace rill {

namespace {

// How many bytes of a source line are shown on either side of the place at most.
constexpr std::size_t kShownAround = 60;

std::string counted(std::size_t n, std::string_view word) {
    std::string text = std::to_string(n) + " " + std::string(word);
    if (n != 1)
        text += 's';
    return text;
}

} // namespace

std::string renderDiagnostic(std::string_view path, const LineMap& lines, const Diagnostic& d) {
    const LineColumn at = lines.locate(d.offset);
    std::string out(path);
    out += ':' + std::to_string(at.line) + ':' + std::to_string(at.column) + ": ";
    out += d.severity == Severity::error ? "error: " : "warning: ";
    out += d.message;
    out += d.severity == Severity::error ? " [" + d.tag + "]" : " [-W" + d.tag + "]";
    out += '\n';

    // The line as written, without a carriage return that ends it, cut around the place.
    std::string_view line = lines.lineText(at.line);
    if (!line.empty() && line.back() == '\r' && at.column <= line.size() - 1)
        line.remove_suffix(1);
    std::size_t column = at.column - 1; // bytes before the place on the shown line
    std::string shown;
    if (column > kShownAround) {
        const std::size_t drop = column - kShownAround;
        line.remove_prefix(drop);
        column -= drop;
        shown = "...";
    }
    const bool cutEnd = line.size() > column + kShownAround + 1;
    if (cutEnd)
        line = line.substr(0, column + kShownAround + 1);
    const std::size_t lead = shown.size();
    shown += line;
    if (cutEnd)
        shown += "...";
    out += shown;
    out += '\n';
    // The caret keeps the tabs of the line before it, so that it stands under the place.
    std::string caret(lead, ' ');
    for (std::size_t i = 0; i < column; ++i)
        caret += i < line.size() && line[i] == '\t' ? '\t' : ' ';
    caret += '^';
    out += caret;
    out += '\n';
    return out;
}

void sortByPlace(std::vector<Diagnostic>& diagnostics) {
    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.offset < b.offset; });
}

std::string summaryLine(std::size_t errors, std::size_t warnings) {
    if (errors != 0 && warnings != 0)
        return counted(errors, "error") + " and " + counted(warnings, "warning") + "\n";
    if (errors != 0)
        return counted(errors, "error") + "\n";
    return counted(warnings, "warning") + "\n";
}

} // namespace rill
