// The calling protocol of the built-ins: how an implementation takes its arguments apart,
// classifies them by kind, reads integers and addresses out of them and builds its result.
//
// A built-in receives its saturated call (((b a1) a2) ... an) by value, owns it and releases
// it on every path. Every argument is already in normal form.
#pragma once

#include "core/node_store.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace rill {

// The class of a value that the built-ins switch on; the letters' byte order (a < e < i < o
// < u) is the order of kinds in comparisons.
enum class ValueKind : char {
    block = 'a',   // a data block "(" length ")" payload
    real = 'e',    // a space and the eight bytes of a double
    integer = 'i', // a decimal integer atom, or a bit list (J K rest)
    oForm = 'o',   // an `o` text ("00" ...), or a bit list (J H rest)
    string = 'u',  // inert data: bracket strings and applications of data to data
    other = 'w',   // anything else: combinators, lists, partial applications
};

// The kind of a value by its first byte, its data tag and, for (J b rest), the cell's bit.
// A bit list is given its kind from its first cell alone; readers check the rest.
ValueKind valueKind(const NodeRef& value);
// True for the atom "K" (zero), a canonical decimal integer atom ("0", "42", "042") and a
// well-formed bit list of kind bit 1 ((J K rest) whose cells and end read as a BitString).
bool isInteger(const NodeRef& value);
// False for a negative integer value: by the leading "0" of a text, by the sign bit (the
// second bit) of a bit list. A value that is not an integer is an internal failure.
bool isNonNegative(const NodeRef& value);
// The absolute value: an atom's text without its leading "0"; a bit list as decimal text.
NodeRef magnitudeOf(const NodeRef& value);
// The low 64 bits of the magnitude, negated in two's complement for a negative value.
std::int64_t toInt64(const NodeRef& value);
// A machine address: toInt64 of an integer, the first text byte of a string atom, the first
// payload byte of a block; 0 for an `i` value that is no integer and for a data application;
// other kinds are an internal failure.
void* toPointer(const NodeRef& value);
// A new real atom: a space, then the double's eight bytes, least significant first.
NodeRef makeReal(double value);
NodeRef makeTruth(bool value); // a new "K" for true, "H" for false
NodeRef makeFailure();         // a new "Z"
NodeRef makeNothing();         // a new "I", the result of a procedure

// The two arguments of a saturated call ((b a1) a2) of arity 2, borrowed where they stand.
inline Node* firstArgumentOf(const NodeRef& call) {
    return argumentOf(functionOf(call.get()));
}
inline Node* secondArgumentOf(const NodeRef& call) {
    return argumentOf(call.get());
}

// Takes a saturated call of arity N apart: element k - 1 is argument ak. The call is consumed.
template <std::size_t N> std::array<NodeRef, N> takeArguments(NodeRef call) {
    std::array<NodeRef, N> arguments;
    for (std::size_t k = N; k-- > 0;) {
        auto [function, argument] = takeParts(std::move(call));
        arguments[k] = std::move(argument);
        call = std::move(function);
    }
    return arguments;
}

// Argument k (1 to n) of a saturated call of arity n, a new reference: the argument
// part after n - k steps down the function parts.
NodeRef argumentOfCall(const NodeRef& call, std::size_t k, std::size_t n);

} // namespace rill
