#include "check/source_positions.h"
#include "front/source_text.h"

#include <string>

#include <gtest/gtest.h>

namespace rill {
namespace {

TEST(LineMap, OffsetsCountLinesAndColumnsFromOne) {
    const LineMap lines("ab\ncd\n\nef");
    EXPECT_EQ(lines.locate(0).line, 1u);
    EXPECT_EQ(lines.locate(0).column, 1u);
    EXPECT_EQ(lines.locate(1).column, 2u);
    // The line end belongs to its line, as its last column.
    EXPECT_EQ(lines.locate(2).line, 1u);
    EXPECT_EQ(lines.locate(2).column, 3u);
    EXPECT_EQ(lines.locate(3).line, 2u);
    EXPECT_EQ(lines.locate(3).column, 1u);
    EXPECT_EQ(lines.locate(6).line, 3u); // the empty line
    EXPECT_EQ(lines.locate(8).line, 4u);
    EXPECT_EQ(lines.locate(8).column, 2u);
}

TEST(LineMap, TheOffsetPastTheEndIsOnTheLastLine) {
    const LineMap lines("ab\n");
    EXPECT_EQ(lines.lineCount(), 2u);
    EXPECT_EQ(lines.locate(3).line, 2u);
    EXPECT_EQ(lines.locate(3).column, 1u);
    EXPECT_EQ(lines.locate(99).line, 2u);
}

TEST(LineMap, ColumnsCountBytesNotCharacters) {
    // Two bytes of a UTF-8 letter, a tab and a carriage return are a column each.
    const LineMap lines("\xC3\xA9\t\rx");
    EXPECT_EQ(lines.locate(4).column, 5u);
}

TEST(LineMap, LineTextLeavesOutTheLineEnd) {
    const LineMap lines("first\r\nsecond\n");
    EXPECT_EQ(lines.lineText(1), "first\r");
    EXPECT_EQ(lines.lineText(2), "second");
    EXPECT_EQ(lines.lineText(3), "");
}

TEST(NormalisedOrigins, EveryKeptByteMapsBackToItselfInTheFile) {
    const std::string raw = "  K( x ,\n\n  y )  [a  b]  z\n  w ";
    const std::string text = normaliseSpacing(raw);
    const std::vector<std::size_t> origins = normalisedOrigins(raw, text);
    ASSERT_EQ(origins.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        EXPECT_EQ(raw[origins[i]], text[i]) << i;
        if (i > 0) {
            EXPECT_LT(origins[i - 1], origins[i]);
        }
    }
    // The spaces inside the string are its own, one for one.
    const std::size_t literal = text.find("[a  b]");
    EXPECT_EQ(origins[literal + 2], raw.find("[a  b]") + 2);
    EXPECT_EQ(origins[literal + 3], raw.find("[a  b]") + 3);
}

TEST(NormalisedOrigins, ACollapsedRunMapsToTheFirstByteOfItsKind) {
    // "z\n  w": the run becomes one line end, the one in the file.
    const std::string raw = "z \n  w";
    const std::string text = normaliseSpacing(raw);
    ASSERT_EQ(text, "z\nw");
    EXPECT_EQ(normalisedOrigins(raw, text)[1], 2u);
}

} // namespace
} // namespace rill
