#include "core/node_store.h"

#include "core/out_of_memory.h"
#include "core/work_stack.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace rill {

namespace {

// --- Pools ----------------------------------------------------------------------------------
//
// Applications come from their own free list of 24-byte blocks; atoms up to kLargestPooled
// bytes from free lists of 16-byte size classes. Blocks are carved from 64 KiB chunks and
// never returned to the system. Larger atoms use malloc. A freed atom is filed under the
// class of its measured size, which is never larger than the size it was made with, so a
// block is only ever reused for a node that fits it. The sanitizer build allocates every
// node on its own so that the address sanitizer sees each one.

constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::size_t kClassStep = 16;
constexpr std::size_t kLargestPooled = 256;
constexpr std::size_t kClassCount = kLargestPooled / kClassStep + 1;

using detail::giveBlock;
using detail::Pool;
using detail::takeBlock;

Pool atomPools[kClassCount];

void* allocateRaw(std::size_t bytes) {
    void* p = std::malloc(bytes);
    if (p == nullptr)
        failOutOfMemory();
#ifdef RILL_FUZZ_BOUNDS
    run_bounds::nodeMade(); // every node is a block of its own in that build
#endif
    return p;
}

// The most nodes of blocks of their own alive at once.
std::int64_t mostOwnBlocks = 0;

void* allocateOwnBlock(std::size_t blockBytes) {
    void* p = allocateRaw(blockBytes);
    if (++detail::ownBlocks > mostOwnBlocks)
        mostOwnBlocks = detail::ownBlocks;
    return p;
}

std::size_t classOf(std::size_t blockBytes) {
    return (blockBytes + kClassStep - 1) / kClassStep;
}

void* allocateAtomBlock(std::size_t blockBytes) {
    if (blockBytes > kLargestPooled)
        return allocateOwnBlock(blockBytes);
    const std::size_t c = classOf(blockBytes);
    return takeBlock(atomPools[c], c * kClassStep);
}

void freeAtomBlock(Node* atom) {
    const std::size_t blockBytes = sizeof(Node) + measureText(atom) + 1;
    if (blockBytes > kLargestPooled) {
        --detail::ownBlocks;
#ifdef RILL_FUZZ_BOUNDS
        run_bounds::nodeFreed();
#endif
        std::free(atom);
        return;
    }
    giveBlock(atomPools[classOf(blockBytes)], atom);
}

// The depth-counting scan of a bracket text too long for the span field.
std::size_t scanBracketText(const char* s) {
    std::size_t depth = 1;
    std::size_t i = 1;
    for (;; ++i) {
        if (s[i] == '[')
            ++depth;
        else if (s[i] == ']' && --depth == 0)
            return i + 1;
    }
}

// The bytes a block text "(" digits ")" payload claims, or 0 when the prefix is malformed
// or the count does not fit in the n bytes at hand.
std::size_t claimedBlockLength(const char* s, std::size_t n) {
    std::size_t i = 1;
    std::uint64_t payload = 0;
    while (i < n && s[i] != ')') {
        const auto d = static_cast<unsigned char>(s[i]);
        const std::size_t at = kDigitAlphabet.find(static_cast<char>(d));
        if (at == std::string_view::npos || payload > (std::uint64_t{1} << 50))
            return 0;
        payload = payload * 64 + at;
        ++i;
    }
    if (i >= n)
        return 0;
    const std::size_t total = i + 1 + payload;
    return total <= n ? total : 0;
}

// Checks that the measuring rules read no byte beyond the n bytes given.
void checkMeasurable(const char* s, std::size_t n) {
    if (n == 0)
        return;
    if (s[0] == '(') {
        RILL_ASSERT(claimedBlockLength(s, n) != 0);
    } else if (s[0] == '[' && n >= kSpanLimit) {
        std::size_t depth = 0;
        std::size_t i = 0;
        for (; i < n; ++i) {
            if (s[i] == '[')
                ++depth;
            else if (s[i] == ']' && --depth == 0)
                break;
        }
        RILL_ASSERT(i < n);
    }
}

} // namespace

void* detail::refillPool(Pool& pool, std::size_t blockBytes) {
    ++pool.carved;
    if (static_cast<std::size_t>(pool.end - pool.bump) < blockBytes) {
        pool.bump = static_cast<char*>(allocateRaw(kChunkBytes));
        pool.end = pool.bump + kChunkBytes;
    }
    void* p = pool.bump;
    pool.bump += blockBytes;
    return p;
}

void* detail::allocateBlock(std::size_t blockBytes) {
    return allocateOwnBlock(blockBytes);
}

std::int64_t peakNodeCount() {
    std::int64_t blocks = mostOwnBlocks;
#ifndef RILL_NO_POOLS
    blocks += detail::applicationPool.carved;
    for (const Pool& pool : atomPools)
        blocks += pool.carved;
#endif
    return blocks;
}

// --- Raw node level -------------------------------------------------------------------------

void failCountOverflow() {
    // 2^30 holders of one node take many gigabytes: a run gets here only by growing that far.
    failOutOfMemory("one value is held by more terms than its count can record");
}

void freeNode(Node* n) {
    RILL_ASSERT(countOf(n) != 0);
    // Children whose last reference goes with their parent are freed from this work list, so
    // a chain of any length costs heap, not machine stack. The function part of each
    // application is given back before its argument part.
    static auto& pending = *new WorkStack<Node*>; // never destroyed: nodes die at exit too
    const std::size_t floor = pending.size();
    for (;;) {
        if (isAtomNode(n)) {
            freeAtomBlock(n);
        } else {
            Node* f = functionOf(n);
            Node* x = argumentOf(n);
            detail::giveApplicationBlock(n);
            RILL_ASSERT(f != nullptr && x != nullptr);
            const bool fDies = countOf(f) == 1;
            if (!fDies)
                releaseNode(f);
            const bool xDies = countOf(x) == 1;
            if (!xDies)
                releaseNode(x);
            if (fDies && xDies) {
                pending.push(x);
                n = f;
                continue;
            }
            if (fDies) {
                n = f;
                continue;
            }
            if (xDies) {
                n = x;
                continue;
            }
        }
        if (pending.empty(floor))
            return;
        n = pending.pop();
    }
}

std::size_t measureText(const Node* atom) {
    const char* s = atomBytes(atom);
    switch (s[0]) {
    case ' ': return 9;
    case '[': {
        const std::uint32_t len = spanOf(atom);
        return len != 0 ? len : scanBracketText(s);
    }
    case '(': {
        std::size_t i = 1;
        std::uint64_t payload = 0;
        while (s[i] != ')') {
            payload = payload * 64 + static_cast<std::uint64_t>(base64Value(s[i]));
            ++i;
        }
        return i + 1 + payload;
    }
    case '\0': return 0;
    default:
        if (s[0] >= '0' && s[0] <= '9') {
            const std::uint32_t len = spanOf(atom);
            return len != 0 ? len : std::strlen(s);
        }
        if (s[1] == '\0')
            return 1; // a letter
        return std::strlen(s);
    }
}

Node* newAtomNode(const char* bytes, std::size_t n) {
    checkMeasurable(bytes, n);
#ifdef RILL_FUZZ_BOUNDS
    run_bounds::atomMade(n);
#endif
    // A real is always nine bytes; a shorter text beginning with a space is padded with NULs
    // so that measuring it never reads past the block.
    const std::size_t stored = (n > 0 && bytes[0] == ' ' && n < 9) ? 9 : n;
    const std::size_t blockBytes = sizeof(Node) + stored + 1;
    auto* node = static_cast<Node*>(allocateAtomBlock(blockBytes));
    char* text = reinterpret_cast<char*>(node + 1);
    if (blockBytes <= kClassStep) {
        // A short text (a small number, a name): its block holds eight bytes of text, written
        // at once, the NULs after the text included.
        char word[8] = {};
        switch (n) {
        case 7: word[6] = bytes[6]; [[fallthrough]];
        case 6: word[5] = bytes[5]; [[fallthrough]];
        case 5: word[4] = bytes[4]; [[fallthrough]];
        case 4: word[3] = bytes[3]; [[fallthrough]];
        case 3: word[2] = bytes[2]; [[fallthrough]];
        case 2: word[1] = bytes[1]; [[fallthrough]];
        case 1: word[0] = bytes[0]; [[fallthrough]];
        default: break;
        }
        std::memcpy(text, word, sizeof word);
    } else {
        if (n != 0)
            std::memcpy(text, bytes, n);
        std::memset(text + n, 0, stored + 1 - n);
    }
    node->header = kAtomBit;
    if (n != 0 && ((bytes[0] >= '0' && bytes[0] <= '9') || bytes[0] == '[') && n < kSpanLimit)
        node->header |= std::uint64_t{n} << kSpanShift;
    return node;
}

Node* newLetterNode(char c) {
    RILL_ASSERT(!(c >= '0' && c <= '9') && c != '[' && c != '(' && c != ' ' && c != '\0');
    auto* node = static_cast<Node*>(allocateAtomBlock(sizeof(Node) + 2));
    char* text = reinterpret_cast<char*>(node + 1);
    text[0] = c;
    text[1] = '\0';
    node->header = kAtomBit;
    return node;
}

// --- Making nodes ---------------------------------------------------------------------------

NodeRef makeAtom(const char* text) {
    RILL_ASSERT(text != nullptr);
    return NodeRef(newAtomNode(text, std::strlen(text)));
}

NodeRef makeAtom(std::string_view bytes) {
    return NodeRef(newAtomNode(bytes.data(), bytes.size()));
}

NodeRef makeAtom(std::string&& bytes) {
    NodeRef r(newAtomNode(bytes.data(), bytes.size()));
    bytes.clear();
    return r;
}

NodeRef makeInteger(std::int64_t value) {
    if (value == 0)
        return makeAtom("0");
    std::uint64_t magnitude =
        value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : std::uint64_t(value);
    char buffer[24];
    char* p = buffer + sizeof buffer;
    while (magnitude != 0) {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (value < 0)
        *--p = '0';
    return makeAtom(std::string_view(p, static_cast<std::size_t>(buffer + sizeof buffer - p)));
}

NodeRef apply(NodeRef p, NodeRef x, NodeRef y) {
    return apply(apply(std::move(p), std::move(x)), std::move(y));
}

NodeRef apply(NodeRef p, NodeRef x, NodeRef y, NodeRef z) {
    return apply(apply(std::move(p), std::move(x), std::move(y)), std::move(z));
}

bool appendToStringInPlace(NodeRef& string, std::string_view bytes) {
    Node* n = string.get();
    if (countOf(n) != 1 || !isAtomNode(n) || atomBytes(n)[0] != '[')
        return false;
    const std::size_t length = measureText(n);
    if (sizeof(Node) + length + 1 <= kLargestPooled)
        return false; // a pooled block: copying a short string is cheap anyway
    const std::size_t grown = length + bytes.size();
    const std::size_t needed = sizeof(Node) + grown + 1;
    if (needed > malloc_usable_size(n)) {
        // Room for half as much again, so that a string built byte by byte is copied a
        // logarithmic number of times.
        void* moved = std::realloc(n, needed + needed / 2);
        if (moved == nullptr)
            failOutOfMemory();
        n = static_cast<Node*>(moved);
    }
    char* text = reinterpret_cast<char*>(n + 1);
    std::memcpy(text + length - 1, bytes.data(), bytes.size());
    text[grown - 1] = ']';
    text[grown] = '\0';
    writeSpan(n, grown < kSpanLimit ? grown : 0);
    string.detach();
    string = NodeRef::adopt(n);
    return true;
}

// --- Reading nodes --------------------------------------------------------------------------

NodeRef functionPart(const NodeRef& n) {
    RILL_ASSERT(isApplication(n));
    return NodeRef(functionOf(n.get()));
}

NodeRef argumentPart(const NodeRef& n) {
    RILL_ASSERT(isApplication(n));
    return NodeRef(argumentOf(n.get()));
}

std::string_view atomText(const NodeRef& n) {
    return atomTextOf(n.get());
}

// --- The base-64 digit alphabet -------------------------------------------------------------

int base64Value(unsigned char digit) {
    if (digit == '_')
        return 0;
    if (digit == '~')
        return 63;
    const std::size_t at = kDigitAlphabet.find(static_cast<char>(digit));
    RILL_ASSERT(at != std::string_view::npos);
    return static_cast<int>(at);
}

std::string base64Digits(std::uint64_t value) {
    std::string digits;
    while (value != 0) {
        digits.insert(digits.begin(), kDigitAlphabet[value % 64]);
        value /= 64;
    }
    return digits;
}

std::string blockText(std::string_view payload) {
    std::string text = "(";
    text += base64Digits(payload.size());
    text += ')';
    text.append(payload);
    return text;
}

} // namespace rill
