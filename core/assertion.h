// Internal failures: states that no input should reach stop the process, with the assertion
// line and, for a named impossible state, the fatal line before it.
#pragma once

#include <string_view>

namespace rill {

// Writes "ASSERTION FAILED:", the file, ":" and the line to standard error, then aborts.
[[noreturn]] void assertionFailed(const char* file, int line);
// Writes "REDVFAIL: ", the message and a line end to standard output, then fails as an
// assertion does.
[[noreturn]] void fatal(std::string_view message);

} // namespace rill

// Checks an invariant in every build type (unlike <cassert>, which vanishes under NDEBUG).
#define RILL_ASSERT(cond)                                                                          \
    ((cond) ? static_cast<void>(0) : ::rill::assertionFailed(__FILE__, __LINE__))
