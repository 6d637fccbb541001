#include "builtins/c_process.h"

#include "builtins/calling_protocol.h"
#include "core/assertion.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>

namespace rill {

namespace {

// The process wrappers, one row each: name, argument kinds, result kind, call; then the
// constants. exit ends the process with the low 32 bits of its argument as the status and, like
// abort, never gives a result.
const BridgeRow kProcessRows[] = {
    {"exit", "N", '-',
     [](const BridgeArgs& a) -> CResult {
         std::exit(static_cast<int>(static_cast<std::uint32_t>(a.n(1))));
     }},
    {"raise", "N", 'N', [](const BridgeArgs& a) -> CResult { return std::raise(a.asInt(1)); }},
    {"srand", "N", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::srand(static_cast<unsigned>(a.n(1)));
         return {};
     }},
    {"abort", "", '-', [](const BridgeArgs&) -> CResult { std::abort(); }},
    {"errno", "", 'N', [](const BridgeArgs&) -> CResult { return errno; }},
    {"rand", "", 'N', [](const BridgeArgs&) -> CResult { return std::rand(); }},
    {"rand_max", RAND_MAX}, // the largest number rand gives
    // The platform's error numbers.
    {"eacces", EACCES},
    {"ebadf", EBADF},
    {"econnaborted", ECONNABORTED},
    {"efault", EFAULT},
    {"eintr", EINTR},
    {"einval", EINVAL},
    {"eio", EIO},
    {"emfile", EMFILE},
    {"enfile", ENFILE},
    {"enodev", ENODEV},
    {"enomem", ENOMEM},
    {"enotsock", ENOTSOCK},
    {"enxio", ENXIO},
    {"eopnotsupp", EOPNOTSUPP},
    {"eoverflow", EOVERFLOW},
    {"ewouldblock", EWOULDBLOCK},
};

} // namespace

std::span<const BridgeRow> processRows() {
    return kProcessRows;
}

NodeRef builtin_assert(NodeRef call) {
    auto [t] = takeArguments<1>(std::move(call));
    if (firstByte(t) == 'K')
        return makeNothing();
    if (firstByte(t) == 'H')
        assertionFailed(__FILE__, __LINE__);
    return makeFailure();
}

} // namespace rill
