// What the fuzz targets share: a run of the interpreter's stages on a text, bounded as the
// fuzzing build bounds every run, and checks whose failure stops the fuzzer.
#pragma once

#include "core/node_store.h"
#include "core/run_bounds.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace rill::fuzz {

// The bounds of one fuzzed run: machine steps, live nodes, bytes of one atom's text.
inline constexpr std::uint64_t kSteps = 50000;
inline constexpr std::int64_t kNodes = 200000;
inline constexpr std::size_t kAtomBytes = std::size_t{1} << 20;

// Stops the fuzzer with the finding when the condition fails.
#define FUZZ_CHECK(cond)                                                                           \
    ((cond) ? static_cast<void>(0) : ::rill::fuzz::checkFailed(#cond, __FILE__, __LINE__))
[[noreturn]] void checkFailed(const char* what, const char* file, int line);

// Takes the Prelude and the program text in and checks it, as the program run does; true
// when the program may run.
bool takeInAndCheck(const std::string& text);

// The entry applied to an argument handle with no arguments, reduced under the run bounds;
// the value as the program run would read it is thrown away.
void runEntry();

} // namespace rill::fuzz
