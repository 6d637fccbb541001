#include "front/lexical_classes.h"

#include "core/assertion.h"

namespace rill {

namespace {

// Counts a bracket met by a scan in its direction: one that opens a group in that direction
// goes one deeper, one that closes a group comes back up. True when the scan is back at the
// depth it started from, at the partner it looks for.
bool countBracket(bool opens, bool forward, std::size_t& depth) {
    if (opens == forward) {
        ++depth;
    } else {
        RILL_ASSERT(depth > 0);
        --depth;
    }
    return depth == 0;
}

// The next position of a scan in its direction; running off the text is an internal failure.
std::size_t nextPosition(std::string_view text, std::size_t j, bool forward) {
    if (forward) {
        RILL_ASSERT(j + 1 < text.size());
        return j + 1;
    }
    RILL_ASSERT(j > 0);
    return j - 1;
}

// The partner of the square bracket at i, counting only square brackets.
std::size_t matchSquare(std::string_view text, std::size_t i) {
    const bool forward = text[i] == '[';
    std::size_t depth = 0;
    for (std::size_t j = i;; j = nextPosition(text, j, forward)) {
        const char c = text[j];
        if ((c == '[' || c == ']') && countBracket(c == '[', forward, depth))
            return j;
    }
}

// The partner of the round or curly bracket at i; square literals on the way are jumped.
std::size_t matchRoundOrCurly(std::string_view text, std::size_t i) {
    const bool forward = text[i] == '(' || text[i] == '{';
    std::size_t depth = 0;
    for (std::size_t j = i;; j = nextPosition(text, j, forward)) {
        const auto c = static_cast<unsigned char>(text[j]);
        if (c == '[' || c == ']') {
            const std::size_t k = matchSquare(text, j);
            RILL_ASSERT(forward ? k > j : k < j); // a literal met from its wrong side
            j = k;
        } else if (isBracket(c) && countBracket(isOpeningBracket(c), forward, depth)) {
            return j;
        }
    }
}

// Records the set's bytes in text[begin, end), continuing after the partner of each byte.
template <class Partner>
void collectSplitPoints(std::string_view text, std::size_t begin, std::size_t end,
                        const CharSet& set, Partner partner, std::vector<std::size_t>& points) {
    points.clear();
    for (std::size_t i = begin; i < end;) {
        if (set.contains(static_cast<unsigned char>(text[i])))
            points.push_back(i);
        const std::size_t next = partner(i);
        RILL_ASSERT(next >= i && next < end); // a group closed outside the range
        i = next + 1;
    }
}

// True when a new term starts at i, given the byte before it: a bracket group is a term of
// its own, a run of lower bytes or of digits is one term, and any other byte that is not
// punctuation is a term by itself (so «Kx» is two terms and «x2» two as well).
bool startsTerm(unsigned char c, unsigned char prev) {
    if (prev == ')' || prev == ']' || c == '(' || c == '[')
        return true;
    if (isLower(c))
        return !isLower(prev);
    if (isDigit(c))
        return !isDigit(prev);
    return !isPunctuation(c);
}

// Records where the terms of text[begin, end) start; groups are jumped as wholes.
template <class Partner>
void collectTermStarts(std::string_view text, std::size_t begin, std::size_t end, Partner partner,
                       std::vector<std::size_t>& starts) {
    RILL_ASSERT(begin < end);
    starts.clear();
    starts.push_back(begin);
    const auto first = static_cast<unsigned char>(text[begin]);
    std::size_t i = begin + 1;
    if (first == '(' || first == '[')
        i = partner(begin) + 1;
    RILL_ASSERT(i <= end);
    while (i < end) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (startsTerm(c, static_cast<unsigned char>(text[i - 1])))
            starts.push_back(i);
        if (c == '(' || c == '[') {
            i = partner(i);
            RILL_ASSERT(i < end);
        }
        ++i;
    }
}

} // namespace

std::string_view bracketKindWord(unsigned char b) {
    switch (b) {
    case '(':
    case ')': return "parenthesis";
    case '[':
    case ']': return "bracket";
    case '{':
    case '}': return "wing";
    default: break;
    }
    RILL_ASSERT(false && "not a bracket");
    return {};
}

std::size_t matchBracket(std::string_view text, std::size_t i) {
    RILL_ASSERT(i < text.size());
    const auto c = static_cast<unsigned char>(text[i]);
    if (!isBracket(c))
        return i;
    if (c == '[' || c == ']')
        return matchSquare(text, i);
    return matchRoundOrCurly(text, i);
}

std::vector<std::size_t> splitPoints(std::string_view text, const CharSet& set) {
    std::vector<std::size_t> points;
    collectSplitPoints(
        text, 0, text.size(), set,
        [text](std::size_t i) {
            return isBracket(static_cast<unsigned char>(text[i])) ? matchBracket(text, i) : i;
        },
        points);
    return points;
}

std::size_t findTopLevel(std::size_t start, std::string_view text, const CharSet& set) {
    // Round and curly brackets count depth together; a square literal is jumped whole, since
    // its bytes are data.
    long depth = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (depth == 0 && set.contains(c))
            return i;
        if (c == '[' || c == ']') {
            const std::size_t k = matchBracket(text, i);
            RILL_ASSERT(k > i); // a literal met from its wrong side
            i = k;
        } else if (c == '(' || c == '{') {
            ++depth;
        } else if (c == ')' || c == '}') {
            --depth;
        }
    }
    return kNoPosition;
}

std::string_view partBeforeFirst(std::string_view text, const std::vector<std::size_t>& points) {
    return points.empty() ? text : text.substr(0, points.front());
}

std::string_view partBefore(std::string_view text, const std::vector<std::size_t>& points,
                            std::size_t k) {
    RILL_ASSERT(k < points.size());
    // A split point that opens a group (a "{" of a brace list) ends its part at its partner.
    std::size_t from = 0;
    if (k > 0) {
        const std::size_t previous = points[k - 1];
        from = isOpeningBracket(static_cast<unsigned char>(text[previous]))
                   ? matchBracket(text, previous) + 1
                   : previous + 1;
    }
    RILL_ASSERT(from <= points[k]);
    return text.substr(from, points[k] - from);
}

std::string_view partAfter(std::string_view text, const std::vector<std::size_t>& points,
                           std::size_t k) {
    RILL_ASSERT(k < points.size());
    const std::size_t from = points[k] + 1;
    const std::size_t to = k + 1 < points.size() ? points[k + 1] : text.size();
    return text.substr(from, to - from);
}

std::string_view partAfterLastGroup(std::string_view text, const std::vector<std::size_t>& points) {
    RILL_ASSERT(!points.empty());
    const std::size_t last = points.back();
    RILL_ASSERT(isOpeningBracket(static_cast<unsigned char>(text[last])));
    return text.substr(matchBracket(text, last) + 1);
}

std::vector<std::size_t> cutTerms(std::string_view stretch) {
    std::vector<std::size_t> starts;
    collectTermStarts(
        stretch, 0, stretch.size(), [stretch](std::size_t i) { return matchBracket(stretch, i); },
        starts);
    return starts;
}

bool isReadableTerm(std::string_view term) {
    RILL_ASSERT(!term.empty());
    // Words, numbers, literals and groups may be long; a capital, an operator or another byte
    // stands alone.
    const auto first = static_cast<unsigned char>(term[0]);
    if (isDigit(first) || isLower(first) || first == '[' || first == '(')
        return true;
    return term.size() == 1;
}

NodeRef termAtom(std::string_view term) {
    RILL_ASSERT(isReadableTerm(term) && term[0] != '(');
    // A lone NUL byte gives the newline atom (a one-byte name atom's text ends at its NUL).
    if (term.size() == 1 && term[0] == '\0')
        return makeAtom("\n");
    return makeAtom(term);
}

BracketPartners pairBrackets(std::string_view text) {
    BracketPartners partners;
    pairBracketsInto(text, partners);
    return partners;
}

void pairBracketsInto(std::string_view text, BracketPartners& partners) {
    // One pass: a square literal is paired by its own count and jumped; round and curly
    // brackets pair through the stack of the groups still open.
    partners.partner.assign(text.size(), kNoPosition);
    std::vector<std::size_t>& open = partners.open;
    open.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '[') {
            const std::size_t j = matchSquare(text, i);
            partners.partner[i] = j;
            partners.partner[j] = i;
            i = j;
        } else if (c == '(' || c == '{') {
            open.push_back(i);
        } else if (c == ')' || c == '}') {
            RILL_ASSERT(!open.empty());
            partners.partner[open.back()] = i;
            partners.partner[i] = open.back();
            open.pop_back();
        } else {
            RILL_ASSERT(c != ']');
        }
    }
    RILL_ASSERT(open.empty());
}

void splitPointsIn(std::string_view text, const BracketPartners& partners, std::size_t begin,
                   std::size_t end, const CharSet& set, std::vector<std::size_t>& points) {
    collectSplitPoints(
        text, begin, end, set, [&partners](std::size_t i) { return partnerOf(partners, i); },
        points);
}

std::size_t findTopLevelIn(std::string_view text, const BracketPartners& partners,
                           std::size_t start, std::size_t end, const CharSet& set) {
    for (std::size_t i = start; i < end; ++i) {
        if (set.contains(static_cast<unsigned char>(text[i])))
            return i;
        const std::size_t next = partnerOf(partners, i);
        RILL_ASSERT(next >= i && next < end); // a group closed outside the range
        i = next;
    }
    return kNoPosition;
}

void cutTermsIn(std::string_view text, const BracketPartners& partners, std::size_t begin,
                std::size_t end, std::vector<std::size_t>& starts) {
    collectTermStarts(
        text, begin, end, [&partners](std::size_t i) { return partnerOf(partners, i); }, starts);
}

} // namespace rill
