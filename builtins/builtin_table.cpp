#include "builtins/builtin_table.h"

#include "builtins/arithmetic.h"
#include "builtins/c_bridge.h"
#include "builtins/c_char_classes.h"
#include "builtins/c_directories.h"
#include "builtins/c_math.h"
#include "builtins/c_process.h"
#include "builtins/c_sockets.h"
#include "builtins/c_streams.h"
#include "builtins/c_time.h"
#include "builtins/calling_protocol.h"
#include "builtins/comparison.h"
#include "builtins/data_builtins.h"
#include "builtins/real_numbers.h"
#include "middle/runtime_loading.h"
#include "middle/value_rendering.h"

namespace rill {

namespace {

// Every built-in, grouped by family; the names and arities are the language's.
constexpr BuiltinRow kRows[] = {
    // Arithmetic
    {"plus", 2, builtin_plus},
    {"dash", 2, builtin_dash},
    {"mult", 2, builtin_mult},
    {"over", 2, builtin_over},
    {"cent", 2, builtin_cent},
    {"powa", 2, builtin_powa},
    // Comparison
    {"less", 2, builtin_less},
    {"gteq", 2, builtin_gteq},
    {"same", 2, builtin_same},
    {"diff", 2, builtin_diff},
    {"cmpr", 2, builtin_cmpr},
    // Real numbers
    {"real", 1, builtin_real},
    // Data: strings, lists and records
    {"buck", 1, builtin_buck},
    {"wave", 1, builtin_wave},
    {"lits", 1, builtin_lits},
    {"lots", 1, builtin_lots},
    {"left", 1, builtin_left},
    {"rght", 1, builtin_rght},
    {"cape", 1, builtin_cape},
    {"init", 1, builtin_init},
    {"leaf", 1, builtin_leaf},
    {"leak", 1, builtin_leak},
    {"rank", 1, builtin_rank},
    {"zits", 1, builtin_zits},
    {"raws", 2, builtin_raws},
    {"copy", 2, builtin_copy},
    {"look", 2, builtin_look},
    {"cork", 3, builtin_cork},
    {"trim", 3, builtin_trim},
    {"gets", 1, builtin_gets},
    {"gett", 1, builtin_gett},
    {"getu", 1, builtin_getu},
    {"getv", 1, builtin_getv},
    {"getw", 1, builtin_getw},
    {"getx", 1, builtin_getx},
    {"gety", 1, builtin_gety},
    {"getz", 1, builtin_getz},
    {"sett", 2, builtin_sett},
    {"setu", 2, builtin_setu},
    {"setw", 2, builtin_setw},
    {"setx", 2, builtin_setx},
    // Rendering
    {"lisp", 1, builtin_lisp},
    {"type", 1, builtin_type},
    {"tern", 1, builtin_tern},
    // Run-time loading
    {"load", 1, builtin_load},
    // C library: sockets and name resolution
    {"socket", 3, callBridge},
    {"bind", 3, callBridge},
    {"listen", 2, callBridge},
    {"accept", 3, callBridge},
    {"connect", 3, callBridge},
    {"shutdown", 2, callBridge},
    {"closesocket", 1, callBridge},
    {"send", 4, callBridge},
    {"sendto", 6, callBridge},
    {"recv", 4, callBridge},
    {"recvfrom", 6, callBridge},
    {"setsockopt", 5, callBridge},
    {"getpeername", 3, callBridge},
    {"gethostname", 2, callBridge},
    {"getaddrinfo", 4, callBridge},
    {"freeaddrinfo", 1, callBridge},
    {"gai_strerror", 1, callBridge},
    {"getnameinfo", 7, callBridge},
    {"inet_ntop", 4, callBridge},
    {"inet_pton", 3, callBridge},
    {"htonl", 1, callBridge},
    {"htons", 1, callBridge},
    {"ntohl", 1, callBridge},
    {"ntohs", 1, callBridge},
    {"fd_set", 2, callBridge},
    {"addrinfo", 0, builtin_addrinfo},
    {"af_unspec", 0, builtin_af_unspec},
    {"ai_passive", 0, builtin_ai_passive},
    {"sock_stream", 0, builtin_sock_stream},
    // C library: streams and files
    {"fopen", 2, callBridge},
    {"fdopen", 2, callBridge},
    {"fclose", 1, callBridge},
    {"fflush", 1, callBridge},
    {"feof", 1, callBridge},
    {"ferror", 1, callBridge},
    {"clearerr", 1, callBridge},
    {"fgetc", 1, callBridge},
    {"getc", 1, callBridge},
    {"fgets", 3, callBridge},
    {"fputc", 2, callBridge},
    {"putc", 2, callBridge},
    {"fputs", 2, callBridge},
    {"ungetc", 2, callBridge},
    {"fread", 4, callBridge},
    {"fwrite", 4, callBridge},
    {"fseek", 3, callBridge},
    {"ftell", 1, callBridge},
    {"rewind", 1, callBridge},
    {"fgetpos", 2, callBridge},
    {"fsetpos", 2, callBridge},
    {"fileno", 1, callBridge},
    {"setbuf", 2, callBridge},
    {"putchar", 1, callBridge},
    {"puts", 1, callBridge},
    {"perror", 1, callBridge},
    {"remove", 1, callBridge},
    {"rename", 2, callBridge},
    {"tmpnam", 1, callBridge},
    {"read", 3, callBridge},
    {"write", 3, callBridge},
    {"getchar", 0, builtin_getchar},
    {"stderr", 0, builtin_stderr},
    {"stdout", 0, builtin_stdout},
    {"tmpfile", 0, builtin_tmpfile},
    // C library: memory
    {"malloc", 1, callBridge},
    {"calloc", 2, callBridge},
    {"realloc", 2, callBridge},
    {"free", 1, callBridge},
    {"bzero", 2, callBridge},
    {"memchr", 3, callBridge},
    {"memcmp", 3, callBridge},
    {"memcpy", 3, callBridge},
    {"memmove", 3, callBridge},
    {"memset", 3, callBridge},
    // C library: strings and conversions
    {"strlen", 1, callBridge},
    {"strnlen", 2, callBridge},
    {"strcmp", 2, callBridge},
    {"strncmp", 3, callBridge},
    {"strcasecmp", 2, callBridge},
    {"strncasecmp", 3, callBridge},
    {"strcpy", 2, callBridge},
    {"strncpy", 3, callBridge},
    {"strcat", 2, callBridge},
    {"strncat", 3, callBridge},
    {"strchr", 2, callBridge},
    {"strrchr", 2, callBridge},
    {"strpbrk", 2, callBridge},
    {"strspn", 2, callBridge},
    {"strstr", 2, callBridge},
    {"strdup", 1, callBridge},
    {"strtok", 2, callBridge},
    {"strtok_r", 3, callBridge},
    {"strerror", 1, callBridge},
    {"strtod", 2, callBridge},
    {"strtol", 3, callBridge},
    {"strtoul", 3, callBridge},
    {"atof", 1, callBridge},
    {"atoi", 1, callBridge},
    {"atol", 1, callBridge},
    {"getenv", 1, callBridge},
    {"system", 1, callBridge},
    // C library: time
    {"time", 1, callBridge},
    {"difftime", 2, callBridge},
    {"mktime", 1, callBridge},
    {"gmtime", 1, callBridge},
    {"localtime", 1, callBridge},
    {"asctime", 1, callBridge},
    {"ctime", 1, callBridge},
    {"strftime", 4, callBridge},
    {"time_t", 0, builtin_time_t},
    // C library: directories
    {"opendir", 1, callBridge},
    {"readdir", 1, callBridge},
    {"closedir", 1, callBridge},
    {"dirent", 0, builtin_dirent},
    // C library: character classes
    {"isalnum", 1, callBridge},
    {"isalpha", 1, callBridge},
    {"isascii", 1, callBridge},
    {"isblank", 1, callBridge},
    {"isdigit", 1, callBridge},
    {"isgraph", 1, callBridge},
    {"islower", 1, callBridge},
    {"isprint", 1, callBridge},
    {"ispunct", 1, callBridge},
    {"isspace", 1, callBridge},
    {"isupper", 1, callBridge},
    {"tolower", 1, callBridge},
    {"toupper", 1, callBridge},
    {"toascii", 1, callBridge},
    // C library: mathematics
    {"abs", 1, builtin_abs},
    {"acos", 1, callBridge},
    {"asin", 1, callBridge},
    {"atan", 1, callBridge},
    {"ceil", 1, callBridge},
    {"cos", 1, callBridge},
    {"cosh", 1, callBridge},
    {"erf", 1, callBridge},
    {"erfc", 1, callBridge},
    {"exp", 1, callBridge},
    {"fabs", 1, callBridge},
    {"floor", 1, callBridge},
    {"log", 1, callBridge},
    {"sin", 1, callBridge},
    {"sinh", 1, callBridge},
    {"sqrt", 1, callBridge},
    {"tan", 1, callBridge},
    {"tanh", 1, callBridge},
    {"fmod", 2, callBridge},
    {"hypot", 2, callBridge},
    {"nextafter", 2, callBridge},
    {"pow", 2, callBridge},
    {"frexp", 2, callBridge},
    {"modf", 2, callBridge},
    {"ldexp", 2, callBridge},
    {"labs", 1, builtin_labs},
    // C library: process
    {"exit", 1, callBridge},
    {"raise", 1, callBridge},
    {"srand", 1, callBridge},
    {"abort", 0, builtin_abort},
    {"assert", 1, builtin_assert},
    {"errno", 0, builtin_errno},
    {"rand", 0, builtin_rand},
    {"rand_max", 0, builtin_rand_max},
    {"eacces", 0, builtin_eacces},
    {"ebadf", 0, builtin_ebadf},
    {"econnaborted", 0, builtin_econnaborted},
    {"efault", 0, builtin_efault},
    {"eintr", 0, builtin_eintr},
    {"einval", 0, builtin_einval},
    {"eio", 0, builtin_eio},
    {"emfile", 0, builtin_emfile},
    {"enfile", 0, builtin_enfile},
    {"enodev", 0, builtin_enodev},
    {"enomem", 0, builtin_enomem},
    {"enotsock", 0, builtin_enotsock},
    {"enxio", 0, builtin_enxio},
    {"eopnotsupp", 0, builtin_eopnotsupp},
    {"eoverflow", 0, builtin_eoverflow},
    {"ewouldblock", 0, builtin_ewouldblock},
};

BuiltinTable& storage() {
    static BuiltinTable table;
    return table;
}

#ifdef RILL_FUZZ_BOUNDS
// The fuzzing build keeps a fuzzed program off the machine it runs on: every built-in that
// reaches files, processes, signals, sockets, raw memory or standard input answers "Z". What
// is left computes on values alone (the C library's mathematics and character classes too).
bool touchesTheMachine(const BuiltinRow& row) {
    static constexpr std::string_view kEffects[] = {
        "abort", "assert", "getchar", "rand", "stderr", "stdout", "tmpfile", // process, streams
        "copy",  "gets",   "gett",    "getu", "getv",   "getw",   "getx",    // raw memory
        "gety",  "getz",   "sett",    "setu", "setw",   "setx"};
    for (std::string_view name : kEffects)
        if (row.name == name)
            return true;
    if (row.implementation != callBridge)
        return false;
    for (std::span<const BridgeRow> family : {mathRows(), charClassRows()})
        for (const BridgeRow& pure : family)
            if (pure.name == row.name)
                return false;
    return true;
}
#endif

} // namespace

BuiltinTable& builtinTable() {
    BuiltinTable& table = storage();
    if (table.empty()) {
        for (const BuiltinRow& row : kRows) {
            BuiltinFn implementation = row.implementation;
#ifdef RILL_FUZZ_BOUNDS
            if (touchesTheMachine(row))
                implementation = notYetBuilt;
#endif
            table.emplace(std::string(row.name), BuiltinEntry{row.arity, implementation});
        }
    }
    return table;
}

void clearBuiltinTable() {
    storage().clear();
}

const BuiltinEntry* findBuiltin(std::string_view name) {
    const BuiltinTable& table = builtinTable();
    auto found = table.find(name);
    return found == table.end() ? nullptr : &found->second;
}

std::span<const BuiltinRow> builtinRows() {
    return kRows;
}

NodeRef notYetBuilt(NodeRef call) {
    (void)call; // released here
    return makeFailure();
}

} // namespace rill
