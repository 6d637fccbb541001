#include "builtins/data_builtins.h"

#include "builtins/calling_protocol.h"
#include "builtins/decimal_integers.h"
#include "core/assertion.h"
#include "core/classification.h"
#include "core/error_report.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

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

// --- Reading values -------------------------------------------------------------------------

// The payload of a block atom: the bytes after the first ")".
std::string_view blockPayload(const NodeRef& block) {
    const std::string_view text = atomText(block);
    const std::size_t close = text.find(')', 1);
    RILL_ASSERT(close != std::string_view::npos);
    return text.substr(close + 1);
}

NodeRef makeBlock(std::string_view payload) {
    return makeAtom(blockText(payload));
}

// The eight bytes of a real atom's double, least significant first.
std::string_view realBytes(const NodeRef& real) {
    return atomText(real).substr(1, 8);
}

// The text of inert data as one bracket string. A bracket atom is its own text (borrowed); an
// application (p x) of data to data reads as the string whose init is p and whose last element
// is x: p's text without its closing "]", then x's text, then "]". The application is walked
// from an explicit work list into storage.
std::string_view stringText(const NodeRef& data, std::string& storage) {
    if (isAtom(data))
        return atomText(data);
    enum class Task { visit, dropClose, close };
    std::vector<std::pair<Task, const Node*>> work;
    work.push_back({Task::visit, data.get()});
    storage.clear();
    while (!work.empty()) {
        auto [task, n] = work.back();
        work.pop_back();
        switch (task) {
        case Task::dropClose: storage.pop_back(); break;
        case Task::close: storage += ']'; break;
        case Task::visit:
            if (isAtomNode(n)) {
                storage.append(atomBytes(n), measureText(n));
            } else {
                work.push_back({Task::close, nullptr});
                work.push_back({Task::visit, argumentOf(n)});
                work.push_back({Task::dropClose, nullptr});
                work.push_back({Task::visit, functionOf(n)});
            }
            break;
        }
    }
    return storage;
}

// The bytes between the outer brackets of a bracket text.
std::string_view innerText(std::string_view text) {
    RILL_ASSERT(text.size() >= 2);
    return text.substr(1, text.size() - 2);
}

// The byte length of inert data's text without its outer brackets, from the lengths cached in
// the atom and application headers when they are known.
std::size_t innerLength(const NodeRef& data) {
    if (isAtom(data))
        return atomText(data).size() - 2;
    if (span(data) != 0)
        return span(data) - 2;
    std::string storage;
    return stringText(data, storage).size() - 2;
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

// --- Conversions ----------------------------------------------------------------------------

NodeRef builtin_cape(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::string: {
        std::string storage;
        const std::string_view inner = innerText(stringText(x, storage));
        std::string payload;
        payload.reserve(inner.size());
        for (std::size_t i = 0; i < inner.size(); ++i) {
            const char c = inner[i];
            if (c == ']')
                return makeFailure();
            if (c != '[') {
                payload += c;
                continue;
            }
            if (i + 2 >= inner.size() || inner[i + 2] != ']')
                return makeFailure();
            switch (inner[i + 1]) {
            case 'p': payload += '\n'; break;
            case 'q': payload += '['; break;
            case 'r': payload += ']'; break;
            default: return makeFailure();
            }
            i += 2;
        }
        return makeBlock(payload);
    }
    case ValueKind::block: {
        const std::string_view payload = blockPayload(x);
        std::string text = "[";
        text.reserve(payload.size() + 2);
        for (const char c : payload) {
            if (c == '[')
                text += "[q]";
            else if (c == ']')
                text += "[r]";
            else
                text += c;
        }
        text += ']';
        return makeAtom(std::move(text));
    }
    default: return makeFailure();
    }
}

NodeRef builtin_init(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::block: return x;
    case ValueKind::real: return makeBlock(realBytes(x));
    case ValueKind::integer: {
        if (!isInteger(x))
            return makeFailure();
        const char byte = static_cast<char>(toInt64(x) & 0xFF);
        return makeBlock(std::string_view(&byte, 1));
    }
    case ValueKind::string: {
        std::string storage;
        return makeBlock(innerText(stringText(x, storage)));
    }
    case ValueKind::oForm: return makeFailure();
    case ValueKind::other: break;
    }
    // A list (J x1 (J x2 ... K)) of integers: one byte per element.
    std::string payload;
    const Node* n = x.get();
    while (!isAtomNode(n)) {
        const Node* cell = functionOf(n);
        if (isAtomNode(cell) || firstByteOf(functionOf(cell)) != 'J' ||
            !isAtomNode(functionOf(cell)))
            return makeFailure();
        const NodeRef element(argumentOf(cell));
        if (!isInteger(element))
            return makeFailure();
        payload += static_cast<char>(toInt64(element) & 0xFF);
        n = argumentOf(n);
    }
    if (firstByteOf(n) != 'K')
        return makeFailure();
    return makeBlock(payload);
}

// --- Measuring and reading -------------------------------------------------------------------

NodeRef builtin_rank(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::block: return makeInteger(static_cast<std::int64_t>(blockPayload(x).size()));
    case ValueKind::real: return makeInteger(8);
    case ValueKind::integer:
    case ValueKind::oForm: {
        if (isAtom(x))
            return makeInteger(static_cast<std::int64_t>(atomText(x).size()));
        NumberReading reading;
        if (!readNumber(x, reading))
            return makeFailure();
        const std::string text =
            reading.isOForm ? oText(reading.value) : decimalText(reading.value);
        return makeInteger(static_cast<std::int64_t>(text.size()));
    }
    case ValueKind::string: return makeInteger(static_cast<std::int64_t>(innerLength(x)));
    case ValueKind::other: break;
    }
    return makeFailure();
}

} // namespace rill
