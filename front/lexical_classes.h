// Lexical classes: the byte classes the parser splits on, bracket matching, the split points
// of a text at operator characters outside brackets, the pieces between them, and the
// cutting of a stretch of juxtaposed terms into terms and atoms.
#pragma once

#include "core/assertion.h"
#include "core/definition_names.h"
#include "core/node_store.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace rill {

// A set of bytes, such as the operator characters of one precedence level.
class CharSet {
public:
    constexpr explicit CharSet(std::string_view bytes) {
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            bits_[b >> 6] |= std::uint64_t{1} << (b & 63);
        }
    }
    // True when b is one of the set's bytes.
    constexpr bool contains(unsigned char b) const {
        return ((bits_[b >> 6] >> (b & 63)) & 1) != 0;
    }

private:
    std::uint64_t bits_[4] = {};
};

// The 33 bytes that never start a term: printable ASCII other than letters, digits and "_",
// plus space and newline.
inline constexpr CharSet kPunctuation{"~!@#$%^&*<>-|+/=\\.`'\":;?(){},[] \n"};
// The five characters that are prefix operators before a term and postfix ones after it.
inline constexpr CharSet kPrefixOperators{"~!\"$`"};

// "No such position", the answer of a search that finds nothing.
inline constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

// isLower and isLowerWord, the lower bytes and words that names are made of, are those of
// core/definition_names.h.
inline bool isDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}
inline bool isUpper(unsigned char b) {
    return b >= 'A' && b <= 'Z';
}
inline bool isOpeningBracket(unsigned char b) {
    return b == '(' || b == '[' || b == '{';
}
inline bool isClosingBracket(unsigned char b) {
    return b == ')' || b == ']' || b == '}';
}
inline bool isBracket(unsigned char b) {
    return isOpeningBracket(b) || isClosingBracket(b);
}
inline bool isPunctuation(unsigned char b) {
    return kPunctuation.contains(b);
}
inline bool isPrefixOperator(unsigned char b) {
    return kPrefixOperators.contains(b);
}
// Control bytes other than newline, and 0x7F..0xFF: each is a term of its own.
inline bool isOtherByte(unsigned char b) {
    return (b < 0x20 && b != '\n') || b >= 0x7F;
}

// "parenthesis" for round, "bracket" for square, "wing" for curly brackets; any other byte is
// an internal failure.
std::string_view bracketKindWord(unsigned char b);

// The partner of the bracket at i (i itself for any other byte): forward from an opening
// bracket, backward from a closing one. Square brackets count only square brackets; round and
// curly ones count each other and jump over square literals. Running off the text, or i past
// its end, is an internal failure.
std::size_t matchBracket(std::string_view text, std::size_t i);

// The positions of the set's bytes that stand outside every bracket group, in order; an
// opening bracket in the set is itself recorded.
std::vector<std::size_t> splitPoints(std::string_view text, const CharSet& set);

// The first position at or after start that holds a byte of the set at bracket depth 0
// (square literals opaque), or kNoPosition.
std::size_t findTopLevel(std::size_t start, std::string_view text, const CharSet& set);

// The pieces of a text around its split points (each a view into the text):
// the part before the first point, or the whole text when there is none;
std::string_view partBeforeFirst(std::string_view text, const std::vector<std::size_t>& points);
// the part before point k: from after point k - 1 (after its partner when it opens a group);
std::string_view partBefore(std::string_view text, const std::vector<std::size_t>& points,
                            std::size_t k);
// the part after point k, up to the next point or the end;
std::string_view partAfter(std::string_view text, const std::vector<std::size_t>& points,
                           std::size_t k);
// the part after the group the last point opens, up to the end.
std::string_view partAfterLastGroup(std::string_view text, const std::vector<std::size_t>& points);

// The start of every term of a non-empty stretch of juxtaposed terms, in order; a term runs to
// the next start or the end.
std::vector<std::size_t> cutTerms(std::string_view stretch);

// True unless the term starts with something other than a digit, a lower byte, "[" or "(" and
// is longer than one byte: such a term has no meaning.
bool isReadableTerm(std::string_view term);
// The atom of a readable term that is not parenthesised: the whole digit run, word or square
// literal, or the single byte, a NUL byte giving the newline atom.
NodeRef termAtom(std::string_view term);

// --- Scans over a range of a text whose bracket partners are known ----------------------------

// The partner of every bracket a scan outside square literals can meet, found in one pass, so
// that a group is skipped in constant time however deep it nests. An unbalanced text is an
// internal failure.
struct BracketPartners {
    std::vector<std::size_t> partner; // indexed by position; other entries are kNoPosition
    std::vector<std::size_t> open;    // scratch: the groups open while pairing
};
BracketPartners pairBrackets(std::string_view text);
// pairBrackets into partners, whose space is reused.
void pairBracketsInto(std::string_view text, BracketPartners& partners);
// The partner of the bracket at i (i itself for any other byte).
inline std::size_t partnerOf(const BracketPartners& partners, std::size_t i) {
    RILL_ASSERT(i < partners.partner.size());
    const std::size_t p = partners.partner[i];
    return p == kNoPosition ? i : p;
}

// splitPoints over text[begin, end), positions absolute, written to points.
void splitPointsIn(std::string_view text, const BracketPartners& partners, std::size_t begin,
                   std::size_t end, const CharSet& set, std::vector<std::size_t>& points);
// findTopLevel over text[start, end).
std::size_t findTopLevelIn(std::string_view text, const BracketPartners& partners,
                           std::size_t start, std::size_t end, const CharSet& set);
// cutTerms over the non-empty text[begin, end), positions absolute, written to starts.
void cutTermsIn(std::string_view text, const BracketPartners& partners, std::size_t begin,
                std::size_t end, std::vector<std::size_t>& starts);

} // namespace rill
