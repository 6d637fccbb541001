// Arbitrary bytes run as a program, as the program run runs one: intake, checks, and the
// entry reduced, within the fuzzing build's bounds on steps, live nodes and atom lengths.
// Built-ins that would reach the machine (files, processes, sockets, memory) answer "Z".
#include "fuzz/fuzz_run.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (rill::fuzz::takeInAndCheck(text))
        rill::fuzz::runEntry();
    return 0;
}
