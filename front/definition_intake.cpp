#include "front/definition_intake.h"

#include "core/assertion.h"

namespace rill {

namespace {

bool isLowerByte(unsigned char b) {
    return (b >= 'a' && b <= 'z') || b == '_';
}

bool isLowerText(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!isLowerByte(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// One byte that names a definition on its own: a capital letter or a control or high byte.
bool isSingleByteName(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 0x01 && b <= 0x1F) || b >= 0x7F;
}

} // namespace

DefinitionTable& definitionTable() {
    static DefinitionTable table;
    return table;
}

OnceNames& onceNames() {
    static OnceNames names;
    return names;
}

bool isDefinitionName(std::string_view name) {
    if (name.empty())
        return false;
    const auto first = static_cast<unsigned char>(name[0]);
    if (isLowerByte(first))
        return isLowerText(name);
    if (first == '[')
        return name.size() == 3 && name[2] == ']' &&
               kBracketedNameCharacters.find(name[1]) != std::string_view::npos;
    return name.size() == 1 && isSingleByteName(first);
}

std::string definitionKey(std::string_view name) {
    RILL_ASSERT(isDefinitionName(name));
    if (name[0] == '[')
        return std::string(1, name[1]);
    return std::string(name);
}

bool isDefinitionKey(std::string_view key) {
    if (key.empty())
        return false;
    if (isLowerText(key))
        return true;
    if (key.size() != 1)
        return false;
    const auto b = static_cast<unsigned char>(key[0]);
    return isSingleByteName(b) || kBracketedNameCharacters.find(key[0]) != std::string_view::npos;
}

} // namespace rill
