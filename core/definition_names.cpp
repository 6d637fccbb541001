#include "core/definition_names.h"

#include "core/assertion.h"

namespace rill {

namespace {

// One byte that names a definition on its own: a capital letter or a control or high byte.
bool isSingleByteName(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 0x01 && b <= 0x1F) || b >= 0x7F;
}

} // namespace

bool isLowerWord(std::string_view s) {
    if (s.empty())
        return false;
    for (const char c : s)
        if (!isLower(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool isDefinitionName(std::string_view name) {
    if (name.empty())
        return false;
    const auto first = static_cast<unsigned char>(name[0]);
    if (isLower(first))
        return isLowerWord(name);
    if (first == '[')
        return name.size() == 3 && name[2] == ']' &&
               kBracketedNameCharacters.find(name[1]) != std::string_view::npos;
    return name.size() == 1 && isSingleByteName(first);
}

std::string definitionKey(std::string_view name) {
    RILL_ASSERT(isDefinitionName(name));
    return std::string(definitionKeyView(name));
}

bool isDefinitionKey(std::string_view key) {
    if (key.empty())
        return false;
    if (isLowerWord(key))
        return true;
    if (key.size() != 1)
        return false;
    const auto b = static_cast<unsigned char>(key[0]);
    return isSingleByteName(b) || kBracketedNameCharacters.find(key[0]) != std::string_view::npos;
}

} // namespace rill
