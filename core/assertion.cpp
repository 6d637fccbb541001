#include "core/assertion.h"

#include <cstdio>
#include <cstdlib>

namespace rill {

void assertionFailed(const char* file, int line) {
    std::fflush(stdout);
    std::fprintf(stderr, "ASSERTION FAILED:%s:%d\n", file, line);
    std::fflush(stderr);
    std::abort();
}

void fatal(std::string_view message) {
    std::fputs("REDVFAIL: ", stdout);
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
    RILL_ASSERT(false);
    __builtin_unreachable();
}

} // namespace rill
