#include "check/source_positions.h"

#include "core/assertion.h"

#include <algorithm>

namespace rill {

LineMap::LineMap(std::string_view text) : text_(text) {
    starts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts_.push_back(i + 1);
}

LineColumn LineMap::locate(std::size_t offset) const {
    offset = std::min(offset, text_.size());
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
    const auto line = static_cast<std::size_t>(after - starts_.begin());
    return {line, offset - starts_[line - 1] + 1};
}

std::string_view LineMap::lineText(std::size_t line) const {
    RILL_ASSERT(line >= 1 && line <= starts_.size());
    const std::size_t begin = starts_[line - 1];
    const std::size_t end = line < starts_.size() ? starts_[line] - 1 : text_.size();
    return text_.substr(begin, end - begin);
}

std::vector<std::size_t> normalisedOrigins(std::string_view raw, std::string_view normalised) {
    // Normalisation keeps every byte but whitespace, in order, and keeps at most one byte of
    // each whitespace run outside square literals (inside them, all): so each byte of the
    // normalised text is the next byte of the raw text equal to it, whitespace in between
    // being dropped.
    std::vector<std::size_t> origins;
    origins.reserve(normalised.size());
    std::size_t i = 0;
    for (const char c : normalised) {
        while (i < raw.size() && raw[i] != c) {
            RILL_ASSERT(raw[i] == ' ' || raw[i] == '\n');
            ++i;
        }
        RILL_ASSERT(i < raw.size());
        origins.push_back(i++);
    }
    return origins;
}

} // namespace rill
