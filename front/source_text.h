// Program texts: reading a program file into one byte string and normalising its whitespace,
// so that a space or newline survives only between two characters that do not absorb it.
#pragma once

#include <optional>
#include <string>

namespace rill {

// A program text: a byte string with an explicit length that may hold NUL bytes. Every byte
// is one character; positions are 0-based byte offsets.
using CodeText = std::string;

// True for the two whitespace bytes, space and newline.
inline bool isWhitespace(unsigned char b) {
    return b == ' ' || b == '\n';
}

// True for the 22 bytes next to which whitespace is dropped: space, newline and
// "#%&'*+,-./:;<=>?@\^|".
bool absorbsSpace(unsigned char b);

// All bytes of the file at path, in order, with a script line blanked (blankScriptLine);
// nothing when the file cannot be opened, read to its end or closed (a directory opens but
// cannot be read).
std::optional<CodeText> readProgramFile(const std::string& path);

// A text whose first line begins with "#!" (a script's interpreter line) gets that line's
// bytes replaced by spaces, its newline kept, so that the line reads as blank and every
// position in the text stays the position in the file. Any other text is left as it is.
void blankScriptLine(CodeText& text);

// The text trimmed of leading and trailing whitespace, with every inner whitespace run
// outside square literals dropped or cut down to one newline or one space.
CodeText normaliseSpacing(const CodeText& text);

} // namespace rill
