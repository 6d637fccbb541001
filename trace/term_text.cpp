#include "trace/term_text.h"

#include "builtins/real_numbers.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace rill {

namespace {

// The bytes that are operators when they stand between two operands.
bool isOperatorByte(unsigned char c) {
    return std::string_view("{,}~!@#$%^&*<>-|+/=\\.'\":;?`").find(static_cast<char>(c)) !=
           std::string_view::npos;
}

// Writes text into out, with control bytes escaped, until out holds `limit` bytes.
void appendShown(std::string_view text, std::string& out, std::size_t limit) {
    for (const char c : text) {
        if (out.size() >= limit)
            return;
        const auto b = static_cast<unsigned char>(c);
        if (b == '\n') {
            out += "\\n";
        } else if (b == '\t') {
            out += "\\t";
        } else if (b < 32 || b == 127) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
}

void appendAtom(const Node* atom, std::string& out, std::size_t limit) {
    const std::string_view text = atomTextOf(atom);
    const auto first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    if (text.empty() || first == ')' || first == ']') {
        out += "()";
    } else if (first == ' ') {
        out += "real[";
        out += realText(readReal(NodeRef(const_cast<Node*>(atom))));
        out += ']';
    } else if (first == '(') {
        const std::size_t close = text.find(')');
        out += "cape[";
        if (close != std::string_view::npos)
            appendShown(text.substr(close + 1), out, limit);
        out += ']';
    } else {
        appendShown(text, out, limit);
    }
}

} // namespace

void appendAtomText(const Node* atom, std::string& out, std::size_t width) {
    const std::size_t start = out.size();
    appendAtom(atom, out, start + width + 1);
    if (out.size() - start > width) {
        out.resize(start + width);
        out += "...";
    }
}

std::string shownText(std::string_view bytes) {
    std::string out;
    appendShown(bytes, out, ~std::size_t{0});
    return out;
}

std::string termText(const Node* term, std::size_t width) {
    // A work list of nodes to write and of fixed texts between them, taken from the back.
    struct Item {
        const Node* node; // null: write `text`
        std::string_view text;
    };
    std::vector<Item> items{{term, {}}};
    std::vector<const Node*> arguments;
    std::string out;
    const std::size_t limit = width + 1; // one byte more shows that the text goes on
    while (!items.empty() && out.size() < limit) {
        const Item item = items.back();
        items.pop_back();
        if (item.node == nullptr) {
            out += item.text;
            continue;
        }
        if (isAtomNode(item.node)) {
            appendAtom(item.node, out, limit);
            continue;
        }
        // The spine is walked to its head only as far as the text could show its arguments:
        // a longer one is written with its head and first arguments left out, as "(...)".
        arguments.clear();
        const Node* head = item.node;
        while (!isAtomNode(head) && arguments.size() <= width) {
            arguments.push_back(argumentOf(head));
            head = functionOf(head);
        }
        if (!isAtomNode(head)) {
            items.push_back({nullptr, ")"});
            for (std::size_t i = 0; i < arguments.size(); ++i) {
                items.push_back({arguments[i], {}});
                items.push_back({nullptr, i + 1 < arguments.size() ? "," : "(...)("});
            }
            continue;
        }
        // arguments holds the last argument first; items are written from the back, so the
        // texts go in from the end of the call to its start.
        const std::size_t count = arguments.size();
        const unsigned char h = firstByteOf(head);
        const bool oneByteHead = atomBytes(head)[1] == '\0';
        if (oneByteHead && (h == '\\' || h == '{') && count >= (h == '\\' ? 2u : 3u)) {
            // (\ v body) a ... and ({ v e body) a ...
            const std::size_t own = h == '\\' ? 2 : 3;
            if (count > own) {
                items.push_back({nullptr, ")"});
                for (std::size_t i = 0; i + own < count; ++i) {
                    items.push_back({arguments[i], {}});
                    items.push_back({nullptr, i + 1 + own < count ? "," : "("});
                }
            }
            items.push_back({nullptr, ")"});
            items.push_back({arguments[count - own], {}}); // the body
            if (h == '{') {
                items.push_back({nullptr, "}"});
                items.push_back({arguments[count - 2], {}});
                items.push_back({nullptr, "{"});
            } else {
                items.push_back({nullptr, "\\"});
            }
            items.push_back({arguments[count - 1], {}});
            items.push_back({nullptr, "("});
            continue;
        }
        if (oneByteHead && isOperatorByte(h) && count == 2) {
            // (a op b)
            items.push_back({nullptr, ")"});
            items.push_back({arguments[0], {}});
            items.push_back({nullptr, std::string_view(atomBytes(head), 1)});
            items.push_back({arguments[1], {}});
            items.push_back({nullptr, "("});
            continue;
        }
        items.push_back({nullptr, ")"});
        for (std::size_t i = 0; i < count; ++i) {
            items.push_back({arguments[i], {}});
            items.push_back({nullptr, i + 1 < count ? "," : "("});
        }
        items.push_back({head, {}});
    }
    if (out.size() > width) {
        out.resize(width);
        out += "...";
    }
    return out;
}

} // namespace rill
