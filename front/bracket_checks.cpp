#include "front/bracket_checks.h"

#include "core/assertion.h"
#include "core/node_store.h"
#include "front/lexical_classes.h"

#include <string_view>
#include <vector>

namespace rill {

namespace {

// The first position that five base-64 digits cannot write.
constexpr std::int64_t kLargestPosition = std::int64_t{1} << 30;

// A failed check: the five-letter type, the position in brackets as its code, the message.
BracketCheck failure(std::string_view type, std::size_t position, std::string_view message) {
    BracketCheck check;
    check.ok = false;
    check.position = position;
    check.report = type;
    check.report += '[';
    check.report += positionCode(static_cast<std::int64_t>(position));
    check.report += ']';
    check.report += message;
    return check;
}

// The kind of bracket a byte closes or opens, as one byte: "(", "[" or "{".
char kindOf(char bracket) {
    switch (bracket) {
    case '(':
    case ')': return '(';
    case '[':
    case ']': return '[';
    default: return '{';
    }
}

// Every bracket closed by one of its own kind; nothing inside a square literal is examined.
BracketCheck matchAllBrackets(const CodeText& raw) {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (!open.empty() && raw[open.back()] == '[') {
            if (c == '[')
                open.push_back(i);
            else if (c == ']')
                open.pop_back();
            continue;
        }
        if (c == '(' || c == '[' || c == '{') {
            open.push_back(i);
            continue;
        }
        if (c != ')' && c != ']' && c != '}')
            continue;
        const auto closer = static_cast<unsigned char>(c);
        if (open.empty()) {
            std::string message = "Left dangling ";
            message += bracketKindWord(closer);
            message += '.';
            return failure("Match", i, message);
        }
        const std::size_t opener = open.back();
        if (kindOf(raw[opener]) != kindOf(c)) {
            std::string message = "Doesn't fit '";
            message += c;
            message += "' at [";
            message += positionCode(static_cast<std::int64_t>(i));
            message += "].";
            return failure("Match", opener, message);
        }
        open.pop_back();
    }
    if (!open.empty()) {
        std::string message = "Right dangling ";
        message += bracketKindWord(static_cast<unsigned char>(raw[open.back()]));
        message += '.';
        return failure("Match", open.back(), message);
    }
    return BracketCheck{};
}

// Walking backward, the stack holds the closing bracket of each open group and, above an open
// round group, the leftmost comma seen so far at that group's own level.
BracketCheck findCommasOutsideCalls(const CodeText& raw) {
    std::vector<std::size_t> stack;
    for (std::size_t i = raw.size(); i-- > 0;) {
        const char c = raw[i];
        switch (c) {
        case ']': i = matchBracket(raw, i); break;
        case ')':
        case '}': stack.push_back(i); break;
        case ',':
            if (stack.empty() || raw[stack.back()] == '}')
                break;
            if (raw[stack.back()] == ',')
                stack.back() = i;
            else
                stack.push_back(i);
            break;
        case '{':
            RILL_ASSERT(!stack.empty());
            stack.pop_back();
            break;
        case '(': {
            // Commas in a round group are legal only in a call list: a group that follows ")",
            // "]" or a byte next to which spaces are kept (the end of a term). A group at the
            // very start is never one.
            const bool commaOnTop = !stack.empty() && raw[stack.back()] == ',';
            bool illegal;
            if (i == 0) {
                illegal = stack.size() == 2;
            } else {
                const auto before = static_cast<unsigned char>(raw[i - 1]);
                illegal = commaOnTop && before != ')' && before != ']' && absorbsSpace(before);
            }
            if (illegal)
                return failure("Comma", stack.back(),
                               "Comma encountered in parenthesization which is not a call list.");
            if (commaOnTop)
                stack.pop_back();
            RILL_ASSERT(!stack.empty());
            stack.pop_back();
            break;
        }
        default: break;
        }
    }
    return BracketCheck{};
}

} // namespace

std::string positionCode(std::int64_t position) {
    RILL_ASSERT(position >= 0);
    // Five digits reach 2^30 - 1; a program of more than 2^30 bytes can have its fault
    // further on, and every position from 2^30 on is shown as the one past the digits.
    if (position >= kLargestPosition)
        return "!!!!!";
    std::string code(5, kDigitAlphabet[0]);
    for (int k = 4; k >= 0; --k) {
        code[static_cast<std::size_t>(k)] = kDigitAlphabet[static_cast<std::size_t>(position & 63)];
        position >>= 6;
    }
    return code;
}

BracketCheck checkBrackets(const CodeText& raw) {
    // The comma check may rely on every bracket having its partner.
    BracketCheck check = matchAllBrackets(raw);
    if (!check.ok)
        return check;
    return findCommasOutsideCalls(raw);
}

} // namespace rill
