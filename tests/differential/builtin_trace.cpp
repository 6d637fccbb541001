#include "tests/differential/builtin_trace.h"

#include "core/contraction.h"

#include <cstdio>
#include <vector>

namespace rill::trace {

namespace {

// The splitmix64 finaliser: spreads every input bit over the whole word.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9;
    x = (x ^ (x >> 27)) * 0x94d049bb133111eb;
    return x ^ (x >> 31);
}

// FNV-1a over the bytes, then mixed.
std::uint64_t hashBytes(std::string_view text, std::uint64_t h = 0xcbf29ce484222325) {
    for (unsigned char c : text)
        h = (h ^ c) * 0x100000001b3;
    return mix(h ^ text.size());
}

// A long text is hashed by its length and its two ends only: a program that grows a string
// call by call would otherwise cost time in the square of its length.
constexpr std::size_t kHashedEnd = 2048;

std::uint64_t hashText(std::string_view text) {
    if (text.size() <= 2 * kHashedEnd)
        return hashBytes(text);
    return hashBytes(text.substr(text.size() - kHashedEnd), hashBytes(text.substr(0, kHashedEnd)));
}

bool isIntegerText(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Bytes that are shown as they are; every other byte is written %XX, so that the text of an
// atom cannot be taken for the structure around it.
bool isPlainByte(unsigned char c) {
    return c > ' ' && c < 0x7f && c != '%' && c != '#' && c != '@' && c != '(' && c != ')';
}

} // namespace

bool CallDescriber::renames(std::string_view text) const {
    if (renaming_ == Renaming::none || !isIntegerText(text))
        return false;
    // A negative integer ("0" and digits) or one of more than 15 digits is no address.
    if (text.size() > 15 || (text.size() > 1 && text[0] == '0'))
        return false;
    const std::uint64_t value = std::stoull(std::string(text));
    return value >= (std::uint64_t{1} << 40) && value < (std::uint64_t{1} << 47);
}

std::string CallDescriber::atomWord(const Node* atom) {
    const std::string_view text(atomBytes(atom), measureText(atom));
    if (renames(text)) {
        auto [at, added] = renamed_.try_emplace(std::string(text), renamed_.size() + 1);
        return std::string(1, '@').append(std::to_string(at->second));
    }
    std::string word;
    word.reserve(text.size());
    static const char kHex[] = "0123456789abcdef";
    for (unsigned char c : text) {
        if (isPlainByte(c)) {
            word += static_cast<char>(c);
        } else {
            word += '%';
            word += kHex[c >> 4];
            word += kHex[c & 15];
        }
    }
    return word;
}

bool CallDescriber::render(const Node* term, std::string& out) {
    std::vector<RenderItem>& work = renderWork_;
    std::vector<const Node*>& spine = spine_;
    work.clear();
    work.push_back({term, nullptr});
    while (!work.empty()) {
        const RenderItem item = work.back();
        work.pop_back();
        if (item.node == nullptr) {
            out += item.literal;
        } else if (isAtomNode(item.node)) {
            if (measureText(item.node) > kShownBytes)
                return false;
            out += atomWord(item.node);
        } else {
            // (h a1 .. an): the head and the arguments along the spine.
            spine.clear();
            const Node* h = item.node;
            while (!isAtomNode(h)) {
                spine.push_back(argumentOf(h));
                h = functionOf(h);
            }
            out += '(';
            work.push_back({nullptr, ")"});
            for (const Node* a : spine) {
                work.push_back({a, nullptr});
                work.push_back({nullptr, " "});
            }
            work.push_back({h, nullptr});
        }
        if (out.size() > kShownBytes)
            return false;
    }
    return true;
}

std::uint64_t CallDescriber::hash(const Node* term) {
    // Post order over the graph: a node's hash is made once both parts have theirs.
    std::vector<const Node*>& work = hashWork_;
    work.clear();
    work.push_back(term);
    while (!work.empty()) {
        const Node* n = work.back();
        if (hashes_.contains(n)) {
            work.pop_back();
            continue;
        }
        if (isAtomNode(n)) {
            const std::string_view text(atomBytes(n), measureText(n));
            hashes_.emplace(n, renames(text) ? hashText(atomWord(n)) : hashText(text));
            work.pop_back();
            continue;
        }
        const auto f = hashes_.find(functionOf(n));
        const auto a = hashes_.find(argumentOf(n));
        if (f != hashes_.end() && a != hashes_.end()) {
            hashes_.emplace(n, mix(f->second * 31 + mix(a->second ^ 0x5a5a5a5a5a5a5a5a)));
            work.pop_back();
            continue;
        }
        if (f == hashes_.end())
            work.push_back(functionOf(n));
        if (a == hashes_.end())
            work.push_back(argumentOf(n));
    }
    return hashes_.at(term);
}

std::string CallDescriber::describe(const Node* term) {
    std::string shown;
    if (render(term, shown))
        return shown;
    char text[24];
    std::snprintf(text, sizeof text, "#%016llx", static_cast<unsigned long long>(hash(term)));
    return text;
}

std::string CallDescriber::describeCall(const Node* call) {
    std::vector<const Node*>& arguments = arguments_;
    arguments.clear();
    const Node* h = call;
    while (!isAtomNode(h)) {
        arguments.push_back(argumentOf(h));
        h = functionOf(h);
    }
    std::string line = atomWord(h);
    for (auto a = arguments.rbegin(); a != arguments.rend(); ++a) {
        line += ' ';
        line += describe(*a);
    }
    // A map that once held a large argument is let go: clearing it would cost its whole
    // bucket array at every call.
    if (hashes_.size() > 4096)
        hashes_ = {};
    else if (!hashes_.empty())
        hashes_.clear();
    return line;
}

namespace {

std::FILE* traceFile = nullptr;
CallDescriber* describer = nullptr;

void writeCall(const NodeRef& call) {
    std::string line = describer->describeCall(call.get());
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), traceFile);
}

} // namespace

bool startTrace(const char* path, Renaming renaming) {
    // "e": the file is not handed to programs the run starts through the shell.
    traceFile = std::fopen(path, "we");
    if (traceFile == nullptr)
        return false;
    static char buffer[1 << 16]; // static storage: still there when exit flushes the file
    std::setvbuf(traceFile, buffer, _IOFBF, sizeof buffer);
    // Made once and never destroyed: a program may end the process from inside a built-in.
    describer = new CallDescriber(renaming);
    observeBuiltinCalls(writeCall);
    return true;
}

} // namespace rill::trace
