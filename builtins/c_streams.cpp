#include "builtins/c_streams.h"

#include <cstdint>
#include <cstdio>

namespace rill {

namespace {

NodeRef makeAddress(const void* address) {
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(address)));
}

// The stream wrappers, one row each: name, argument kinds, result kind, call.
const BridgeRow kStreamRows[] = {
    {"fflush", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::fflush(a.file(1)); }},
    {"fputc", "NP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return std::fputc(static_cast<int>(a.n(1)), a.file(2));
     }},
    {"fwrite", "SNNP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return std::fwrite(a.s(1), static_cast<std::size_t>(a.n(2)),
                            static_cast<std::size_t>(a.n(3)), a.file(4));
     }},
    {"putchar", "N", 'N',
     [](const BridgeArgs& a) -> CResult { return std::putchar(static_cast<int>(a.n(1))); }},
};

} // namespace

std::span<const BridgeRow> streamRows() {
    return kStreamRows;
}

NodeRef builtin_getchar(NodeRef) {
    return makeInteger(std::getchar());
}

NodeRef builtin_stderr(NodeRef) {
    return makeAddress(stderr);
}

NodeRef builtin_stdout(NodeRef) {
    return makeAddress(stdout);
}

NodeRef builtin_tmpfile(NodeRef) {
    return makeAddress(std::tmpfile());
}

} // namespace rill
