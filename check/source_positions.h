// Places in a program file: byte offsets turned into lines and columns, the text of a line,
// and the offset in the file of every byte of the normalised text the parser reads.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace rill {

// A line and a column, both counted from 1, in bytes of the file as written.
struct LineColumn {
    std::size_t line;
    std::size_t column;
};

// The starts of the lines of a text, for turning offsets into lines and columns.
class LineMap {
public:
    explicit LineMap(std::string_view text);

    // The line and column of an offset; the offset just past the end is on the last line.
    LineColumn locate(std::size_t offset) const;
    // The bytes of a line (from 1) without its line end.
    std::string_view lineText(std::size_t line) const;
    // How many lines the text has (an empty text, and a text ending in a line end, count a
    // last empty line).
    std::size_t lineCount() const { return starts_.size(); }

private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

// For each byte of normalised, the offset in raw of the byte it was copied from (a whitespace
// run cut down to one byte maps to the first byte of the run that is the same). normalised
// must be what whitespace normalisation makes of raw.
std::vector<std::size_t> normalisedOrigins(std::string_view raw, std::string_view normalised);

} // namespace rill
