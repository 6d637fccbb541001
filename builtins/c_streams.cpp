#include "builtins/c_streams.h"

#include <cstdint>
#include <cstdio>

namespace rill {

namespace {

NodeRef makeAddress(const void* address) {
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(address)));
}

} // namespace

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
