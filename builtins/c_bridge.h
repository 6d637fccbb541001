// The C library bridge: built-ins that hand their arguments to one C function and turn its
// result into a value. Each wrapper is one row: its name, the kind of each argument (one letter
// each, so the kinds are also its arity), the kind of its result and the call. The built-in
// table takes every row as it is; nothing else names a wrapper. Arguments are checked against
// their kinds before the call; any mismatch gives "Z" and the C function is not called. A
// constant of the platform (an error number, a record size, a flag) is a row too: its name and
// its value, no arguments.
//
// Argument kinds:  N an integer, passed at the width of the C parameter
//                  P an address: an integer passed as a pointer
//                  S a string: a block's payload, a bracket string's first text byte, or an
//                    integer read as an address
//                  R a real (an integer is not converted)
// Result kinds:    N a signed integer     U an unsigned 64-bit integer   P an address
//                  R a real               I the atom "I"                B "K" for non-zero, else
//                  "H"                    - none: the call never comes back (exit, abort)
#pragma once

#include "core/node_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>
#include <type_traits>

namespace rill {

// The arguments of one bridge call, read once and checked against their kinds.
class BridgeArgs {
public:
    // Takes the call apart; kinds holds one letter (N, P, S or R) per argument.
    BridgeArgs(NodeRef call, std::string_view kinds);
    bool ok() const { return ok_; }
    // Argument k (from 1) as an integer, an address, a string or a real.
    std::int64_t n(int k) const { return integers_[k - 1]; }
    void* p(int k) const { return reinterpret_cast<void*>(integers_[k - 1]); }
    char* s(int k) const { return static_cast<char*>(pointers_[k - 1]); }
    double r(int k) const { return reals_[k - 1]; }
    std::FILE* file(int k) const { return static_cast<std::FILE*>(p(k)); }
    // Argument k converted to a C int or size_t, as C's own conversion would convert it.
    int asInt(int k) const { return static_cast<int>(n(k)); }
    std::size_t size(int k) const { return static_cast<std::size_t>(n(k)); }

    static constexpr int kMostArguments = 7;

private:
    NodeRef arguments_[kMostArguments];
    std::int64_t integers_[kMostArguments] = {};
    void* pointers_[kMostArguments] = {};
    double reals_[kMostArguments] = {};
    bool ok_ = true;
};

// What a C call gave back, before its result kind turns it into a value.
struct CResult {
    std::uint64_t bits = 0;        // an integer, sign-extended from a signed C type
    double real = 0;               // a double
    const void* pointer = nullptr; // an address
    CResult() = default;           // a procedure's result
    template <class T>
    requires std::is_integral_v<T> CResult(T v) : bits(static_cast<std::uint64_t>(v)) {}
    CResult(double v) : real(v) {}
    CResult(const volatile void* v) : pointer(const_cast<const void*>(v)) {}
};

// One wrapper: name, argument kinds, result kind and the call itself; or one constant: its name
// and value (no arguments, result kind N, no call).
struct BridgeRow {
    using Call = CResult (*)(const BridgeArgs& a);

    constexpr BridgeRow(std::string_view n, std::string_view k, char r, Call c)
        : name(n), kinds(k), result(r), call(c) {}
    constexpr BridgeRow(std::string_view n, std::int64_t v) : name(n), result('N'), value(v) {}

    std::string_view name;
    std::string_view kinds; // one letter per argument: the built-in's arity
    char result;
    Call call = nullptr;    // null for a constant
    std::int64_t value = 0; // a constant's value
};

// Runs one wrapper on its saturated call (which it releases): checks the arguments against the
// row's kinds, makes the C call and turns its result into a value; a constant gives its value.
NodeRef callBridge(const BridgeRow& row, NodeRef call);
// An unsigned 64-bit number as a decimal integer atom.
NodeRef makeUnsigned(std::uint64_t value);

} // namespace rill
