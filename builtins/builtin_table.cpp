#include "builtins/builtin_table.h"

#include "builtins/arithmetic.h"
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
    {"load", 1, notYetBuilt},
    // C library: sockets and name resolution
    {"socket", 3, notYetBuilt},
    {"bind", 3, notYetBuilt},
    {"listen", 2, notYetBuilt},
    {"accept", 3, notYetBuilt},
    {"connect", 3, notYetBuilt},
    {"shutdown", 2, notYetBuilt},
    {"closesocket", 1, notYetBuilt},
    {"send", 4, notYetBuilt},
    {"sendto", 6, notYetBuilt},
    {"recv", 4, notYetBuilt},
    {"recvfrom", 6, notYetBuilt},
    {"setsockopt", 5, notYetBuilt},
    {"getpeername", 3, notYetBuilt},
    {"gethostname", 2, notYetBuilt},
    {"getaddrinfo", 4, notYetBuilt},
    {"freeaddrinfo", 1, notYetBuilt},
    {"gai_strerror", 1, notYetBuilt},
    {"getnameinfo", 7, notYetBuilt},
    {"inet_ntop", 4, notYetBuilt},
    {"inet_pton", 3, notYetBuilt},
    {"htonl", 1, notYetBuilt},
    {"htons", 1, notYetBuilt},
    {"ntohl", 1, notYetBuilt},
    {"ntohs", 1, notYetBuilt},
    {"fd_set", 2, notYetBuilt},
    {"addrinfo", 0, builtin_addrinfo},
    {"af_unspec", 0, builtin_af_unspec},
    {"ai_passive", 0, builtin_ai_passive},
    {"sock_stream", 0, builtin_sock_stream},
    // C library: streams and files
    {"fopen", 2, notYetBuilt},
    {"fdopen", 2, notYetBuilt},
    {"fclose", 1, notYetBuilt},
    {"fflush", 1, callBridge},
    {"feof", 1, notYetBuilt},
    {"ferror", 1, notYetBuilt},
    {"clearerr", 1, notYetBuilt},
    {"fgetc", 1, notYetBuilt},
    {"getc", 1, notYetBuilt},
    {"fgets", 3, notYetBuilt},
    {"fputc", 2, callBridge},
    {"putc", 2, notYetBuilt},
    {"fputs", 2, notYetBuilt},
    {"ungetc", 2, notYetBuilt},
    {"fread", 4, notYetBuilt},
    {"fwrite", 4, callBridge},
    {"fseek", 3, notYetBuilt},
    {"ftell", 1, notYetBuilt},
    {"rewind", 1, notYetBuilt},
    {"fgetpos", 2, notYetBuilt},
    {"fsetpos", 2, notYetBuilt},
    {"fileno", 1, notYetBuilt},
    {"setbuf", 2, notYetBuilt},
    {"putchar", 1, callBridge},
    {"puts", 1, notYetBuilt},
    {"perror", 1, notYetBuilt},
    {"remove", 1, notYetBuilt},
    {"rename", 2, notYetBuilt},
    {"tmpnam", 1, notYetBuilt},
    {"read", 3, notYetBuilt},
    {"write", 3, notYetBuilt},
    {"getchar", 0, builtin_getchar},
    {"stderr", 0, builtin_stderr},
    {"stdout", 0, builtin_stdout},
    {"tmpfile", 0, builtin_tmpfile},
    // C library: memory
    {"malloc", 1, notYetBuilt},
    {"calloc", 2, notYetBuilt},
    {"realloc", 2, notYetBuilt},
    {"free", 1, notYetBuilt},
    {"bzero", 2, notYetBuilt},
    {"memchr", 3, notYetBuilt},
    {"memcmp", 3, notYetBuilt},
    {"memcpy", 3, notYetBuilt},
    {"memmove", 3, notYetBuilt},
    {"memset", 3, notYetBuilt},
    // C library: strings and conversions
    {"strlen", 1, notYetBuilt},
    {"strnlen", 2, notYetBuilt},
    {"strcmp", 2, notYetBuilt},
    {"strncmp", 3, notYetBuilt},
    {"strcasecmp", 2, notYetBuilt},
    {"strncasecmp", 3, notYetBuilt},
    {"strcpy", 2, notYetBuilt},
    {"strncpy", 3, notYetBuilt},
    {"strcat", 2, notYetBuilt},
    {"strncat", 3, notYetBuilt},
    {"strchr", 2, notYetBuilt},
    {"strrchr", 2, notYetBuilt},
    {"strpbrk", 2, notYetBuilt},
    {"strspn", 2, notYetBuilt},
    {"strstr", 2, notYetBuilt},
    {"strdup", 1, notYetBuilt},
    {"strtok", 2, notYetBuilt},
    {"strtok_r", 3, notYetBuilt},
    {"strerror", 1, notYetBuilt},
    {"strtod", 2, notYetBuilt},
    {"strtol", 3, notYetBuilt},
    {"strtoul", 3, notYetBuilt},
    {"atof", 1, notYetBuilt},
    {"atoi", 1, notYetBuilt},
    {"atol", 1, notYetBuilt},
    {"getenv", 1, notYetBuilt},
    {"system", 1, notYetBuilt},
    // C library: time
    {"time", 1, notYetBuilt},
    {"difftime", 2, notYetBuilt},
    {"mktime", 1, notYetBuilt},
    {"gmtime", 1, notYetBuilt},
    {"localtime", 1, notYetBuilt},
    {"asctime", 1, notYetBuilt},
    {"ctime", 1, notYetBuilt},
    {"strftime", 4, notYetBuilt},
    {"time_t", 0, builtin_time_t},
    // C library: directories
    {"opendir", 1, notYetBuilt},
    {"readdir", 1, notYetBuilt},
    {"closedir", 1, notYetBuilt},
    {"dirent", 0, builtin_dirent},
    // C library: character classes
    {"isalnum", 1, notYetBuilt},
    {"isalpha", 1, notYetBuilt},
    {"isascii", 1, notYetBuilt},
    {"isblank", 1, notYetBuilt},
    {"isdigit", 1, notYetBuilt},
    {"isgraph", 1, notYetBuilt},
    {"islower", 1, notYetBuilt},
    {"isprint", 1, notYetBuilt},
    {"ispunct", 1, notYetBuilt},
    {"isspace", 1, notYetBuilt},
    {"isupper", 1, notYetBuilt},
    {"tolower", 1, notYetBuilt},
    {"toupper", 1, notYetBuilt},
    {"toascii", 1, notYetBuilt},
    // C library: mathematics
    {"abs", 1, builtin_abs},
    {"acos", 1, notYetBuilt},
    {"asin", 1, notYetBuilt},
    {"atan", 1, notYetBuilt},
    {"ceil", 1, notYetBuilt},
    {"cos", 1, notYetBuilt},
    {"cosh", 1, notYetBuilt},
    {"erf", 1, notYetBuilt},
    {"erfc", 1, notYetBuilt},
    {"exp", 1, notYetBuilt},
    {"fabs", 1, notYetBuilt},
    {"floor", 1, notYetBuilt},
    {"log", 1, notYetBuilt},
    {"sin", 1, notYetBuilt},
    {"sinh", 1, notYetBuilt},
    {"sqrt", 1, notYetBuilt},
    {"tan", 1, notYetBuilt},
    {"tanh", 1, notYetBuilt},
    {"fmod", 2, notYetBuilt},
    {"hypot", 2, notYetBuilt},
    {"nextafter", 2, notYetBuilt},
    {"pow", 2, notYetBuilt},
    {"frexp", 2, notYetBuilt},
    {"modf", 2, notYetBuilt},
    {"ldexp", 2, notYetBuilt},
    {"labs", 1, builtin_labs},
    // C library: process
    {"exit", 1, notYetBuilt},
    {"raise", 1, notYetBuilt},
    {"srand", 1, notYetBuilt},
    {"abort", 0, builtin_abort},
    {"assert", 1, notYetBuilt},
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

} // namespace

BuiltinTable& builtinTable() {
    BuiltinTable& table = storage();
    if (table.empty())
        for (const BuiltinRow& row : kRows)
            table.emplace(std::string(row.name), BuiltinEntry{row.arity, row.implementation});
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
