// The diagnostic log: an append-only file beside the run, where the checks write what they did
// to each definition (the letters given to its local names).
#pragma once

#include <string_view>

namespace rill {

// The path of the diagnostic log.
inline constexpr const char* kLogPath = "/tmp/redv.log";

// Appends the text to the diagnostic log; a log that cannot be opened or closed drops it.
void appendLog(std::string_view text);
// Turns the diagnostic log off (or on again) for this process: a program that runs the checks
// without running the program (the static checker) leaves the log alone.
void setLogEnabled(bool enabled);

} // namespace rill
