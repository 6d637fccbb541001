#include "builtins/c_streams.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace rill {

namespace {

// tmpnam buffer: a name in the temporary directory that no file has; into the buffer when
// there is one, else into a buffer of its own. The name comes from mkstemp, whose file is
// removed again at once, so the link stays free of the warning the C library ties to tmpnam.
char* temporaryName(char* buffer) {
    static char own[L_tmpnam];
    char made[] = "/tmp/rillXXXXXX";
    static_assert(sizeof made <= L_tmpnam);
    const int descriptor = ::mkstemp(made);
    if (descriptor < 0)
        return nullptr;
    ::close(descriptor);
    ::unlink(made);
    char* out = buffer != nullptr ? buffer : own;
    std::memcpy(out, made, sizeof made);
    return out;
}

// The stream wrappers, one row each: name, argument kinds, result kind, call.
const BridgeRow kStreamRows[] = {
    {"fopen", "SS", 'P', [](const BridgeArgs& a) -> CResult { return std::fopen(a.s(1), a.s(2)); }},
    {"fdopen", "NS", 'P',
     [](const BridgeArgs& a) -> CResult { return ::fdopen(a.asInt(1), a.s(2)); }},
    {"fclose", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::fclose(a.file(1)); }},
    {"fflush", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::fflush(a.file(1)); }},
    {"feof", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::feof(a.file(1)); }},
    {"ferror", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::ferror(a.file(1)); }},
    {"clearerr", "P", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::clearerr(a.file(1));
         return {};
     }},
    {"fgetc", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::fgetc(a.file(1)); }},
    {"getc", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::getc(a.file(1)); }},
    {"fgets", "PNP", 'P',
     [](const BridgeArgs& a) -> CResult {
         return std::fgets(static_cast<char*>(a.p(1)), a.asInt(2), a.file(3));
     }},
    {"fputc", "NP", 'N',
     [](const BridgeArgs& a) -> CResult { return std::fputc(a.asInt(1), a.file(2)); }},
    {"putc", "NP", 'N',
     [](const BridgeArgs& a) -> CResult { return std::putc(a.asInt(1), a.file(2)); }},
    {"fputs", "PP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return std::fputs(static_cast<const char*>(a.p(1)), a.file(2));
     }},
    {"ungetc", "NP", 'N',
     [](const BridgeArgs& a) -> CResult { return std::ungetc(a.asInt(1), a.file(2)); }},
    {"fread", "PNNP", 'U',
     [](const BridgeArgs& a) -> CResult {
         return std::fread(a.p(1), a.size(2), a.size(3), a.file(4));
     }},
    {"fwrite", "SNNP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return std::fwrite(a.s(1), a.size(2), a.size(3), a.file(4));
     }},
    {"fseek", "PNN", 'N',
     [](const BridgeArgs& a) -> CResult {
         return std::fseek(a.file(1), static_cast<long>(a.n(2)), a.asInt(3));
     }},
    {"ftell", "P", 'N', [](const BridgeArgs& a) -> CResult { return std::ftell(a.file(1)); }},
    {"rewind", "P", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::rewind(a.file(1));
         return {};
     }},
    {"fgetpos", "PP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return std::fgetpos(a.file(1), static_cast<std::fpos_t*>(a.p(2)));
     }},
    {"fsetpos", "PP", 'N',
     [](const BridgeArgs& a) -> CResult {
         return std::fsetpos(a.file(1), static_cast<const std::fpos_t*>(a.p(2)));
     }},
    {"fileno", "P", 'N', [](const BridgeArgs& a) -> CResult { return ::fileno(a.file(1)); }},
    {"setbuf", "PP", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::setbuf(a.file(1), static_cast<char*>(a.p(2)));
         return {};
     }},
    {"putchar", "N", 'N', [](const BridgeArgs& a) -> CResult { return std::putchar(a.asInt(1)); }},
    {"puts", "S", 'N', [](const BridgeArgs& a) -> CResult { return std::puts(a.s(1)); }},
    {"perror", "S", 'I',
     [](const BridgeArgs& a) -> CResult {
         std::perror(a.s(1));
         return {};
     }},
    {"remove", "S", 'N', [](const BridgeArgs& a) -> CResult { return std::remove(a.s(1)); }},
    {"rename", "SS", 'N',
     [](const BridgeArgs& a) -> CResult { return std::rename(a.s(1), a.s(2)); }},
    {"tmpnam", "P", 'P',
     [](const BridgeArgs& a) -> CResult { return temporaryName(static_cast<char*>(a.p(1))); }},
    {"read", "NPN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::read(a.asInt(1), a.p(2), a.size(3)); }},
    {"write", "NSN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::write(a.asInt(1), a.s(2), a.size(3)); }},
    // No arguments: the next byte of standard input (or EOF), the standard streams, and a new
    // temporary stream (0 when it cannot be made).
    {"getchar", "", 'N', [](const BridgeArgs&) -> CResult { return std::getchar(); }},
    {"stderr", "", 'P', [](const BridgeArgs&) -> CResult { return stderr; }},
    {"stdout", "", 'P', [](const BridgeArgs&) -> CResult { return stdout; }},
    {"tmpfile", "", 'P', [](const BridgeArgs&) -> CResult { return std::tmpfile(); }},
};

} // namespace

std::span<const BridgeRow> streamRows() {
    return kStreamRows;
}

} // namespace rill
