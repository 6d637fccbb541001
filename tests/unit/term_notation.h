// Test support: terms written in node notation, (p x y) for ((p x) y), atoms bare.
#pragma once

#include "core/node_store.h"

#include <string>
#include <vector>

namespace rill::testing {

// The term in node notation (for the small terms of tests; it recurses on their depth).
inline std::string show(const NodeRef& n) {
    if (isAtom(n))
        return std::string(atomText(n));
    std::vector<NodeRef> arguments;
    NodeRef head = n;
    while (isApplication(head)) {
        arguments.push_back(argumentPart(head));
        head = functionPart(head);
    }
    std::string out = std::string(1, '(').append(show(head));
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        out.append(" ").append(show(*it));
    return out + ")";
}

} // namespace rill::testing
