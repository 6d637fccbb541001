#include "builtins/data_builtins.h"

#include "builtins/calling_protocol.h"
#include "builtins/decimal_integers.h"
#include "builtins/real_numbers.h"
#include "core/assertion.h"
#include "core/classification.h"
#include "core/report_display.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace rill {

namespace {

constexpr unsigned kLargestCode = 676;
constexpr unsigned kFirstCharacterCode = 145;                // table position i has code(i + 145)
constexpr std::int64_t kFarPosition = std::int64_t{1} << 62; // beyond every size

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

// The number (145 to 676) whose tree code is the text, or -1: the codes of the character table.
int codeNumber(std::string_view code) {
    static const std::unordered_map<std::string, int> numbers = [] {
        std::unordered_map<std::string, int> all;
        for (unsigned n = kFirstCharacterCode; n <= kLargestCode; ++n)
            all.emplace(treeCode(n), static_cast<int>(n));
        return all;
    }();
    if (code.size() < 2 || code.front() != '[' || code.back() != ']')
        return -1;
    const auto found = numbers.find(std::string(code));
    return found == numbers.end() ? -1 : found->second;
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

// --- List views -----------------------------------------------------------------------------

// True for the list view V (X J) t, tested by shape: ((V (X J)) t) with V, X and J atoms read
// by their first bytes; t is set to its list.
bool isListView(Node* n, Node*& t) {
    if (isAtomNode(n))
        return false;
    Node* f = functionOf(n);
    if (isAtomNode(f) || !isAtomNode(functionOf(f)) || firstByteOf(functionOf(f)) != 'V')
        return false;
    Node* xj = argumentOf(f);
    if (isAtomNode(xj) || !isAtomNode(functionOf(xj)) || firstByteOf(functionOf(xj)) != 'X' ||
        !isAtomNode(argumentOf(xj)) || firstByteOf(argumentOf(xj)) != 'J')
        return false;
    t = argumentOf(n);
    return true;
}

NodeRef makeListView(NodeRef t) {
    return apply(makeAtom("V"), apply(makeAtom("X"), makeAtom("J")), std::move(t));
}

// True for a cell ((J l) r) with J an atom; l and r are set to its parts.
bool isCell(Node* n, Node*& l, Node*& r) {
    if (isAtomNode(n))
        return false;
    Node* f = functionOf(n);
    if (isAtomNode(f) || !isAtomNode(functionOf(f)) || firstByteOf(functionOf(f)) != 'J')
        return false;
    l = argumentOf(f);
    r = argumentOf(n);
    return true;
}

// The elements of a string's text between its brackets, front to back: a plain byte, or a
// group up to its partner. False when a bracket has no partner.
bool splitElements(std::string_view inner, std::vector<std::string_view>& elements) {
    for (std::size_t i = 0; i < inner.size();) {
        if (inner[i] == ']')
            return false;
        if (inner[i] != '[') {
            elements.push_back(inner.substr(i, 1));
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        int depth = 1;
        for (; j < inner.size() && depth != 0; ++j) {
            if (inner[j] == '[')
                ++depth;
            else if (inner[j] == ']')
                --depth;
        }
        if (depth != 0)
            return false;
        elements.push_back(inner.substr(i, j - i));
        i = j;
    }
    return true;
}

// True when the bytes pair their square brackets: the depth never drops below 0 and ends at 0.
bool isBalanced(std::string_view bytes) {
    long depth = 0;
    for (const char c : bytes) {
        if (c == '[')
            ++depth;
        else if (c == ']' && --depth < 0)
            return false;
    }
    return depth == 0;
}

// The one-character string of a byte: "[" and "]" as their escapes, newline as "[p]" when
// escaped is set, every other byte bare.
NodeRef oneCharacterString(unsigned char byte, bool escapeNewline) {
    if (byte == '[')
        return makeAtom("[[q]]");
    if (byte == ']')
        return makeAtom("[[r]]");
    if (byte == '\n' && escapeNewline)
        return makeAtom("[[p]]");
    const char text[3] = {'[', static_cast<char>(byte), ']'};
    return makeAtom(std::string_view(text, 3));
}

// --- Bits ---------------------------------------------------------------------------------------

// The packed bits of a number value or a bit list: an atom by its text, a list (J b rest) by
// its cells (b beginning "K" for 1, "H" for 0) and then the sequence of the atom that ends
// it ("K", the empty sequence, or a digit text). False for anything else.
bool bitStringOfValue(const NodeRef& value, BitString& out) {
    Node* n = value.get();
    if (isAtomNode(n))
        return bitStringOfText(atomText(value), out);
    BitString bits;
    std::size_t count = 0;
    Node* b = nullptr;
    Node* rest = nullptr;
    while (isCell(n, b, rest)) {
        if (!isAtomNode(b) || (firstByteOf(b) != 'K' && firstByteOf(b) != 'H'))
            return false;
        if (firstByteOf(b) == 'K')
            setBit(bits, count);
        ++count;
        n = rest;
    }
    if (!isAtomNode(n))
        return false;
    BitString tail;
    if (firstByteOf(n) == 'K')
        tail.bytes.assign(1, 1);
    else if (!bitStringOfText(std::string_view(atomBytes(n), measureText(n)), tail))
        return false;
    setBit(bits, count);
    appendSequence(bits, tail);
    out = std::move(bits);
    return true;
}

// The bit list of the sequence of bits 0 .. length - 1 of s: (J b0 (J b1 ... K)), bit 0 first.
NodeRef bitList(const BitString& s, std::size_t length) {
    NodeRef list = makeAtom("K");
    for (std::size_t i = length; i-- > 0;)
        list = apply(makeAtom("J"), makeTruth(readBit(s, i)), std::move(list));
    return list;
}

// The bits of a real's 64-bit pattern, least significant byte first, as a BitString with the
// marker above bit 63.
BitString realBitString(const NodeRef& real) {
    const std::string_view bytes = realBytes(real);
    BitString s;
    s.bytes.assign(bytes.begin(), bytes.end());
    s.bytes.push_back(1);
    return s;
}

// --- Positions ----------------------------------------------------------------------------------

// The value of a position argument (an integer value): a magnitude beyond 18 digits, larger
// than any size, reads as a far-off position of its sign, so that it fails every range test.
std::int64_t positionValue(const NodeRef& n) {
    NumberReading reading;
    RILL_ASSERT(readNumber(n, reading));
    if (reading.value.magnitude.limbs.size() > 2)
        return reading.value.negative ? -kFarPosition : kFarPosition;
    return toInt64(n);
}

// Reads a position argument: an integer, counted from the end when negative. False when the
// argument is no integer or the position is outside 0 .. size - 1.
bool readPosition(const NodeRef& n, std::size_t size, std::size_t& position) {
    if (!isInteger(n))
        return false;
    std::int64_t p = positionValue(n);
    if (p < 0)
        p += static_cast<std::int64_t>(size);
    if (p < 0 || static_cast<std::uint64_t>(p) >= size)
        return false;
    position = static_cast<std::size_t>(p);
    return true;
}

// A writable view of an atom's stored bytes: only for a node that the caller holds alone.
char* mutableBytes(const NodeRef& atom) {
    RILL_ASSERT(isAtom(atom) && referenceCount(atom) == 1);
    return const_cast<char*>(atomBytes(atom.get()));
}

// --- Taking strings apart ------------------------------------------------------------------

// The init of a non-empty string, or "Z". A bracket atom held by nothing but the caller is
// cut short in place: its last element gives way to the closing "]", and the freed tail
// stays with the atom's block until it dies, so walking a long string from its end costs
// no copies.
NodeRef takeInit(NodeRef x) {
    if (isAtom(x)) {
        const std::string_view text = atomText(x);
        std::size_t start = 0;
        if (!findLastElement(text, start))
            return makeFailure();
        if (referenceCount(x) != 1)
            return stringInit(text);
        char* bytes = mutableBytes(x);
        bytes[start] = ']';
        bytes[start + 1] = '\0';
        if (start + 1 < kSpanLimit)
            writeSpan(x.get(), start + 1);
        return x;
    }
    std::string storage;
    const std::string_view text = stringText(x, storage);
    std::size_t start = 0;
    if (!findLastElement(text, start))
        return makeFailure();
    return stringInit(text);
}

// The last element of a non-empty string as a bracket atom, or "Z".
NodeRef takeLast(const NodeRef& x) {
    std::string storage;
    const std::string_view text = stringText(x, storage);
    std::size_t start = 0;
    if (!findLastElement(text, start))
        return makeFailure();
    return elementAtom(text.substr(start, text.size() - 1 - start));
}

// The list view of a string's elements: V (X J) t, t = K, then ((J t) element) front to back.
NodeRef listViewOf(const NodeRef& x) {
    std::string storage;
    std::vector<std::string_view> elements;
    if (!splitElements(innerText(stringText(x, storage)), elements))
        return makeFailure();
    NodeRef t = makeAtom("K");
    for (const std::string_view element : elements)
        t = apply(makeAtom("J"), std::move(t), elementAtom(element));
    return makeListView(std::move(t));
}

// The string built from the list t of a list view: an element that is a character's tree
// code gives that byte, any other data element stands as a group; "Z" for anything else.
NodeRef stringOfList(Node* t) {
    std::vector<Node*> elements; // last first
    Node* l = nullptr;
    Node* r = nullptr;
    while (isCell(t, l, r)) {
        elements.push_back(r);
        t = l;
    }
    if (!isAtomNode(t) || firstByteOf(t) != 'K')
        return makeFailure();
    std::string text = "[";
    std::string storage;
    for (std::size_t i = elements.size(); i-- > 0;) {
        if (!isDataNode(elements[i]))
            return makeFailure();
        const std::string_view element = stringText(NodeRef(elements[i]), storage);
        const int byte = characterOfCode(element);
        if (byte >= 0)
            text += static_cast<char>(byte);
        else
            text.append(element);
    }
    text += ']';
    return makeAtom(std::move(text));
}

// The bytes that copy writes for a value, in storage; false for a kind without bytes.
bool bytesOf(const NodeRef& x, std::string& storage, std::string_view& bytes) {
    switch (valueKind(x)) {
    case ValueKind::block: bytes = blockPayload(x); return true;
    case ValueKind::real: bytes = realBytes(x); return true;
    case ValueKind::string: bytes = innerText(stringText(x, storage)); return true;
    case ValueKind::integer:
    case ValueKind::oForm: {
        if (isAtom(x)) {
            bytes = atomText(x);
            return true;
        }
        NumberReading reading;
        if (!readNumber(x, reading))
            return false;
        storage = reading.isOForm ? oText(reading.value) : decimalText(reading.value);
        bytes = storage;
        return true;
    }
    case ValueKind::other: break;
    }
    return false;
}

// --- Record slots ---------------------------------------------------------------------------

// A reader: the T stored at the address (read with toUInt64), as an integer.
template <typename T> NodeRef readSlot(NodeRef call) {
    auto [address] = takeArguments<1>(std::move(call));
    if (!isInteger(address))
        return makeFailure();
    T value;
    std::memcpy(&value, reinterpret_cast<const void*>(toUInt64(address)), sizeof value);
    if constexpr (std::is_same_v<T, std::uint64_t>)
        return makeIntegerAtom(Integer{false, magnitudeFromUInt64(value)});
    else
        return makeInteger(static_cast<std::int64_t>(value));
}

// A writer: the low bits of the value stored as a T at the address; "I".
template <typename T> NodeRef writeSlot(NodeRef call) {
    auto [address, value] = takeArguments<2>(std::move(call));
    if (!isInteger(address) || !isInteger(value))
        return makeFailure();
    const auto bits = static_cast<T>(static_cast<std::uint64_t>(toInt64(value)));
    std::memcpy(reinterpret_cast<void*>(toInt64(address)), &bits, sizeof bits);
    return makeNothing();
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
    std::string code(1, '[');
    code += treeCode(a);
    code.append(treeCode(b), 1);
    return code;
}

std::string_view characterCode(unsigned char byte) {
    return characterTable().codeOfByte[byte];
}

int characterOfCode(std::string_view code) {
    const int n = codeNumber(code);
    return n < 0 ? -1 : characterTable().byteOfCode[n];
}

bool findLastElement(std::string_view text, std::size_t& start) {
    const std::size_t length = text.size();
    if (length < 3 || text[0] != '[')
        return false;
    std::size_t i = length - 2;
    if (text[i] != ']') {
        start = i;
        return true;
    }
    int depth = 1;
    while (depth != 0) {
        if (i <= 1)
            return false;
        --i;
        if (text[i] == ']')
            ++depth;
        else if (text[i] == '[')
            --depth;
    }
    start = i;
    return true;
}

std::size_t lastElementStart(std::string_view text) {
    std::size_t start = 0;
    RILL_ASSERT(findLastElement(text, start));
    return start;
}

NodeRef stringInit(std::string_view text) {
    const std::size_t start = lastElementStart(text);
    std::string init(text.substr(0, start));
    init += ']';
    return makeAtom(std::move(init));
}

NodeRef elementAtom(std::string_view element) {
    RILL_ASSERT(!element.empty());
    if (element.size() != 1)
        return makeAtom(element);
    const auto byte = static_cast<unsigned char>(element[0]);
    if (byte == '\n')
        return makeAtom("[p]");
    if (byte == '[')
        return makeAtom("[q]");
    if (byte == ']')
        return makeAtom("[r]");
    return makeAtom(characterCode(byte));
}

NodeRef stringLast(std::string_view text) {
    const std::size_t start = lastElementStart(text);
    return elementAtom(text.substr(start, text.size() - 1 - start));
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

// --- Taking apart ---------------------------------------------------------------------------

NodeRef builtin_leaf(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    if (valueKind(x) == ValueKind::string)
        return makeTruth(isAtom(x) && atomText(x) == "[]");
    Node* t = nullptr;
    if (isListView(x.get(), t))
        return makeTruth(firstByteOf(t) == 'K');
    return makeFailure();
}

// left and rght of "[]", like those of the empty list view, are "Z".
NodeRef builtin_left(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    if (valueKind(x) == ValueKind::string)
        return takeInit(std::move(x));
    Node* t = nullptr;
    Node* l = nullptr;
    Node* r = nullptr;
    if (isListView(x.get(), t) && isCell(t, l, r))
        return makeListView(NodeRef(l));
    return makeFailure();
}

NodeRef builtin_rght(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    if (valueKind(x) == ValueKind::string)
        return takeLast(x);
    Node* t = nullptr;
    Node* l = nullptr;
    Node* r = nullptr;
    if (isListView(x.get(), t) && isCell(t, l, r))
        return makeListView(NodeRef(r));
    return makeFailure();
}

NodeRef builtin_buck(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::block: {
        const std::string_view payload = blockPayload(x);
        if (payload.empty())
            return makeFailure();
        return oneCharacterString(static_cast<unsigned char>(payload[0]), true);
    }
    case ValueKind::real: return makeTruth((realBytes(x)[7] & 0x80) == 0);
    case ValueKind::integer:
    case ValueKind::oForm: {
        NumberReading reading;
        if (!readNumber(x, reading))
            return makeFailure();
        return makeTruth(!reading.value.negative);
    }
    case ValueKind::string: return takeInit(std::move(x));
    case ValueKind::other: break;
    }
    return makeFailure();
}

NodeRef builtin_wave(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::block: {
        const std::string_view payload = blockPayload(x);
        if (payload.empty())
            return makeFailure();
        return makeBlock(payload.substr(1));
    }
    case ValueKind::real: return makeReal(-readReal(x));
    case ValueKind::integer: {
        if (!isInteger(x))
            return makeFailure();
        if (isAtom(x)) {
            const std::string_view text = atomText(x);
            if (text == "0")
                return makeAtom("0");
            if (text[0] == '0')
                return makeAtom(text.substr(1));
            std::string negated(1, '0');
            negated += text;
            return makeAtom(std::move(negated));
        }
        NumberReading reading;
        RILL_ASSERT(readNumber(x, reading));
        return makeIntegerAtom(negated(std::move(reading.value)));
    }
    case ValueKind::string: return takeLast(x);
    case ValueKind::oForm:
    case ValueKind::other: break;
    }
    return makeFailure();
}

// --- More conversions -----------------------------------------------------------------------

NodeRef builtin_zits(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::block: {
        const std::string_view payload = blockPayload(x);
        if (payload.find('\n') != std::string_view::npos || !isBalanced(payload))
            return makeFailure();
        std::string text = "[";
        text.reserve(payload.size() + 2);
        text.append(payload);
        text += ']';
        return makeAtom(std::move(text));
    }
    case ValueKind::integer:
        if (!isInteger(x))
            return makeFailure();
        return oneCharacterString(static_cast<unsigned char>(toInt64(x) & 0xFF), false);
    case ValueKind::real: {
        std::string bracketed(1, '[');
        bracketed += realText(readReal(x));
        bracketed += ']';
        return makeAtom(std::move(bracketed));
    }
    case ValueKind::string: {
        if (isAtom(x))
            return x;
        std::string storage;
        return makeAtom(stringText(x, storage));
    }
    case ValueKind::oForm: return makeFailure();
    case ValueKind::other: break;
    }
    Node* t = nullptr;
    if (isListView(x.get(), t))
        return stringOfList(t);
    return makeFailure();
}

// lots and lits convert between values and their explicit bit lists (J b rest), bit 0 first,
// b "K" for a 1 bit and "H" for a 0 bit, closed by "K". A number's list is the sequence of its
// BitString, a real's the 64 bits of its pattern. A block's payload, its trailing NUL bytes
// dropped, is read as a BitString itself (byte 0 holds bits 0 to 7, each byte least
// significant bit first) and its list is the sequence below the highest 1 bit; an empty
// remainder gives "K". lits reads every list back into the number whose sequence it is, so
// lits (lots x) is x for every number, and lots (lits l) is l for every list closed by "K".
NodeRef builtin_lots(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::real: return bitList(realBitString(x), 64);
    case ValueKind::block: {
        std::string_view payload = blockPayload(x);
        while (!payload.empty() && payload.back() == '\0')
            payload.remove_suffix(1);
        if (payload.empty())
            return makeAtom("K");
        BitString s;
        s.bytes.assign(payload.begin(), payload.end());
        return bitList(s, bitLength(s));
    }
    case ValueKind::string: return listViewOf(x);
    case ValueKind::integer:
    case ValueKind::oForm: break;
    case ValueKind::other:
        if (isAtom(x) && firstByte(x) == 'K')
            return x;
        return makeFailure();
    }
    if (isAtom(x)) {
        BitString s;
        if (!bitStringOfText(atomText(x), s))
            return makeFailure();
        return bitList(s, bitLength(s));
    }
    // A bit list keeps its cells; the atom that ends it is unfolded into explicit cells.
    std::vector<Node*> bits;
    Node* n = x.get();
    Node* b = nullptr;
    Node* rest = nullptr;
    while (isCell(n, b, rest)) {
        if (!isAtomNode(b) || (firstByteOf(b) != 'K' && firstByteOf(b) != 'H'))
            return makeFailure();
        bits.push_back(b);
        n = rest;
    }
    if (!isAtomNode(n))
        return makeFailure();
    if (firstByteOf(n) == 'K')
        return x;
    BitString tail;
    if (!bitStringOfText(std::string_view(atomBytes(n), measureText(n)), tail))
        return makeFailure();
    NodeRef list = bitList(tail, bitLength(tail));
    for (std::size_t i = bits.size(); i-- > 0;)
        list = apply(makeAtom("J"), NodeRef(bits[i]), std::move(list));
    return list;
}

// lits of a real is the number whose sequence is the real's 64 bits (lits of its lots).
NodeRef builtin_lits(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    switch (valueKind(x)) {
    case ValueKind::string: {
        std::string storage;
        const std::string_view inner = innerText(stringText(x, storage));
        if (inner.size() == 1)
            return makeInteger(static_cast<std::int8_t>(inner[0]));
        if (inner == "[q]")
            return makeInteger('[');
        if (inner == "[r]")
            return makeInteger(']');
        return makeFailure();
    }
    case ValueKind::block: {
        const std::string_view payload = blockPayload(x);
        if (payload.size() != 1)
            return makeFailure();
        return makeInteger(static_cast<std::int8_t>(payload[0]));
    }
    case ValueKind::real: return makeAtom(textOfBitString(realBitString(x)));
    case ValueKind::integer:
    case ValueKind::oForm: {
        BitString s;
        if (!bitStringOfValue(x, s))
            return makeFailure();
        return makeAtom(textOfBitString(s));
    }
    case ValueKind::other: break;
    }
    return makeFailure();
}

// --- Reading, cutting and changing ----------------------------------------------------------

NodeRef builtin_look(NodeRef call) {
    auto [x, n] = takeArguments<2>(std::move(call));
    if (!isInteger(n))
        return makeFailure();
    std::size_t at = 0;
    switch (valueKind(x)) {
    case ValueKind::block: {
        const std::string_view payload = blockPayload(x);
        if (!readPosition(n, payload.size(), at))
            return makeFailure();
        return makeInteger(static_cast<unsigned char>(payload[at]));
    }
    case ValueKind::real: {
        if (!readPosition(n, 64, at))
            return makeFailure();
        return makeTruth(((static_cast<unsigned char>(realBytes(x)[at / 8]) >> (at % 8)) & 1) != 0);
    }
    case ValueKind::integer:
    case ValueKind::oForm: {
        BitString s;
        if (!bitStringOfValue(x, s) || !readPosition(n, bitLength(s), at))
            return makeFailure();
        return makeTruth(readBit(s, at));
    }
    case ValueKind::string: {
        std::string storage;
        const std::string_view inner = innerText(stringText(x, storage));
        if (!readPosition(n, inner.size(), at))
            return makeFailure();
        return makeInteger(static_cast<unsigned char>(inner[at]));
    }
    case ValueKind::other: break;
    }
    return makeFailure();
}

NodeRef builtin_trim(NodeRef call) {
    auto [x, i, j] = takeArguments<3>(std::move(call));
    const ValueKind kind = valueKind(x);
    if ((kind != ValueKind::block && kind != ValueKind::string) || !isInteger(i) || !isInteger(j))
        return makeFailure();
    NumberReading first;
    NumberReading second;
    RILL_ASSERT(readNumber(i, first) && readNumber(j, second));
    if (isEqual(first.value, second.value))
        return makeAtom(kind == ValueKind::block ? "()" : "[]");
    std::string storage;
    const std::string_view bytes =
        kind == ValueKind::block ? blockPayload(x) : innerText(stringText(x, storage));
    const auto size = static_cast<std::int64_t>(bytes.size());
    std::int64_t from = positionValue(i);
    std::int64_t to = positionValue(j);
    if (from < 0)
        from += size;
    if (to < 0)
        to += size;
    if (from < 0 || to < from || to > size)
        return makeFailure();
    const std::string_view piece =
        bytes.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    if (kind == ValueKind::block)
        return makeBlock(piece);
    if (!isBalanced(piece))
        return makeFailure();
    std::string text = "[";
    text.reserve(piece.size() + 2);
    text.append(piece);
    text += ']';
    return makeAtom(std::move(text));
}

// A string byte can only be changed into a byte other than "[" and "]", so that the brackets
// of the string keep their partners.
NodeRef builtin_cork(NodeRef call) {
    auto [x, n, v] = takeArguments<3>(std::move(call));
    if (!isInteger(n))
        return makeFailure();
    std::size_t at = 0;
    const ValueKind kind = valueKind(x);
    if (kind == ValueKind::real) {
        if (!readPosition(n, 64, at) || !isAtom(v) || (firstByte(v) != 'K' && firstByte(v) != 'H'))
            return makeFailure();
        std::uint64_t bits = 0;
        const std::string_view bytes = realBytes(x);
        for (int k = 7; k >= 0; --k)
            bits = bits << 8 | static_cast<unsigned char>(bytes[k]);
        const std::uint64_t mask = std::uint64_t{1} << at;
        bits = firstByte(v) == 'K' ? bits | mask : bits & ~mask;
        return makeReal(std::bit_cast<double>(bits));
    }
    if ((kind != ValueKind::block && kind != ValueKind::string) || !isInteger(v))
        return makeFailure();
    const char byte = static_cast<char>(toInt64(v) & 0xFF);
    std::string storage;
    std::string_view text; // the whole text; offset is where the counted bytes begin
    std::size_t offset = 1;
    std::size_t size = 0;
    if (kind == ValueKind::block) {
        text = atomText(x);
        const std::string_view payload = blockPayload(x);
        offset = text.size() - payload.size();
        size = payload.size();
    } else {
        text = stringText(x, storage);
        size = text.size() - 2;
    }
    if (!readPosition(n, size, at))
        return makeFailure();
    if (kind == ValueKind::string &&
        (text[offset + at] == '[' || text[offset + at] == ']' || byte == '[' || byte == ']'))
        return makeFailure();
    if (isAtom(x) && referenceCount(x) == 1) {
        mutableBytes(x)[offset + at] = byte;
        return x;
    }
    std::string changed(text);
    changed[offset + at] = byte;
    return makeAtom(std::move(changed));
}

NodeRef builtin_copy(NodeRef call) {
    auto [x, address] = takeArguments<2>(std::move(call));
    std::string storage;
    std::string_view bytes;
    if (!isInteger(address) || !bytesOf(x, storage, bytes))
        return makeFailure();
    if (!bytes.empty())
        std::memcpy(reinterpret_cast<void*>(toInt64(address)), bytes.data(), bytes.size());
    return makeNothing();
}

// --- Node identity --------------------------------------------------------------------------

NodeRef builtin_raws(NodeRef call) {
    auto [x, y] = takeArguments<2>(std::move(call));
    return makeTruth(x.get() == y.get());
}

NodeRef builtin_leak(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(x.get())));
}

// --- Record slots ---------------------------------------------------------------------------

NodeRef builtin_getu(NodeRef call) {
    return readSlot<std::uint32_t>(std::move(call));
}
NodeRef builtin_gets(NodeRef call) {
    return readSlot<std::int32_t>(std::move(call));
}
NodeRef builtin_gett(NodeRef call) {
    return readSlot<std::uint16_t>(std::move(call));
}
NodeRef builtin_getv(NodeRef call) {
    return readSlot<std::int16_t>(std::move(call));
}
NodeRef builtin_getw(NodeRef call) {
    return readSlot<std::uint64_t>(std::move(call));
}
NodeRef builtin_getz(NodeRef call) {
    return readSlot<std::int64_t>(std::move(call));
}
NodeRef builtin_getx(NodeRef call) {
    return readSlot<std::uint8_t>(std::move(call));
}
NodeRef builtin_gety(NodeRef call) {
    return readSlot<std::int8_t>(std::move(call));
}
NodeRef builtin_setu(NodeRef call) {
    return writeSlot<std::uint32_t>(std::move(call));
}
NodeRef builtin_sett(NodeRef call) {
    return writeSlot<std::uint16_t>(std::move(call));
}
NodeRef builtin_setw(NodeRef call) {
    return writeSlot<std::uint64_t>(std::move(call));
}
NodeRef builtin_setx(NodeRef call) {
    return writeSlot<std::uint8_t>(std::move(call));
}

} // namespace rill
