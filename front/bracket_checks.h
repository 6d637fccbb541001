// The checks a raw program text passes before it is normalised and parsed: every bracket is
// closed by one of its own kind, and a comma inside round brackets stands only in a call list.
#pragma once

#include "front/source_text.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace rill {

// The outcome of the checks: on failure, the offset in the raw text the report is about and
// the full report string: the five-letter type word, "[", the position code, "]", the message.
struct BracketCheck {
    bool ok = true;
    std::size_t position = 0;
    std::string report;
};

// A position in five base-64 digits, most significant first; 2^30 and every position above it
// (a program longer than 2^30 bytes) give "!!!!!"; a negative value is an internal failure.
std::string positionCode(std::int64_t position);

// Pass 1 matches brackets forward; pass 2, only on balanced texts, finds commas in round groups
// that are not call lists, walking backward.
BracketCheck checkBrackets(const CodeText& raw);

} // namespace rill
