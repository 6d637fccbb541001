#include "builtins/c_math.h"

#include <cmath>
#include <cstdint>

namespace rill {

namespace {

// abs x and labs x: the absolute value in 64-bit two's complement, the most negative value
// staying as it is (the platform's long is 64 bits, so both are the same function).
static_assert(sizeof(long) == sizeof(std::int64_t));
CResult absoluteValue(const BridgeArgs& a) {
    const std::uint64_t v = static_cast<std::uint64_t>(a.n(1));
    const bool negative = (v >> 63) != 0;
    return negative ? std::uint64_t{0} - v : v;
}

template <double (*f)(double)> CResult oneReal(const BridgeArgs& a) {
    return f(a.r(1));
}

template <double (*f)(double, double)> CResult twoReals(const BridgeArgs& a) {
    return f(a.r(1), a.r(2));
}

// The mathematics wrappers, one row each: name, argument kinds, result kind, call. frexp and
// modf store their second result through the address they are given.
const BridgeRow kMathRows[] = {
    {"abs", "N", 'N', absoluteValue},
    {"acos", "R", 'R', oneReal<std::acos>},
    {"asin", "R", 'R', oneReal<std::asin>},
    {"atan", "R", 'R', oneReal<std::atan>},
    {"ceil", "R", 'R', oneReal<std::ceil>},
    {"cos", "R", 'R', oneReal<std::cos>},
    {"cosh", "R", 'R', oneReal<std::cosh>},
    {"erf", "R", 'R', oneReal<std::erf>},
    {"erfc", "R", 'R', oneReal<std::erfc>},
    {"exp", "R", 'R', oneReal<std::exp>},
    {"fabs", "R", 'R', oneReal<std::fabs>},
    {"floor", "R", 'R', oneReal<std::floor>},
    {"log", "R", 'R', oneReal<std::log>},
    {"sin", "R", 'R', oneReal<std::sin>},
    {"sinh", "R", 'R', oneReal<std::sinh>},
    {"sqrt", "R", 'R', oneReal<std::sqrt>},
    {"tan", "R", 'R', oneReal<std::tan>},
    {"tanh", "R", 'R', oneReal<std::tanh>},
    {"fmod", "RR", 'R', twoReals<std::fmod>},
    {"hypot", "RR", 'R', twoReals<std::hypot>},
    {"nextafter", "RR", 'R', twoReals<std::nextafter>},
    {"pow", "RR", 'R', twoReals<std::pow>},
    {"frexp", "RP", 'R',
     [](const BridgeArgs& a) -> CResult { return std::frexp(a.r(1), static_cast<int*>(a.p(2))); }},
    {"modf", "RP", 'R',
     [](const BridgeArgs& a) -> CResult {
         return std::modf(a.r(1), static_cast<double*>(a.p(2)));
     }},
    {"ldexp", "RN", 'R',
     [](const BridgeArgs& a) -> CResult { return std::ldexp(a.r(1), a.asInt(2)); }},
    {"labs", "N", 'N', absoluteValue},
};

} // namespace

std::span<const BridgeRow> mathRows() {
    return kMathRows;
}

} // namespace rill
