// Decimal integers: the digit texts that carry every integer, the bit form beside them, and
// the arithmetic on both.
//
// An integer value is an atom of decimal digits: "0", "42", and "042" for -42 (a leading "0"
// marks a negative number). Texts beginning "00" are the second form, the `o` texts. Programs
// may also build bit lists (J b rest) from the combinator J; every such value is read through
// its `BitString`. Inside an operation the digits are worked on as machine-word limbs of eight
// decimal digits; results always come back as canonical texts.
#pragma once

#include "core/node_store.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rill {

// --- Limbs ----------------------------------------------------------------------------------

// One limb holds eight decimal digits: a digit in base 10^8. Eight digits are one 64-bit
// word of text, so reading and writing a limb takes no division beyond splitting it in two.
using Limb = std::uint32_t;
inline constexpr Limb kLimbBase = 100000000;
inline constexpr std::size_t kLimbDigits = 8;

// Below this many limbs in the smaller operand a product is computed the schoolbook way;
// above it the operands are split in halves (three half-size products instead of four).
inline constexpr std::size_t kKaratsubaThreshold = 40;
// Above this many limbs in the divisor (and in the quotient) a division is cut into halves.
inline constexpr std::size_t kDivideThreshold = 60;

// An unsigned number in limbs, least significant first, with no zero limb on top; zero has
// no limbs at all.
struct Magnitude {
    std::vector<Limb> limbs;
};

// A signed number; a zero magnitude is never negative.
struct Integer {
    bool negative = false;
    Magnitude magnitude;
};

bool isZero(const Magnitude& m);                                      // no limbs
Magnitude magnitudeFromDigits(std::string_view digits);               // decimal digits only
Magnitude magnitudeFromUInt64(std::uint64_t value);                   // the same number in limbs
void appendDigits(const Magnitude& m, std::string& text);             // its digits; zero adds "0"
std::uint64_t lowBitsOf(const Magnitude& m);                          // the number modulo 2^64
int compareMagnitudes(const Magnitude& a, const Magnitude& b);        // -1, 0 or 1
Magnitude addMagnitudes(const Magnitude& a, const Magnitude& b);      // a + b
Magnitude subtractMagnitudes(const Magnitude& a, const Magnitude& b); // a - b; a < b fails
Magnitude multiplyMagnitudes(const Magnitude& a, const Magnitude& b); // a times b
// Truncating division of a by a non-zero b (zero is an internal failure); either output may
// be null when it is not wanted.
void divideMagnitudes(const Magnitude& a, const Magnitude& b, Magnitude* quotient,
                      Magnitude* remainder);
Magnitude shiftLeftBits(Magnitude m, std::size_t bits);  // m times 2^bits
Magnitude shiftRightBits(Magnitude m, std::size_t bits); // m div 2^bits
std::size_t trailingZeroBits(const Magnitude& m);        // 0 for zero
std::size_t trailingOneBits(const Magnitude& m);         // 0 for an even number

// --- Signed integers ------------------------------------------------------------------------

Integer integerFromInt64(std::int64_t value);                 // the same number
Integer negated(Integer x);                                   // -x; zero stays zero
Integer addIntegers(const Integer& a, const Integer& b);      // a + b
Integer subtractIntegers(const Integer& a, const Integer& b); // a - b
Integer multiplyIntegers(const Integer& a, const Integer& b); // a times b
// The floor of a / b into quotient; false (and quotient untouched) when b is zero.
bool floorQuotient(const Integer& a, const Integer& b, Integer& quotient);
// The remainder in 0 .. |b| - 1: |a| mod |b| when the signs agree, else |b| minus it (or 0);
// false when b is zero. It pairs with the floor quotient only for a positive divisor.
bool nonNegativeRemainder(const Integer& a, const Integer& b, Integer& remainder);
bool isLess(const Integer& a, const Integer& b);  // a < b
bool isEqual(const Integer& a, const Integer& b); // a = b

// --- Texts ----------------------------------------------------------------------------------

// Reads a canonical decimal text: "0", digits without a leading zero, or "0" and those.
bool parseDecimalText(std::string_view text, Integer& out);
// Reads an `o` text ("00", then any digits) as the integer whose bit form it is with the
// kind bit cleared (see BitString below): "00" is 0, "00" + D is D, "000" is -1, "0002" is -5.
bool parseOText(std::string_view text, Integer& out);
std::string decimalText(const Integer& x); // canonical: "0", "42", "042"
std::string oText(const Integer& x);       // the `o` text of x, the inverse of parseOText
bool isAllDigits(std::string_view text);   // non-empty and every byte "0" to "9"

// --- BitString ------------------------------------------------------------------------------

// One unsigned binary number N, least significant byte first, with no zero byte on top. Its
// highest 1 bit is the marker and the bits below it, bit 0 first, are the sequence; N = 1 is
// the empty sequence. Numbers and `o` texts spell N as:
//
//   bit:   ... marker ...  2    1      0
//   i:     [ magnitude v    ][ sign ][ 1 ]    N = 4v + 3 (v >= 0), 4v + 1 (-v < 0)
//   o:     [    D    ][ 1 ][ 0 x j  ][ 0 ]    N = 2^(j+1) (2D + 1), text "00" + j "0" + D
//
// So odd N of 3 or more is a decimal integer, even N an `o` text: an `o` text is the bit form
// of the integer N + 1 with its kind bit cleared.
struct BitString {
    std::vector<std::uint8_t> bytes;
};

std::size_t bitLength(const BitString& s);                   // the marker's position; 0 for N <= 1
bool readBit(const BitString& s, std::size_t i);             // bits past the stored bytes are 0
void setBit(BitString& s, std::size_t i);                    // grows the string as needed
void appendSequence(BitString& head, const BitString& tail); // head's sequence, then tail's
BitString bitStringOfMagnitude(const Magnitude& n);          // N as bits
Magnitude magnitudeOfBitString(const BitString& s);          // N as limbs
// The BitString of an atom text: "K" is the empty sequence, digit texts as drawn above; false
// for any other text.
bool bitStringOfText(std::string_view text, BitString& out);
std::string textOfBitString(const BitString& s); // "K" for N <= 1, else the one text of N

// What a number value reads as: its integer, and whether it is of the `o` form.
struct NumberReading {
    Integer value;
    bool isOForm = false;
};

// Reads a value in normal form as a number: a decimal atom, an `o` text, the atom "K" (zero,
// the empty bit list) or a bit list (J b rest), b an atom beginning "K" (bit 1) or "H"
// (bit 0), rest a bit list, an atom beginning "K" or a digit atom. The list is walked
// iteratively. False for anything else.
bool readNumber(const NodeRef& value, NumberReading& out);

// --- Values ---------------------------------------------------------------------------------

// The low 64 bits of the magnitude of an integer value (bits 2 to 65 of its BitString); a
// value that is not an integer is an internal failure.
std::uint64_t toUInt64(const NodeRef& value);
// Number unfolding for a digit text other than "0": the first part ("K" for a text beginning
// "0", else "H") and the remainder atom: with M = N div 4 and t the trailing 1 bits of M, the
// text is t "0" characters and the digits of M div 2^(t+1) (none when that is 0).
std::pair<NodeRef, NodeRef> unfoldNumber(std::string_view digits);

NodeRef makeIntegerAtom(const Integer& x); // the canonical decimal atom
NodeRef makeOAtom(const Integer& x);       // the `o` atom

// --- Integer atoms --------------------------------------------------------------------------
//
// The built-ins meet integers as atoms. A short one (at most 18 digits) is read into a machine
// word straight from its node. A long one goes through limbs, and the limbs of the last few
// long results made by makeIntegerAtom(Integer&&) are kept beside their atoms, each entry
// holding a reference so that its node, and so its text, stays as it is: a running product
// or sum is then not read back from its digits at every step. An entry whose atom nothing
// else holds any more is dropped as soon as it is met.

inline constexpr std::size_t kShortDigits = 18;

// A canonical decimal atom of at most 18 digits, read into a machine word; false for any
// other node. The text length comes from the span, where digit atoms keep it.
inline bool readShortInteger(const Node* n, std::int64_t& out) {
    if (!isAtomNode(n))
        return false;
    const char* s = atomBytes(n);
    std::size_t length = spanOf(n);
    unsigned d = static_cast<unsigned char>(s[0]) - unsigned{'0'};
    if (d > 9 || length == 0)
        return false;
    bool negative = false;
    if (d == 0) {
        if (length == 1) {
            out = 0;
            return true;
        }
        negative = true; // "0" and a digit other than "0": minus that number
        ++s;
        --length;
        d = static_cast<unsigned char>(s[0]) - unsigned{'0'};
        if (d - 1 > 8) // "00..." is an `o` text
            return false;
    }
    if (length > kShortDigits)
        return false;
    std::int64_t v = d;
    for (std::size_t i = 1; i < length; ++i) {
        d = static_cast<unsigned char>(s[i]) - unsigned{'0'};
        if (d > 9)
            return false;
        v = v * 10 + d;
    }
    out = negative ? -v : v;
    return true;
}

NodeRef makeShortIntegerAtom(std::int64_t value); // the canonical decimal atom of any int64

// A canonical decimal atom as an integer, from its kept limbs when it has some (taking them
// over when the caller's handle is the only other reference); false for any other node.
bool readIntegerAtom(const NodeRef& atom, Integer& out);
// The canonical decimal atom of x; the limbs of a long x are kept beside it.
NodeRef makeIntegerAtom(Integer&& x);
// The product of a canonical decimal atom and a short factor, its digits written as the
// limbs are multiplied; an empty handle when the atom is no canonical decimal atom.
NodeRef multiplyAtomByShort(const NodeRef& atom, std::int64_t factor);
// x + value (or -x + value) for x a canonical decimal atom of more than 18 digits and |value|
// < 10^18, made on the digit text: the digits above the last carry or borrow are copied as
// they are. An empty handle when x is no such atom.
NodeRef addShortToLongAtom(const NodeRef& x, bool negateX, std::int64_t value);
// The order (-1, 0, 1) of two canonical decimal atoms by their texts; false when either is
// not one.
bool compareIntegerAtoms(const Node* a, const Node* b, int& order);
// Drops every kept limb form (for measurements and tests that need a cold start).
void forgetKeptLimbs();

} // namespace rill
