// The built-in table: every function the language offers beyond the prelude's combinators,
// by name, with its number of arguments and its implementation: a native function, or the row
// of a C library wrapper (whose kinds give the arity).
//
// Definition intake makes a definition for every entry; the reducer looks a name up again
// when a call of it has all its arguments and hands the call to the implementation.
#pragma once

#include "builtins/c_bridge.h"
#include "core/node_store.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace rill {

// An implementation: takes the saturated call, owns and releases it, returns the result.
using BuiltinFn = NodeRef (*)(NodeRef call);

// One built-in: its number of arguments (0 to 7) and its implementation, either a native
// function or a bridge row (the other is null).
struct BuiltinEntry {
    std::uint8_t arity;
    BuiltinFn implementation;
    const BridgeRow* bridge = nullptr;
};

// All built-ins by name, in plain byte order of the names.
using BuiltinTable = std::map<std::string, BuiltinEntry, std::less<>>;

// One row of the table's source: a name and its entry.
struct BuiltinRow {
    std::string_view name;
    std::uint8_t arity;
    BuiltinFn implementation;
    const BridgeRow* bridge = nullptr;
};

// The process-wide table; filled with every row whenever it is found empty.
BuiltinTable& builtinTable();
// Empties the table (the start-up reset); the next use of builtinTable refills it.
void clearBuiltinTable();
// The entry of a name, or null when the name is no built-in.
const BuiltinEntry* findBuiltin(std::string_view name);
// All 223 rows, grouped by family.
std::span<const BuiltinRow> builtinRows();

// Hands a saturated call (which it consumes) to the built-in's implementation.
inline NodeRef callImplementation(const BuiltinEntry& builtin, NodeRef call) {
    if (builtin.bridge != nullptr)
        return callBridge(*builtin.bridge, std::move(call));
    return builtin.implementation(std::move(call));
}

} // namespace rill
