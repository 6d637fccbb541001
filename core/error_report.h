// Error reports: the record every stage before the run returns, and its one printed layout.
// Every report rill writes, from the command line's to the run's, is laid out by `format`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rill {

// What a stage says about a program; the type "Empty" means it passed.
struct ErrorReport {
    std::string name;           // what the report is about; an empty name prints no Name line
    std::int64_t position = -1; // an offset into the program text where one is known; not printed
    std::string type = "Empty"; // the five-letter type word
    std::string message;        // one line, without its line end
};

// True when the report says the stage passed.
inline bool isEmpty(const ErrorReport& report) {
    return report.type == "Empty";
}
// A report with the given type, name and message.
ErrorReport makeReport(std::string type, std::string name, std::string message);

// The report text: "No errors.\n", or the Error / Type / Name / message / "\/" lines.
std::string format(const ErrorReport& report);
// Writes "\033[m" and the displayed report (core/report_display.h) to standard error.
void printReport(const ErrorReport& report);
// Writes the report to standard error as `format` lays it out, uncoloured and with no "\033[m"
// before it: the command line's reports (Usage, Start), made before any program runs.
void printPlainReport(const ErrorReport& report);
// The name with control bytes, bytes from 0x7F up, "[" and "]" written as "[XX]".
std::string escapeName(std::string_view name);

} // namespace rill
