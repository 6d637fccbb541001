#include "builtins/data_builtins.h"

#include "core/assertion.h"
#include "core/error_report.h"

#include <array>
#include <cmath>

namespace rill {

namespace {

constexpr unsigned kLargestCode = 676;
constexpr unsigned kFirstCharacterCode = 145; // table position i has code(i + 145)

// One run of the character table: consecutive positions of one colour class.
struct TableRun {
    int colourClass;
    std::string_view characters;
};

constexpr std::string_view kLetters = "abcdefghijklmnopqrustvwzxy";
constexpr std::string_view kCapitals = "ABCDEFGHIJKLMNOPQRUSTVWZXY";
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kOperators = "~!@#$%^&*<>-|+/=";
constexpr std::string_view kTail = "\\.`'\":;?";
constexpr std::string_view kGroups = "(){},";

// The 256 positions of the table as the characters of each run, in order.
std::string tableCharacters(int& count, std::array<int, 256>& classes) {
    const std::string plain = std::string("_") + std::string(kLetters) + std::string(kDigits) +
                              std::string(kCapitals) + std::string(kOperators) +
                              std::string(kTail) + std::string(kGroups);
    const std::string runs[] = {
        std::string(kDigits) + std::string(kCapitals) + std::string(kOperators) + "_",
        plain,
        plain + "[]",
        "[](){},",
        "[]",
        std::string(kTail),
    };
    const int runClasses[] = {2, 3, 1, 2, 3, 2};
    std::string characters;
    count = 0;
    for (int r = 0; r < 6; ++r) {
        for (char c : runs[r]) {
            classes[count++] = runClasses[r];
            characters += c;
        }
    }
    return characters;
}

struct CharacterTable {
    std::array<std::string, 256> codeOfByte; // empty where a byte has no code
    std::array<int, kLargestCode + 1> byteOfCode{};
};

const CharacterTable& characterTable() {
    static const CharacterTable table = [] {
        CharacterTable t;
        t.byteOfCode.fill(-1);
        std::array<int, 256> classes{};
        int count = 0;
        const std::string characters = tableCharacters(count, classes);
        RILL_ASSERT(count == 256);
        for (int position = 0; position < 256; ++position) {
            const auto c = static_cast<unsigned char>(characters[position]);
            const int byte = decodeShown(classes[position], c);
            if (byte == '\n' || byte == '[' || byte == ']')
                continue;
            RILL_ASSERT(t.codeOfByte[byte].empty());
            const unsigned n = position + kFirstCharacterCode;
            t.codeOfByte[byte] = treeCode(n);
            t.byteOfCode[n] = byte;
        }
        return t;
    }();
    return table;
}

unsigned integerSquareRoot(unsigned m) {
    unsigned s = static_cast<unsigned>(std::sqrt(static_cast<double>(m)));
    while (s * s > m)
        --s;
    while ((s + 1) * (s + 1) <= m)
        ++s;
    return s;
}

// The number whose tree code is the text, or -1 (a code text is at most a few hundred bytes).
int codeNumber(std::string_view code) {
    static const std::array<std::string, kLargestCode + 1> codes = [] {
        std::array<std::string, kLargestCode + 1> all;
        for (unsigned n = 0; n <= kLargestCode; ++n)
            all[n] = treeCode(n);
        return all;
    }();
    for (unsigned n = kFirstCharacterCode; n <= kLargestCode; ++n)
        if (codes[n] == code)
            return static_cast<int>(n);
    return -1;
}

} // namespace

std::string treeCode(unsigned n) {
    RILL_ASSERT(n <= kLargestCode);
    if (n == 0)
        return "[]";
    const unsigned m = n - 1;
    const unsigned s = integerSquareRoot(m);
    const unsigned r = m - s * s;
    const unsigned a = r % 2 == 0 ? r / 2 : s;
    const unsigned b = r % 2 == 0 ? s : (r - 1) / 2;
    return "[" + treeCode(a) + treeCode(b).substr(1);
}

std::string_view characterCode(unsigned char byte) {
    return characterTable().codeOfByte[byte];
}

int characterOfCode(std::string_view code) {
    const int n = codeNumber(code);
    return n < 0 ? -1 : characterTable().byteOfCode[n];
}

std::size_t lastElementStart(std::string_view text) {
    const std::size_t length = text.size();
    RILL_ASSERT(length >= 3 && text[0] == '[');
    std::size_t i = length - 2;
    if (text[i] != ']')
        return i;
    int depth = 1;
    while (depth != 0) {
        RILL_ASSERT(i > 0);
        --i;
        if (text[i] == ']')
            ++depth;
        else if (text[i] == '[')
            --depth;
    }
    return i;
}

NodeRef stringInit(std::string_view text) {
    const std::size_t start = lastElementStart(text);
    std::string init(text.substr(0, start));
    init += ']';
    return makeAtom(std::move(init));
}

NodeRef stringLast(std::string_view text) {
    const std::size_t start = lastElementStart(text);
    const std::string_view element = text.substr(start, text.size() - 1 - start);
    if (element.size() != 1)
        return makeAtom(element);
    const auto byte = static_cast<unsigned char>(element[0]);
    if (byte == '\n')
        return makeAtom("[p]");
    if (byte == '[')
        return makeAtom("[q]");
    return makeAtom(characterCode(byte));
}

} // namespace rill
