#include "check/suggestions.h"

#include <gtest/gtest.h>

namespace rill {
namespace {

TEST(EditDistance, CountsInsertionsDeletionsReplacementsAndSwaps) {
    EXPECT_EQ(editDistance("rank", "rank", 3), 0u);
    EXPECT_EQ(editDistance("rnak", "rank", 3), 1u); // two neighbours swapped
    EXPECT_EQ(editDistance("getchr", "getchar", 3), 1u);
    EXPECT_EQ(editDistance("getchar", "getchr", 3), 1u);
    EXPECT_EQ(editDistance("fact", "fast", 3), 1u);
    EXPECT_EQ(editDistance("", "abc", 3), 3u);
    EXPECT_EQ(editDistance("kitten", "sitting", 5), 3u);
}

TEST(EditDistance, StopsPastTheLimit) {
    EXPECT_EQ(editDistance("abcdef", "uvwxyz", 2), 3u);
    EXPECT_EQ(editDistance("a", "abcdefgh", 2), 3u);
}

TEST(NameSuggester, SuggestsTheNearestNameWithinTheLimitOfTheLength) {
    NameSuggester names;
    for (const char* name : {"rank", "rght", "fact", "factor", "value", "getchar"})
        names.add(name);
    EXPECT_EQ(names.suggest("rnak"), "rank");
    EXPECT_EQ(names.suggest("valeu"), "value");
    EXPECT_EQ(names.suggest("facotr"), "factor");
    EXPECT_EQ(names.suggest("getchr"), "getchar");
    // Two edits are too many for a short name, and nothing is near "quux".
    EXPECT_EQ(names.suggest("rakk"), "rank");
    EXPECT_EQ(names.suggest("rxxk"), "");
    EXPECT_EQ(names.suggest("quux"), "");
}

TEST(NameSuggester, NeverSuggestsForOneLetterOrTheNameItself) {
    NameSuggester names;
    names.add("xs");
    names.add("x");
    EXPECT_EQ(names.suggest("x"), "");
    EXPECT_EQ(names.suggest("xs"), "");
}

TEST(NameSuggester, BreaksTiesByByteOrderAndKeepsOnlyWords) {
    NameSuggester names;
    names.add("less");
    names.add("lest");
    names.add("K");
    names.add("[+]");
    EXPECT_EQ(names.suggest("lesz"), "less");
    EXPECT_EQ(names.suggest("Ka"), "");
}

} // namespace
} // namespace rill
