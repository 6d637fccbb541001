// The C library bridge: built-ins that hand their arguments to one C function and turn its
// result into a value. Each wrapper is one row: its name, the kind of each argument, the kind
// of its result and the call. Arguments are checked against their kinds before the call;
// any mismatch gives "Z" and the C function is not called.
//
// Argument kinds:  N an integer, passed at the width of the C parameter
//                  P an address: an integer passed as a pointer
//                  S a string: a block's payload, a bracket string's first text byte, or an
//                    integer read as an address
//                  R a real (an integer is not converted)
// Result kinds:    N a signed integer     U an unsigned 64-bit integer   P an address
//                  R a real               I the atom "I"                B "K" for non-zero, else
//                  "H"
#pragma once

#include "core/node_store.h"

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

// One wrapper: name, argument kinds, result kind and the call itself.
struct BridgeRow {
    std::string_view name;
    std::string_view kinds;
    char result;
    CResult (*call)(const BridgeArgs& a);
};

// The implementation every bridge built-in shares: finds the row of the call's head and runs it.
NodeRef callBridge(NodeRef call);
// The row of a bridge built-in, or null.
const BridgeRow* findBridgeRow(std::string_view name);
// An unsigned 64-bit number as a decimal integer atom.
NodeRef makeUnsigned(std::uint64_t value);

} // namespace rill
