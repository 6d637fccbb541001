#include "middle/value_rendering.h"

#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"
#include "core/assertion.h"
#include "middle/definition_compilation.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace rill {

namespace {

// The byte classes that decide juxtaposition; `mixed` is the class of a text holding more
// than one of them.
enum class ByteClass : unsigned char { lower, digit, other, mixed };

ByteClass classOfByte(unsigned char b) {
    if ((b >= 'a' && b <= 'z') || b == '_')
        return ByteClass::lower;
    if (b >= '0' && b <= '9')
        return ByteClass::digit;
    return ByteClass::other;
}

// A depth no text reaches: the lowest inner depth of a one-byte text.
constexpr std::int64_t kNoDepth = std::numeric_limits<std::int64_t>::max() / 4;

// What the rules of an enclosing application need to know of a rendered text, without the
// text itself. Depths count square brackets only: "[" adds one, "]" takes one away.
struct Shape {
    std::uint64_t length = 0;
    unsigned char first = 0;
    unsigned char second = 0; // 0 when the text has one byte
    unsigned char last = 0;
    ByteClass cls = ByteClass::other;
    std::int64_t balance = 0;            // the depth after the whole text
    std::int64_t lowest = 0;             // the lowest depth after 1 .. length bytes
    std::int64_t lowestInner = kNoDepth; // the lowest depth after 1 .. length - 1 bytes
};

Shape shapeOf(std::string_view text) {
    RILL_ASSERT(!text.empty());
    Shape s;
    s.length = text.size();
    s.first = static_cast<unsigned char>(text[0]);
    s.second = text.size() >= 2 ? static_cast<unsigned char>(text[1]) : 0;
    s.last = static_cast<unsigned char>(text.back());
    s.cls = classOfByte(s.first);
    s.lowest = kNoDepth;
    std::int64_t depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (classOfByte(b) != s.cls)
            s.cls = ByteClass::mixed;
        if (b == '[')
            ++depth;
        else if (b == ']')
            --depth;
        if (i + 1 < text.size())
            s.lowestInner = std::min(s.lowestInner, depth);
        s.lowest = std::min(s.lowest, depth);
    }
    s.balance = depth;
    return s;
}

// The shape of the text a followed by the text b.
Shape concat(const Shape& a, const Shape& b) {
    Shape s;
    s.length = a.length + b.length;
    s.first = a.first;
    s.second = a.length >= 2 ? a.second : b.first;
    s.last = b.last;
    s.cls = a.cls == b.cls ? a.cls : ByteClass::mixed;
    s.balance = a.balance + b.balance;
    s.lowest = std::min(a.lowest, a.balance + b.lowest);
    s.lowestInner = std::min(a.lowest, a.balance + b.lowestInner);
    return s;
}

// The shape of a text that ends with ")" once that byte is gone; only ever the left part of
// a longer text, so its last byte and inner depth are never read.
Shape withoutLastByte(const Shape& a) {
    RILL_ASSERT(a.length >= 2 && a.last == ')');
    Shape s = a;
    s.length = a.length - 1;
    s.second = s.length >= 2 ? a.second : 0;
    s.last = 0;
    s.lowest = a.lowestInner; // ")" leaves the depth as it was
    s.lowestInner = a.lowestInner;
    return s;
}

const Shape kOpening = shapeOf("(");
const Shape kSpace = shapeOf(" ");
const Shape kClosing = shapeOf(")");

// True when the text is one square-bracket group: it opens with "[" and the partner of that
// bracket is its last byte.
bool isOneGroup(const Shape& s) {
    return s.first == '[' && s.balance == 0 && s.lowestInner >= 1;
}

// How an application (P X) is written from the renderings s1 of P and s2 of X.
enum class Rule : unsigned char {
    openList,    // s1 without its ")", a space, s2, ")"
    juxtapose,   // s1 s2
    parenthesise // "(" s1 " " s2 ")"
};

Rule ruleFor(const Shape& s1, const Shape& s2) {
    if (s1.first == '(' && s1.length >= 2 && s1.second != ')')
        return Rule::openList;
    if (isOneGroup(s2))
        return Rule::juxtapose;
    if (s2.length >= 2 && (s2.cls == ByteClass::mixed || s2.cls == ByteClass::other))
        return Rule::parenthesise;
    // s2 is one byte, a run of lower bytes or a run of digits: words and numbers must not
    // run together.
    const ByteClass b = classOfByte(s1.last);
    if (b == s2.cls && (b == ByteClass::lower || b == ByteClass::digit))
        return Rule::parenthesise;
    return Rule::juxtapose;
}

Shape shapeFor(Rule rule, const Shape& s1, const Shape& s2) {
    switch (rule) {
    case Rule::openList: return concat(concat(concat(withoutLastByte(s1), kSpace), s2), kClosing);
    case Rule::juxtapose: return concat(s1, s2);
    case Rule::parenthesise:
        return concat(concat(concat(concat(kOpening, s1), kSpace), s2), kClosing);
    }
    RILL_ASSERT(false);
    return s1;
}

// Appends the rendering of an atom.
void appendAtom(Node* atom, std::string& out) {
    const std::string_view text(atomBytes(atom), measureText(atom));
    const auto first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    if (text.empty() || first == ')' || first == ']') {
        out += "()";
        return;
    }
    if (first == ' ') {
        out += "real[";
        out += realText(readReal(NodeRef(atom)));
        out += ']';
        return;
    }
    if (first == '(') {
        const std::size_t close = text.find(')');
        const std::string_view payload =
            close == std::string_view::npos ? std::string_view() : text.substr(close + 1);
        out += "cape[";
        for (const char c : payload) {
            switch (c) {
            case '\n': out += "[p]"; break;
            case '[': out += "[q]"; break;
            case ']': out += "[r]"; break;
            default: out += c; break;
            }
        }
        out += ']';
        return;
    }
    out += text;
}

// The rule of every application of the term, found from the shapes of its parts. The walk
// takes the argument part before the function part, so that the rules, read from the back,
// come in the order in which the text is written.
std::vector<Rule> findRules(Node* root) {
    struct Frame {
        Node* node;
        bool expanded;
    };
    std::vector<Frame> frames{{root, false}};
    std::vector<Shape> shapes;
    std::vector<Rule> rules;
    std::string scratch;
    while (!frames.empty()) {
        Frame& f = frames.back();
        Node* n = f.node;
        if (isAtomNode(n)) {
            scratch.clear();
            appendAtom(n, scratch);
            shapes.push_back(shapeOf(scratch));
            frames.pop_back();
            continue;
        }
        if (!f.expanded) {
            f.expanded = true;
            frames.push_back({functionOf(n), false});
            frames.push_back({argumentOf(n), false});
            continue;
        }
        const Shape s1 = shapes.back(); // the function part was walked last
        shapes.pop_back();
        const Shape s2 = shapes.back();
        shapes.pop_back();
        const Rule rule = ruleFor(s1, s2);
        rules.push_back(rule);
        shapes.push_back(shapeFor(rule, s1, s2));
        frames.pop_back();
    }
    return rules;
}

} // namespace

std::string renderTerm(NodeRef term) {
    std::vector<Rule> rules = findRules(term.get());
    // Writes the text front to back; an item is a node to write, or one byte when the node
    // is null. An open call list writes its function part without the closing parenthesis.
    struct Item {
        Node* node;
        char byte;
        bool withoutClosing;
    };
    std::vector<Item> items{{term.get(), 0, false}};
    std::string out;
    while (!items.empty()) {
        const Item item = items.back();
        items.pop_back();
        Node* n = item.node;
        if (n == nullptr) {
            out += item.byte;
            continue;
        }
        if (isAtomNode(n)) {
            RILL_ASSERT(!item.withoutClosing);
            appendAtom(n, out);
            continue;
        }
        RILL_ASSERT(!rules.empty());
        const Rule rule = rules.back();
        rules.pop_back();
        switch (rule) {
        case Rule::juxtapose:
            RILL_ASSERT(!item.withoutClosing);
            items.push_back({argumentOf(n), 0, false});
            items.push_back({functionOf(n), 0, false});
            break;
        case Rule::parenthesise:
            if (!item.withoutClosing)
                items.push_back({nullptr, ')', false});
            items.push_back({argumentOf(n), 0, false});
            items.push_back({nullptr, ' ', false});
            items.push_back({functionOf(n), 0, false});
            items.push_back({nullptr, '(', false});
            break;
        case Rule::openList:
            if (!item.withoutClosing)
                items.push_back({nullptr, ')', false});
            items.push_back({argumentOf(n), 0, false});
            items.push_back({nullptr, ' ', false});
            items.push_back({functionOf(n), 0, true});
            break;
        }
    }
    RILL_ASSERT(rules.empty());
    return out;
}

NodeRef builtin_lisp(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    std::string text = "[";
    text += renderTerm(std::move(x));
    text += ']';
    return makeAtom(std::move(text));
}

NodeRef builtin_type(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    const char* word = "[void]";
    switch (valueKind(x)) {
    case ValueKind::block: word = "[post]"; break;
    case ValueKind::real: word = "[real]"; break;
    case ValueKind::integer: word = "[hint]"; break;
    case ValueKind::oForm: word = "[numb]"; break;
    case ValueKind::string: word = "[zits]"; break;
    case ValueKind::other: word = "[void]"; break;
    }
    NodeRef kind = makeAtom(word);
    return shareTerms(kind);
}

NodeRef builtin_tern(NodeRef call) {
    auto [x] = takeArguments<1>(std::move(call));
    return shareTerms(x);
}

} // namespace rill
