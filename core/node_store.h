// The node store: the reference-counted expression graph that holds every value.
//
// A node is an atom (a byte text stored inline behind the header word) or an application
// (the header word, a function part and an argument part). Nodes are shared freely and
// reclaimed by reference counting; a NodeRef holds exactly one reference.
#pragma once

#include "core/assertion.h"
#include "core/run_bounds.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace rill {

// The header word, highest bit first:
//    63  62  61 ...... 56  55 ............ 30  29 ............. 0
//   [A ][P ][ arity code ][      span        ][ reference count  ]
// - A (bit 63): the atom flag, set for an atom and clear for an application.
// - P (bit 62): the pending flag, set when a reducible part lies below the head.
// - The arity code (bits 56-61) holds arity + 52: 1..63 for the arities -51..11.
// - Bits 56-62 together are the kind tag: 0 while unclassified, 64 ("@", P set and arity code
//   0) for inert data, otherwise the arity code and the pending flag.
// - The span (bits 30-55) holds, for an atom of digits or a bracket string, its text length
//   (0 when it is 2^26 or more); for inert data made of applications, a cached text length
//   (0 when not known); for any other term, its free letters, bit i for the letter "a" + i.
// - The reference count (bits 0-29): the references held on the node.
inline constexpr std::uint64_t kCountMask = (std::uint64_t{1} << 30) - 1;
inline constexpr int kSpanShift = 30;
inline constexpr std::uint64_t kSpanLimit = std::uint64_t{1} << 26;
inline constexpr std::uint64_t kSpanMask = (kSpanLimit - 1) << kSpanShift;
inline constexpr int kArityShift = 56;
inline constexpr std::uint64_t kArityMask = std::uint64_t{63} << kArityShift;
inline constexpr std::uint64_t kPendingBit = std::uint64_t{1} << 62;
inline constexpr std::uint64_t kAtomBit = std::uint64_t{1} << 63;
inline constexpr int kTagShift = 56;
inline constexpr std::uint64_t kTagMask = std::uint64_t{127} << kTagShift;
inline constexpr unsigned kDataTag = 64; // "@": inert data
inline constexpr int kArityBias = 52;    // the arity code holds arity + 52

// Every node starts with its header word.
struct Node {
    std::uint64_t header;
};

// An application: three words, each child a non-null pointer holding one reference.
struct Application : Node {
    Node* function;
    Node* argument;
};

// --- Raw node level -------------------------------------------------------------------------

[[noreturn]] void failCountOverflow(); // a count that would pass 2^30 - 1: out of memory
void freeNode(Node* n);                // slow path of release: the count was 1 (or 0: failure)

// Adds one reference; a count that would wrap ends the run as running out of memory does.
inline void retainNode(Node* n) {
    if ((n->header & kCountMask) == kCountMask)
        failCountOverflow();
    ++n->header;
}

// Gives one reference back; the last one frees the node and releases its children.
inline void releaseNode(Node* n) {
    if ((n->header & kCountMask) > 1) {
        --n->header;
        return;
    }
    freeNode(n);
}

inline bool isAtomNode(const Node* n) {
    return (n->header & kAtomBit) != 0;
}
inline Node* functionOf(const Node* n) {
    return static_cast<const Application*>(n)->function;
}
inline Node* argumentOf(const Node* n) {
    return static_cast<const Application*>(n)->argument;
}
// The stored bytes of an atom, NUL-terminated (the text may hold further NUL bytes).
inline const char* atomBytes(const Node* n) {
    return reinterpret_cast<const char*>(n + 1);
}
// The first byte of an atom's text; 0 for an application.
inline unsigned char firstByteOf(const Node* n) {
    return isAtomNode(n) ? static_cast<unsigned char>(atomBytes(n)[0]) : 0;
}
inline std::uint32_t countOf(const Node* n) {
    return static_cast<std::uint32_t>(n->header & kCountMask);
}
inline std::uint32_t spanOf(const Node* n) {
    return static_cast<std::uint32_t>((n->header & kSpanMask) >> kSpanShift);
}
inline unsigned kindTagOf(const Node* n) {
    return static_cast<unsigned>((n->header & kTagMask) >> kTagShift);
}
// Writes the span field; values of 2^26 or more are an internal failure.
inline void writeSpan(Node* n, std::uint64_t value) {
    RILL_ASSERT(value < kSpanLimit);
    n->header = (n->header & ~kSpanMask) | (value << kSpanShift);
}
// Writes the kind tag (arity code and pending flag together).
inline void writeKindTag(Node* n, unsigned tag) {
    RILL_ASSERT(tag < 128);
    n->header = (n->header & ~kTagMask) | (std::uint64_t{tag} << kTagShift);
}

// The byte length of an atom's text by the measuring rules: a space starts a 9-byte real,
// digits and "[" use the stored span, "(" a base-64 length prefix, anything else the NUL.
std::size_t measureText(const Node* atom);
// The atom's text, measured (borrowed from the node); an application gives the empty text.
inline std::string_view atomTextOf(const Node* n) {
    return isAtomNode(n) ? std::string_view(atomBytes(n), measureText(n)) : std::string_view();
}

// A new atom holding a copy of the n bytes; count 0, unclassified.
Node* newAtomNode(const char* bytes, std::size_t n);
// A new one-byte atom holding c, a byte that begins no number, string, block, real or
// marker (a letter or an operator): the same atom as newAtomNode(&c, 1), made directly.
Node* newLetterNode(char c);

#if defined(RILL_SANITIZE) && !defined(RILL_NO_POOLS)
#define RILL_NO_POOLS 1
#endif

namespace detail {
// A pool of blocks of one size: a free list of given-back blocks, and a chunk of fresh
// memory cut from the front. Applications and every size class of short atoms have one each;
// making and freeing a node is a few inlined instructions. The sanitizer build gives every
// node a block of its own, so that the address sanitizer sees each one; so does a build with
// RILL_NO_POOLS (for valgrind).
struct FreeBlock {
    FreeBlock* next;
};
struct Pool {
    FreeBlock* free = nullptr;
    char* bump = nullptr;
    char* end = nullptr;
    std::int64_t carved = 0; // blocks cut from chunks: the most ever in use at once
};
// Nodes of blocks of their own now alive (see peakNodeCount).
inline std::int64_t ownBlocks = 0;
void* refillPool(Pool& pool, std::size_t blockBytes); // the free list is empty
void* allocateBlock(std::size_t blockBytes);          // one block of its own
inline void* takeBlock(Pool& pool, std::size_t blockBytes) {
#ifdef RILL_NO_POOLS
    (void)pool;
    return allocateBlock(blockBytes);
#else
    if (FreeBlock* b = pool.free; b != nullptr) {
        pool.free = b->next;
        return b;
    }
    return refillPool(pool, blockBytes);
#endif
}
inline void giveBlock(Pool& pool, void* block) {
#ifdef RILL_NO_POOLS
    (void)pool;
    --ownBlocks;
#ifdef RILL_FUZZ_BOUNDS
    run_bounds::nodeFreed();
#endif
    std::free(block);
#else
    auto* b = static_cast<FreeBlock*>(block);
    b->next = pool.free;
    pool.free = b;
#endif
}
inline Pool applicationPool; // blocks of sizeof(Application)
inline void giveApplicationBlock(void* block) {
    giveBlock(applicationPool, block);
}
} // namespace detail

// The most nodes alive at once so far, for tools that watch a run's memory; nothing on the
// way of making and freeing a node counts. A pool's blocks are cut from its chunks only when
// its free list is empty, so the blocks cut are the most of that size ever in use at once;
// the sum over the pools (and the larger atoms) is the store's high-water mark. (A build
// without pools counts every node exactly.)
std::int64_t peakNodeCount();

// A new application taking over one reference on each child; count 0, unclassified.
inline Node* newApplicationNode(Node* function, Node* argument) {
    RILL_ASSERT(function != nullptr && argument != nullptr);
    auto* app =
        static_cast<Application*>(detail::takeBlock(detail::applicationPool, sizeof(Application)));
    app->header = 0;
    app->function = function;
    app->argument = argument;
    return app;
}

// --- The owning handle ----------------------------------------------------------------------

// Holds exactly one reference: copy retains, destruction releases, move hands over.
// Only a moved-from or default-made handle is empty; using an empty handle is a failure.
class NodeRef {
public:
    NodeRef() noexcept = default;
    // Takes a new reference on n (a null node is an internal failure).
    explicit NodeRef(Node* n) : node_(n) {
        RILL_ASSERT(n != nullptr);
        retainNode(n);
    }
    NodeRef(const NodeRef& other) : node_(other.node_) {
        RILL_ASSERT(node_ != nullptr);
        retainNode(node_);
    }
    NodeRef(NodeRef&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
    ~NodeRef() {
        if (node_ != nullptr)
            releaseNode(node_);
    }
    // Retains the source first, then releases the old node, so a node that holds the new
    // one as a child never frees it on the way.
    NodeRef& operator=(const NodeRef& other) {
        RILL_ASSERT(other.node_ != nullptr);
        if (node_ == other.node_)
            return *this;
        retainNode(other.node_);
        Node* old = node_;
        node_ = other.node_;
        if (old != nullptr)
            releaseNode(old);
        return *this;
    }
    NodeRef& operator=(NodeRef&& other) noexcept {
        if (this != &other) {
            Node* old = node_;
            node_ = other.node_;
            other.node_ = nullptr;
            if (old != nullptr)
                releaseNode(old);
        }
        return *this;
    }

    // Wraps a node on which the caller already holds a reference, taking it over.
    static NodeRef adopt(Node* n) {
        RILL_ASSERT(n != nullptr);
        NodeRef r;
        r.node_ = n;
        return r;
    }
    // Hands the reference out to the caller; the handle becomes empty.
    Node* detach() noexcept {
        Node* n = node_;
        node_ = nullptr;
        return n;
    }
    // The node, borrowed (an empty handle is an internal failure).
    Node* get() const {
        RILL_ASSERT(node_ != nullptr);
        return node_;
    }
    bool empty() const noexcept { return node_ == nullptr; }

private:
    Node* node_ = nullptr;
};

// --- Making nodes ---------------------------------------------------------------------------

NodeRef makeAtom(const char* text);       // a NUL-terminated text (null is a failure)
NodeRef makeAtom(std::string_view bytes); // a counted byte string, which may hold NULs
NodeRef makeAtom(std::string&& bytes);    // moves the bytes in; the string is left empty
NodeRef makeInteger(std::int64_t value);  // the decimal text: "0", "42", "042" for -42
// (p x)
inline NodeRef apply(NodeRef p, NodeRef x) {
    Node* f = p.detach();
    Node* a = x.detach();
    RILL_ASSERT(f != nullptr && a != nullptr);
    Node* n = newApplicationNode(f, a);
    ++n->header; // the handle's reference
    return NodeRef::adopt(n);
}
NodeRef apply(NodeRef p, NodeRef x, NodeRef y);            // ((p x) y)
NodeRef apply(NodeRef p, NodeRef x, NodeRef y, NodeRef z); // (((p x) y) z)

// Appends bytes to the contents of a bracket string held by nothing but this handle, in its
// own block (which grows, and may move, with room to spare); false when the string is shared
// or too short to have a block of its own, and then nothing changes.
bool appendToStringInPlace(NodeRef& string, std::string_view bytes);

// --- Reading nodes --------------------------------------------------------------------------

inline bool isApplication(const NodeRef& n) {
    return !isAtomNode(n.get());
}
inline bool isAtom(const NodeRef& n) {
    return isAtomNode(n.get());
}
NodeRef functionPart(const NodeRef& n); // a new reference; an atom here is an internal failure
NodeRef argumentPart(const NodeRef& n); // a new reference; an atom here is an internal failure
// The first byte of an atom's text; 0 for an application.
inline unsigned char firstByte(const NodeRef& n) {
    return firstByteOf(n.get());
}
// The atom's text, measured (borrowed from the node); an application gives the empty text.
std::string_view atomText(const NodeRef& n);
inline std::uint32_t referenceCount(const NodeRef& n) {
    return countOf(n.get());
}
inline std::uint32_t span(const NodeRef& n) {
    return spanOf(n.get());
}
// Splits a dying application into its parts; when the handle was the only reference the
// children change hands without touching their counts.
inline std::pair<NodeRef, NodeRef> takeParts(NodeRef app) {
    Node* n = app.detach();
    RILL_ASSERT(n != nullptr && !isAtomNode(n));
    Node* f = functionOf(n);
    Node* x = argumentOf(n);
    if (countOf(n) == 1) {
        detail::giveApplicationBlock(n);
        return {NodeRef::adopt(f), NodeRef::adopt(x)};
    }
    std::pair<NodeRef, NodeRef> parts{NodeRef(f), NodeRef(x)};
    releaseNode(n);
    return parts;
}

// --- The base-64 digit alphabet -------------------------------------------------------------

// "_abcdefghijklmnopqrustvwzxy0123456789ABCDEFGHIJKLMNOPQRUSTVWZXY~": value 0 is "_", 63 "~".
inline constexpr std::string_view kDigitAlphabet =
    "_abcdefghijklmnopqrustvwzxy0123456789ABCDEFGHIJKLMNOPQRUSTVWZXY~";
int base64Value(unsigned char digit);          // an invalid digit is an internal failure
std::string base64Digits(std::uint64_t value); // most significant first; 0 gives no digits
// The text of a data block: "(", the payload length in base 64, ")", the payload.
std::string blockText(std::string_view payload);

} // namespace rill
