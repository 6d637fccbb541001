#include "builtins/c_strings.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace rill {

namespace {

char* buffer(const BridgeArgs& a, int k) {
    return static_cast<char*>(a.p(k));
}
// The address where a conversion stores its end pointer; 0 for none.
char** endSlot(const BridgeArgs& a, int k) {
    return static_cast<char**>(a.p(k));
}

// The string wrappers, one row each: name, argument kinds, result kind, call. Strings that
// the C functions return are handed out as addresses, never copied.
const BridgeRow kStringRows[] = {
    {"strlen", "S", 'N', [](const BridgeArgs& a) -> CResult { return std::strlen(a.s(1)); }},
    {"strnlen", "SN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::strnlen(a.s(1), a.size(2)); }},
    {"strcmp", "SS", 'N',
     [](const BridgeArgs& a) -> CResult { return std::strcmp(a.s(1), a.s(2)); }},
    {"strncmp", "SSN", 'N',
     [](const BridgeArgs& a) -> CResult { return std::strncmp(a.s(1), a.s(2), a.size(3)); }},
    {"strcasecmp", "SS", 'N',
     [](const BridgeArgs& a) -> CResult { return ::strcasecmp(a.s(1), a.s(2)); }},
    {"strncasecmp", "SSN", 'N',
     [](const BridgeArgs& a) -> CResult { return ::strncasecmp(a.s(1), a.s(2), a.size(3)); }},
    {"strcpy", "PS", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strcpy(buffer(a, 1), a.s(2)); }},
    {"strncpy", "PPN", 'P',
     [](const BridgeArgs& a) -> CResult {
         return std::strncpy(buffer(a, 1), buffer(a, 2), a.size(3));
     }},
    {"strcat", "PS", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strcat(buffer(a, 1), a.s(2)); }},
    {"strncat", "PSN", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strncat(buffer(a, 1), a.s(2), a.size(3)); }},
    {"strchr", "SN", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strchr(a.s(1), a.asInt(2)); }},
    {"strrchr", "SN", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strrchr(a.s(1), a.asInt(2)); }},
    {"strpbrk", "SS", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strpbrk(a.s(1), a.s(2)); }},
    {"strspn", "SS", 'N',
     [](const BridgeArgs& a) -> CResult { return std::strspn(a.s(1), a.s(2)); }},
    {"strstr", "SS", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strstr(a.s(1), a.s(2)); }},
    {"strdup", "S", 'P', [](const BridgeArgs& a) -> CResult { return ::strdup(a.s(1)); }},
    // The string to split is an address, 0 to go on with the previous one.
    {"strtok", "PS", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strtok(buffer(a, 1), a.s(2)); }},
    {"strtok_r", "PSP", 'P',
     [](const BridgeArgs& a) -> CResult {
         return ::strtok_r(buffer(a, 1), a.s(2), endSlot(a, 3));
     }},
    {"strerror", "N", 'P',
     [](const BridgeArgs& a) -> CResult { return std::strerror(a.asInt(1)); }},
    {"strtod", "SP", 'R',
     [](const BridgeArgs& a) -> CResult { return std::strtod(a.s(1), endSlot(a, 2)); }},
    {"strtol", "SPN", 'N',
     [](const BridgeArgs& a) -> CResult { return std::strtol(a.s(1), endSlot(a, 2), a.asInt(3)); }},
    {"strtoul", "SPN", 'U',
     [](const BridgeArgs& a) -> CResult {
         return std::strtoul(a.s(1), endSlot(a, 2), a.asInt(3));
     }},
    {"atof", "S", 'R', [](const BridgeArgs& a) -> CResult { return std::atof(a.s(1)); }},
    {"atoi", "S", 'N', [](const BridgeArgs& a) -> CResult { return std::atoi(a.s(1)); }},
    {"atol", "S", 'N', [](const BridgeArgs& a) -> CResult { return std::atol(a.s(1)); }},
    {"getenv", "S", 'P', [](const BridgeArgs& a) -> CResult { return std::getenv(a.s(1)); }},
    {"system", "S", 'N', [](const BridgeArgs& a) -> CResult { return std::system(a.s(1)); }},
};

} // namespace

std::span<const BridgeRow> stringRows() {
    return kStringRows;
}

} // namespace rill
