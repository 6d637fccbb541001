// Error reports: the record every stage returns, its printed layout and terminal colours,
// escaped names, the fatal line for impossible states, and the append-only diagnostic log.
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
// The text with terminal colour codes, one shown character per byte.
std::string display(std::string_view text);
// Writes "\033[m" and the displayed report to standard error.
void printReport(const ErrorReport& report);
// The name with control bytes, bytes from 0x7F up, "[" and "]" written as "[XX]".
std::string escapeName(std::string_view name);
// The byte that display shows in the colour class (1 red, 2 green, 3 plain) as `shown`.
unsigned char decodeShown(int colourClass, unsigned char shown);
// Writes "REDVFAIL: ", the message and a line end to standard output, then fails.
[[noreturn]] void fatal(std::string_view message);
// Appends the text to the diagnostic log; a log that cannot be opened or closed drops it.
void appendLog(std::string_view text);
// Turns the diagnostic log off (or on again) for this process: a program that runs the checks
// without running the program (the static checker) leaves the log alone.
void setLogEnabled(bool enabled);
// The path of the diagnostic log.
inline constexpr const char* kLogPath = "/tmp/redv.log";

} // namespace rill
