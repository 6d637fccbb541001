// Suggestions for a name that nothing defines: the nearest known name by edit distance.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rill {

// The edit distance of a and b, counting an insertion, a deletion, a replacement and a swap of
// two neighbouring bytes as one edit each; any distance above limit is given as limit + 1.
std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit);

// The most edits a suggestion for a name of this length may be away: none for one byte, one
// up to four bytes, two from five on.
std::size_t suggestionLimit(std::size_t length);

// The names a suggestion is chosen from, grouped by length for a quick search.
class NameSuggester {
public:
    // Adds a candidate; only lower-case words of two bytes or more (names an undefined name
    // may have been meant as) are kept.
    void add(std::string_view name);
    // The candidate nearest to name within its limit (the fewest edits, then the first in
    // byte order), or "" when there is none. The comparisons of all calls together are
    // bounded, so that a program with a great many undefined names is still checked in
    // linear time: past the bound, the best candidate so far (or none) is given.
    std::string suggest(std::string_view name) const;

    // The most comparisons of names one suggester makes.
    static constexpr std::size_t kMostComparisons = 20'000'000;

private:
    std::vector<std::vector<std::string>> byLength_;
    mutable std::size_t comparisons_ = 0;
};

} // namespace rill
