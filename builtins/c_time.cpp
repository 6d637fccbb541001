#include "builtins/c_time.h"

#include <ctime>

namespace rill {

namespace {

std::time_t* timeAt(const BridgeArgs& a, int k) {
    return static_cast<std::time_t*>(a.p(k));
}
std::tm* recordAt(const BridgeArgs& a, int k) {
    return static_cast<std::tm*>(a.p(k));
}

// The time wrappers, one row each: name, argument kinds, result kind, call. The broken-down
// records and texts that gmtime, localtime, asctime and ctime return are the C library's own.
const BridgeRow kTimeRows[] = {
    {"time", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::time(timeAt(a, 1)); }},
    {"difftime", "NN", 'R',
     [](const BridgeArgs& a) -> CResult {
         return std::difftime(static_cast<std::time_t>(a.n(1)), static_cast<std::time_t>(a.n(2)));
     }},
    {"mktime", "P", 'N',
     [](const BridgeArgs& a) -> CResult { return std::mktime(recordAt(a, 1)); }},
    {"gmtime", "P", 'P', [](const BridgeArgs& a) -> CResult { return std::gmtime(timeAt(a, 1)); }},
    {"localtime", "P", 'P',
     [](const BridgeArgs& a) -> CResult { return std::localtime(timeAt(a, 1)); }},
    {"asctime", "P", 'P',
     [](const BridgeArgs& a) -> CResult { return std::asctime(recordAt(a, 1)); }},
    {"ctime", "P", 'P', [](const BridgeArgs& a) -> CResult { return std::ctime(timeAt(a, 1)); }},
    {"strftime", "PNSP", 'U',
     [](const BridgeArgs& a) -> CResult {
         return std::strftime(static_cast<char*>(a.p(1)), a.size(2), a.s(3), recordAt(a, 4));
     }},
    {"time_t", sizeof(std::time_t)}, // the size of a time value
};

} // namespace

std::span<const BridgeRow> timeRows() {
    return kTimeRows;
}

} // namespace rill
