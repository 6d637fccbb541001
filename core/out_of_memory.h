// Running out of memory ends the run cleanly: the program's buffered output is written out,
// one line on standard error says what could not be had, and the process exits with a status
// of its own, never by a signal.
#pragma once

namespace rill {

// The exit status of a run that ran out of memory.
inline constexpr int kOutOfMemoryStatus = 3;

// Ends the run: flushes every output stream, writes "rill: out of memory" on standard error,
// then ": " and the detail when there is one, and exits with kOutOfMemoryStatus. Allocates
// nothing.
[[noreturn]] void failOutOfMemory(const char* detail = nullptr);

// Makes a failing allocation of the standard library (operator new) end the run the same way.
void endRunWhenNewFails();

} // namespace rill
