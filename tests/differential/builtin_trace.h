// The trace of built-in calls: one line per call, written as the call is made, for comparing
// the two machines. A line is the built-in's name, then each argument: its text when that is
// short, otherwise "#" and a 64-bit hash of its structure.
//
// Describing a call only reads the graph (atom texts and child pointers): no node is
// classified, retained or released, so a traced run takes the same course as an untraced one.
#pragma once

#include "core/node_store.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rill::trace {

// Which integers are told apart by the order of their first appearance instead of by value:
// the first such integer is written "@1", the next new one "@2", and so on.
enum class Renaming {
    none,
    addresses, // non-negative integers from 2^40 to 2^47: where this platform maps memory
};

// Describes calls; keeps the names given to renamed integers from one call to the next.
class CallDescriber {
public:
    explicit CallDescriber(Renaming renaming) : renaming_(renaming) {}

    // The line for a saturated call (((b a1) a2) .. an), without the newline.
    std::string describeCall(const Node* call);
    // An argument: its text when it is at most kShownBytes long, otherwise its hash.
    std::string describe(const Node* term);
    // The structural hash: atoms by their text, applications by their parts, in one pass
    // over the shared graph with an explicit work list.
    std::uint64_t hash(const Node* term);

    static constexpr std::size_t kShownBytes = 60;

private:
    // True when the text is an integer the renaming applies to.
    bool renames(std::string_view text) const;
    // The text an atom is shown and hashed by: escaped, or renamed.
    std::string atomWord(const Node* atom);
    // The written form of the term, or false when it would pass kShownBytes.
    bool render(const Node* term, std::string& out);

    // A work item of rendering: a term to write, or a literal (when node is null).
    struct RenderItem {
        const Node* node;
        const char* literal;
    };

    Renaming renaming_;
    std::unordered_map<std::string, std::size_t> renamed_;
    std::unordered_map<const Node*, std::uint64_t> hashes_; // one call's, cleared after it
    // Work lists, kept from call to call.
    std::vector<RenderItem> renderWork_;
    std::vector<const Node*> spine_, hashWork_, arguments_;
};

// Writes a line for every built-in call from now on to the file at path (made afresh).
// False when the file cannot be made.
bool startTrace(const char* path, Renaming renaming);

} // namespace rill::trace
