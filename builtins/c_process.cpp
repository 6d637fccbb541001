#include "builtins/c_process.h"

#include "builtins/calling_protocol.h"
#include "core/assertion.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>

namespace rill {

namespace {

// The process wrappers, one row each: name, argument kinds, result kind, call. exit ends the
// process with the low 32 bits of its argument as the status and never gives a result.
const BridgeRow kProcessRows[] = {
    {"exit", "N", '-',
     [](const BridgeArgs& a) -> CResult {
         std::exit(static_cast<int>(static_cast<std::uint32_t>(a.n(1))));
     }},
    {"raise", "N", 'N',
     [](const BridgeArgs& a) -> CResult { return std::raise(static_cast<int>(a.n(1))); }},
    {"srand", "N", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::srand(static_cast<unsigned>(a.n(1)));
         return {};
     }},
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

NodeRef builtin_abort(NodeRef call) {
    (void)call;
    std::abort();
}

NodeRef builtin_errno(NodeRef call) {
    (void)call;
    return makeInteger(errno);
}

NodeRef builtin_rand(NodeRef call) {
    (void)call;
    return makeInteger(std::rand());
}

NodeRef builtin_rand_max(NodeRef call) {
    (void)call;
    return makeInteger(RAND_MAX);
}

NodeRef builtin_eacces(NodeRef) {
    return makeInteger(EACCES);
}
NodeRef builtin_ebadf(NodeRef) {
    return makeInteger(EBADF);
}
NodeRef builtin_econnaborted(NodeRef) {
    return makeInteger(ECONNABORTED);
}
NodeRef builtin_efault(NodeRef) {
    return makeInteger(EFAULT);
}
NodeRef builtin_eintr(NodeRef) {
    return makeInteger(EINTR);
}
NodeRef builtin_einval(NodeRef) {
    return makeInteger(EINVAL);
}
NodeRef builtin_eio(NodeRef) {
    return makeInteger(EIO);
}
NodeRef builtin_emfile(NodeRef) {
    return makeInteger(EMFILE);
}
NodeRef builtin_enfile(NodeRef) {
    return makeInteger(ENFILE);
}
NodeRef builtin_enodev(NodeRef) {
    return makeInteger(ENODEV);
}
NodeRef builtin_enomem(NodeRef) {
    return makeInteger(ENOMEM);
}
NodeRef builtin_enotsock(NodeRef) {
    return makeInteger(ENOTSOCK);
}
NodeRef builtin_enxio(NodeRef) {
    return makeInteger(ENXIO);
}
NodeRef builtin_eopnotsupp(NodeRef) {
    return makeInteger(EOPNOTSUPP);
}
NodeRef builtin_eoverflow(NodeRef) {
    return makeInteger(EOVERFLOW);
}
NodeRef builtin_ewouldblock(NodeRef) {
    return makeInteger(EWOULDBLOCK);
}

} // namespace rill
