// Test support for the built-ins: calling one by name as the reducer does, and the values a
// test passes to them (bit-list cells, C addresses).
#pragma once

#include "builtins/builtin_table.h"
#include "core/node_store.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace rill::testing {

// Calls the built-in name with the given arguments through its table entry, as the reducer
// does once the call has all its arguments.
inline NodeRef callNamed(const char* name, std::vector<NodeRef> arguments = {}) {
    NodeRef call = makeAtom(name);
    for (NodeRef& a : arguments)
        call = apply(std::move(call), std::move(a));
    const BuiltinEntry* entry = findBuiltin(name);
    EXPECT_NE(entry, nullptr) << name;
    if (entry == nullptr)
        return makeAtom("no such built-in");
    EXPECT_EQ(entry->arity, arguments.size()) << name;
    return callImplementation(*entry, std::move(call));
}

// The list cell (J bit rest) of an integer's bit list: bit is "K" or "H".
inline NodeRef cell(const char* bit, NodeRef rest) {
    return apply(makeAtom("J"), makeAtom(bit), std::move(rest));
}

// A C address as the integer a program passes for it.
inline NodeRef address(const void* p) {
    return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)));
}

// The bytes of an atom.
inline std::string text(const NodeRef& n) {
    return std::string(atomText(n));
}

} // namespace rill::testing
