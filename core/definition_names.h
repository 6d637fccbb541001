// Definition names: which byte strings name a definition, and the key each valid name is filed
// under. The intake, the checks, loading and classification all read names by these rules.
#pragma once

#include <string>
#include <string_view>

namespace rill {

// "a".."z" or "_": the bytes of a lower word.
inline bool isLower(unsigned char b) {
    return (b >= 'a' && b <= 'z') || b == '_';
}
// True when s is not empty and every byte is "a".."z" or "_".
bool isLowerWord(std::string_view s);

// The 27 operator characters that a bracketed name «[c]» may hold.
inline constexpr std::string_view kBracketedNameCharacters = "{,}~!@#$%^&*<>-|+/=\\.`'\":;?";

// True for a valid definition name: a lower word, «[c]» with an operator character c, or one
// byte "A".."Z", 0x01..0x1F or 0x7F..0xFF.
bool isDefinitionName(std::string_view name);
// The key of a valid name: the name itself, or the middle byte of «[c]». An invalid name is an
// internal failure.
std::string definitionKey(std::string_view name);
// The key of a valid name as a view into the name, for readers that need no copy.
inline std::string_view definitionKeyView(std::string_view name) {
    return name[0] == '[' ? name.substr(1, 1) : name;
}
// True for a byte string that is a key some valid name gives.
bool isDefinitionKey(std::string_view key);
// True for a key of one letter "a".."z": a local variable, which no global definition may
// take.
inline bool isLetterKey(std::string_view key) {
    return key.size() == 1 && key[0] >= 'a' && key[0] <= 'z';
}

} // namespace rill
