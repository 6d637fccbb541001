// The expression parser: a normalised program text becomes a tree of applications and atoms
// through twelve precedence levels, each splitting at its own operator characters outside
// brackets and folding the pieces that the next tighter level makes of them.
//
// Tree shapes: an infix operator c between L and R is ((c L) R) with c a one-byte atom;
// space and newline are plain application (L R); «a\b» is ((\ a) b); «L{e1,e2}R» is
// ((({ L) ((, e1) e2)) R); a call «g(a,b)» is ((g a) b); an empty piece is the atom "}".
#pragma once

#include "core/node_store.h"
#include "front/source_text.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rill {

// The twelve precedence levels, loosest first. Levels 1 to 8 split at their characters and
// fold the pieces, from the right or from the left; the others take prefix characters off or
// cut the terms.
inline constexpr int kBinderLevel = 1;         // ";", backslash, "{" (with its brace list); right
inline constexpr int kLineLevel = 2;           // "?", newline (plain application); left
inline constexpr int kLogicLevel = 3;          // "&", "|"; right
inline constexpr int kComparisonLevel = 4;     // "=", "<", ">", "#"; right
inline constexpr int kApplicationLevel = 5;    // "@", space (plain application); left
inline constexpr int kSumLevel = 6;            // "+", "-", ":", "."; left
inline constexpr int kProductLevel = 7;        // "*", "/", "%", "'"; left
inline constexpr int kPowerLevel = 8;          // "^"; right
inline constexpr int kPostfixLevel = 9;        // a prefix character after the text: postfix
inline constexpr int kLeadingPrefixLevel = 10; // a prefix character before the text
inline constexpr int kPrefixRunLevel = 11;     // runs of prefix characters among the terms
inline constexpr int kTermLevel = 12;          // juxtaposed terms and call lists; left

// The loosest and the tightest level, and the last of the folding levels.
inline constexpr int kLoosestLevel = kBinderLevel;
inline constexpr int kTightestLevel = kTermLevel;
inline constexpr int kLastFoldingLevel = kPowerLevel;

// The tree of a text, or the first term that has no meaning (badTerm, empty on success). A
// term that starts with an upper letter or an other byte must be one byte long; when it is
// not, badTerm holds it and the tree has a "}" atom in its place.
struct ParseOutcome {
    NodeRef tree;
    std::string badTerm;
    std::size_t badTermAt = 0; // the bad term's offset in the text
};

// Where an atom of a parse stands in its text: a term's atom at the term's first byte, an
// operator's, prefix's or brace's atom at its character, the "}" of an empty piece where the
// piece is.
struct AtomOrigin {
    const Node* atom;
    std::size_t offset;
};

// Parses a normalised text from the loosest level.
ParseOutcome parseProgramExpression(const CodeText& text);
// Parses a normalised text from the given level (1..12); the text must be balanced.
ParseOutcome parseFromLevel(int level, std::string_view text);
// Parses a normalised text from the loosest level, each atom a node of its own, and records
// the origin of every atom but the "}" standing for a bad term.
ParseOutcome parseWithOrigins(std::string_view text, std::vector<AtomOrigin>& origins);
// Parses a normalised text that holds no bad term (a bad term is an internal failure).
NodeRef parseExpression(const CodeText& text);

// The atoms of the texts it was asked for, one node per text, each held until clear.
class AtomCache {
public:
    AtomCache() = default;
    AtomCache(const AtomCache&) = delete;
    AtomCache& operator=(const AtomCache&) = delete;
    ~AtomCache() { clear(); }

    // The atom with the text: the one made for it before, or a new one.
    NodeRef atomOf(std::string_view text);
    // Lets go of every atom.
    void clear();

private:
    static std::uint64_t hashOf(std::string_view text);
    void grow();

    std::vector<Node*> slots_;
    std::size_t count_ = 0;
};

// Parses normalised texts from the loosest level, one after another, keeping its working
// space from one to the next. With an atom cache, all the atoms it makes come from it, so
// that equal atoms of all the texts are one node.
class ExpressionParser {
public:
    explicit ExpressionParser(AtomCache* atoms = nullptr);
    ExpressionParser(const ExpressionParser&) = delete;
    ExpressionParser& operator=(const ExpressionParser&) = delete;
    ~ExpressionParser();

    // The same outcome as parseProgramExpression.
    ParseOutcome parse(std::string_view text);

private:
    struct Parse;
    std::unique_ptr<Parse> parse_;
};

// The message of the "Parse" report for a term that has no meaning.
std::string badTermMessage(std::string_view term);

} // namespace rill
