// The display of report text on a terminal: every byte is shown as one printable character,
// the bytes outside printable ASCII in red or green by their class, and the way back from a
// shown character to its byte.
#pragma once

#include <string>
#include <string_view>

namespace rill {

// The text with terminal colour codes, one shown character per byte.
std::string display(std::string_view text);
// The byte that display shows in the colour class (1 red, 2 green, 3 plain) as `shown`; a
// character that display never shows in that class writes the fatal line.
unsigned char decodeShown(int colourClass, unsigned char shown);

} // namespace rill
