#include "check/suggestions.h"

#include "front/lexical_classes.h"

#include <algorithm>

namespace rill {

std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit) {
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    if ((n > m ? n - m : m - n) > limit)
        return limit + 1;
    // Three rows of the table: two rows back (for swaps), the last and the one being made;
    // on the machine stack for the usual short names.
    constexpr std::size_t kShort = 64;
    std::size_t small[3][kShort + 1];
    std::vector<std::size_t> large;
    std::size_t* rows[3] = {small[0], small[1], small[2]};
    if (m > kShort) {
        large.resize(3 * (m + 1));
        for (std::size_t r = 0; r < 3; ++r)
            rows[r] = large.data() + r * (m + 1);
    }
    std::size_t* before = rows[0];
    std::size_t* last = rows[1];
    std::size_t* row = rows[2];
    for (std::size_t j = 0; j <= m; ++j)
        last[j] = j;
    for (std::size_t i = 1; i <= n; ++i) {
        row[0] = i;
        std::size_t smallest = row[0];
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            std::size_t d = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d = std::min(d, before[j - 2] + 1);
            row[j] = d;
            smallest = std::min(smallest, d);
        }
        // No later row holds a smaller entry than this row's smallest: past the limit, stop.
        if (smallest > limit)
            return limit + 1;
        std::size_t* oldest = before;
        before = last;
        last = row;
        row = oldest;
    }
    return std::min(last[m], limit + 1);
}

std::size_t suggestionLimit(std::size_t length) {
    if (length <= 1)
        return 0;
    return length <= 4 ? 1 : 2;
}

void NameSuggester::add(std::string_view name) {
    if (name.size() < 2 || !isLowerWord(name))
        return;
    if (byLength_.size() <= name.size())
        byLength_.resize(name.size() + 1);
    byLength_[name.size()].emplace_back(name);
}

std::string NameSuggester::suggest(std::string_view name) const {
    const std::size_t limit = suggestionLimit(name.size());
    if (limit == 0)
        return std::string();
    std::string best;
    std::size_t bestDistance = limit + 1;
    // Only candidates whose length differs by at most the limit can be near enough.
    const std::size_t shortest = name.size() > limit ? name.size() - limit : 0;
    for (std::size_t length = shortest; length <= name.size() + limit; ++length) {
        if (length >= byLength_.size())
            break;
        for (const std::string& candidate : byLength_[length]) {
            if (comparisons_ >= kMostComparisons)
                return bestDistance <= limit ? best : std::string();
            ++comparisons_;
            if (candidate == name)
                continue;
            const std::size_t d = editDistance(name, candidate, limit);
            // The fewest edits win; among equals, the first in byte order.
            if (d < bestDistance || (d == bestDistance && d <= limit && candidate < best)) {
                bestDistance = d;
                best = candidate;
            }
        }
    }
    return bestDistance <= limit ? best : std::string();
}

} // namespace rill
