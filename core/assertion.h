// The internal-failure check: states that no input should reach stop the process.
#pragma once

namespace rill {

// Writes "ASSERTION FAILED:", the file, ":" and the line to standard error, then aborts.
[[noreturn]] void assertionFailed(const char* file, int line);

} // namespace rill

// Checks an invariant in every build type (unlike <cassert>, which vanishes under NDEBUG).
#define RILL_ASSERT(cond)                                                                          \
    ((cond) ? static_cast<void>(0) : ::rill::assertionFailed(__FILE__, __LINE__))
