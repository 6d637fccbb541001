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

} // namespace rill
