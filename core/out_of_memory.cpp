#include "core/out_of_memory.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace rill {

namespace {

void newFailed() {
    failOutOfMemory();
}

} // namespace

void failOutOfMemory(const char* detail) {
    // What the program wrote and C still buffers goes out first, so that none of it is lost.
    std::fflush(nullptr);
    std::fputs("rill: out of memory", stderr);
    if (detail != nullptr) {
        std::fputs(": ", stderr);
        std::fputs(detail, stderr);
    }
    std::fputs("\n", stderr);
    std::fflush(stderr);
    std::_Exit(kOutOfMemoryStatus);
}

void endRunWhenNewFails() {
    std::set_new_handler(newFailed);
}

} // namespace rill
