#include "builtins/c_memory.h"

#include <cstdlib>
#include <cstring>

namespace rill {

namespace {

// The memory wrappers, one row each: name, argument kinds, result kind, call. A negative size
// reaches the C function as a huge unsigned one, as C's own conversion would give it.
const BridgeRow kMemoryRows[] = {
    {"malloc", "N", 'P', [](const BridgeArgs& a) -> CResult { return std::malloc(a.size(1)); }},
    {"calloc", "NN", 'P',
     [](const BridgeArgs& a) -> CResult { return std::calloc(a.size(1), a.size(2)); }},
    {"realloc", "PN", 'P',
     [](const BridgeArgs& a) -> CResult { return std::realloc(a.p(1), a.size(2)); }},
    {"free", "P", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::free(a.p(1));
         return {};
     }},
    {"bzero", "PN", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::memset(a.p(1), 0, a.size(2));
         return {};
     }},
    {"memchr", "PNN", 'P',
     [](const BridgeArgs& a) -> CResult {
         return std::memchr(a.p(1), static_cast<int>(a.n(2)), a.size(3));
     }},
    {"memcmp", "PPN", 'N',
     [](const BridgeArgs& a) -> CResult { return std::memcmp(a.p(1), a.p(2), a.size(3)); }},
    {"memcpy", "PPN", 'P',
     [](const BridgeArgs& a) -> CResult { return std::memcpy(a.p(1), a.p(2), a.size(3)); }},
    {"memmove", "PPN", 'P',
     [](const BridgeArgs& a) -> CResult { return std::memmove(a.p(1), a.p(2), a.size(3)); }},
    {"memset", "PNN", 'P',
     [](const BridgeArgs& a) -> CResult {
         return std::memset(a.p(1), static_cast<int>(a.n(2)), a.size(3));
     }},
};

} // namespace

std::span<const BridgeRow> memoryRows() {
    return kMemoryRows;
}

} // namespace rill
