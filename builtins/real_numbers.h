// Real numbers: the real atom, the conversions to a double from every kind of number, the
// bit tree of a real's 64 bits, and the built-in `real`.
//
// A real atom is nine bytes: a space, then the eight bytes of the double, least significant
// byte first. It is made by makeReal (builtins/calling_protocol.h).
#pragma once

#include "builtins/decimal_integers.h"
#include "core/node_store.h"

#include <cstdint>
#include <string>

namespace rill {

// The NaN given for an `o` value too large (or too small) for a double: 0x7FF9000000000000.
inline constexpr std::uint64_t kOutOfRangeNaNBits = 0x7FF9000000000000;

bool isRealAtom(const NodeRef& value); // an atom whose text begins with a space
void checkReal(const NodeRef& value);  // a value that is not a real atom is an internal failure
double readReal(const NodeRef& value); // the double in bytes 1 to 8 of a real atom's text
// The double nearest to x: its decimal text, "-" for a negative one, through strtod.
double realOfInteger(const Integer& x);
// The double of an `o` value by exact binary expansion of its leading 53 bits, the rest cut
// off (truncation, not rounding); an exponent of 1024 or more gives the out-of-range NaN.
double realOfO(const Integer& x);
// The double of a real atom, an integer or an `o` value; any other value writes the fatal
// line for "truecast" and stops.
double toReal(const NodeRef& value);
std::string realText(double value); // the C library's "%e" formatting

// The bit tree of a real's 64 bits: a complete binary tree of depth 6 whose every node is
// (V lower-half upper-half) and whose leaves, bit 0 leftmost, are "K" for a set bit and "H"
// for a clear one. A real applied as a function expands into it.
NodeRef realBitTree(std::uint64_t bits);
// Reads a term of exactly that shape back into its 64 bits (an atom counts by its first byte:
// "V", "K", "H"); false for any other term.
bool readRealBitTree(const NodeRef& term, std::uint64_t& bits);

// real x: a real as it is, an integer or `o` value converted, a block's payload and a
// string's bytes through the C library's string-to-double conversion, a bit tree as its double.
NodeRef builtin_real(NodeRef call);

} // namespace rill
