#include "front/source_text.h"

#include "core/assertion.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string_view>

namespace rill {

namespace {

// The largest chunk one read asks for.
constexpr std::size_t kReadChunk = 4095;

// True when a whitespace run between before and after vanishes: an absorbing neighbour, or
// an opening bracket before it, or a closing bracket after it ("{" and "}" both ways).
bool dropsRun(unsigned char before, unsigned char after) {
    if (absorbsSpace(before) || absorbsSpace(after))
        return true;
    if (before == '{' || before == '(' || before == '}')
        return true;
    return after == '}' || after == ')' || after == '{';
}

} // namespace

bool absorbsSpace(unsigned char b) {
    static constexpr std::string_view kAbsorbing = "\n #%&'*+,-./:;<=>?@\\^|";
    return kAbsorbing.find(static_cast<char>(b)) != std::string_view::npos;
}

std::optional<CodeText> readProgramFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    CodeText text;
    char buffer[kReadChunk];
    for (;;) {
        const std::size_t count = std::fread(buffer, 1, kReadChunk, file);
        RILL_ASSERT(count <= kReadChunk);
        if (count == 0)
            break;
        text.append(buffer, count);
    }
    // A directory opens, and then every read fails; so may a file on a failing device.
    const bool failed = std::ferror(file) != 0;
    const bool closed = std::fclose(file) == 0;
    if (failed || !closed)
        return std::nullopt;
    blankScriptLine(text);
    return text;
}

void blankScriptLine(CodeText& text) {
    if (!text.starts_with("#!"))
        return;
    const std::size_t lineEnd = std::min(text.find('\n'), text.size());
    text.replace(0, lineEnd, lineEnd, ' ');
}

CodeText normaliseSpacing(const CodeText& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isWhitespace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && isWhitespace(static_cast<unsigned char>(text[end - 1])))
        --end;
    CodeText out;
    out.reserve(end - begin);
    std::size_t i = begin;
    while (i < end) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '[') {
            // A square literal is copied as it stands, up to the byte that closes it (or to
            // the end of the text when nothing does).
            std::size_t depth = 0;
            do {
                const char c = text[i++];
                out.push_back(c);
                if (c == '[')
                    ++depth;
                else if (c == ']')
                    --depth;
            } while (depth != 0 && i < end);
            continue;
        }
        if (!isWhitespace(b)) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        // A whitespace run: trimming leaves a non-whitespace byte on both sides of it.
        bool hasNewline = false;
        const std::size_t runStart = i;
        while (i < end && isWhitespace(static_cast<unsigned char>(text[i]))) {
            hasNewline = hasNewline || text[i] == '\n';
            ++i;
        }
        const auto before = static_cast<unsigned char>(text[runStart - 1]);
        const auto after = static_cast<unsigned char>(text[i]);
        if (!dropsRun(before, after))
            out.push_back(hasNewline ? '\n' : ' ');
    }
    return out;
}

} // namespace rill
