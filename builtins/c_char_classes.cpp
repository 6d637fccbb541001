#include "builtins/c_char_classes.h"

#include <cctype>
#include <cstdio>

namespace rill {

namespace {

// The C tests are defined for the byte values and EOF only; every other value is in no class
// and is left as it is by the conversions.
bool isByteOrEnd(std::int64_t c) {
    return (c >= 0 && c <= 255) || c == EOF;
}

template <int (*test)(int)> CResult classTest(const BridgeArgs& a) {
    const std::int64_t c = a.n(1);
    return isByteOrEnd(c) ? test(static_cast<int>(c)) : 0;
}

template <int (*convert)(int)> CResult caseConversion(const BridgeArgs& a) {
    const std::int64_t c = a.n(1);
    return isByteOrEnd(c) ? static_cast<std::int64_t>(convert(static_cast<int>(c))) : c;
}

// The character-class wrappers, one row each: name, argument kinds, result kind, call.
const BridgeRow kCharClassRows[] = {
    {"isalnum", "N", 'B', classTest<std::isalnum>},
    {"isalpha", "N", 'B', classTest<std::isalpha>},
    {"isascii", "N", 'B',
     [](const BridgeArgs& a) -> CResult { return a.n(1) >= 0 && a.n(1) < 128; }},
    {"isblank", "N", 'B', classTest<std::isblank>},
    {"isdigit", "N", 'B', classTest<std::isdigit>},
    {"isgraph", "N", 'B', classTest<std::isgraph>},
    {"islower", "N", 'B', classTest<std::islower>},
    {"isprint", "N", 'B', classTest<std::isprint>},
    {"ispunct", "N", 'B', classTest<std::ispunct>},
    {"isspace", "N", 'B', classTest<std::isspace>},
    {"isupper", "N", 'B', classTest<std::isupper>},
    {"tolower", "N", 'N', caseConversion<std::tolower>},
    {"toupper", "N", 'N', caseConversion<std::toupper>},
    {"toascii", "N", 'N', [](const BridgeArgs& a) -> CResult { return a.n(1) & 0x7F; }},
};

} // namespace

std::span<const BridgeRow> charClassRows() {
    return kCharClassRows;
}

} // namespace rill
