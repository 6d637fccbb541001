#include "builtins/c_bridge.h"

#include "builtins/c_char_classes.h"
#include "builtins/c_directories.h"
#include "builtins/c_math.h"
#include "builtins/c_memory.h"
#include "builtins/c_process.h"
#include "builtins/c_sockets.h"
#include "builtins/c_streams.h"
#include "builtins/c_strings.h"
#include "builtins/c_time.h"
#include "builtins/calling_protocol.h"
#include "builtins/real_numbers.h"
#include "core/assertion.h"

#include <cinttypes>
#include <map>
#include <string>

namespace rill {

namespace {

// The name of a call's head: the atom at the bottom of its spine.
std::string_view headName(const NodeRef& call) {
    const Node* h = call.get();
    while (!isAtomNode(h))
        h = functionOf(h);
    return std::string_view(atomBytes(h), measureText(h));
}

const std::map<std::string_view, const BridgeRow*>& bridgeRows() {
    static const auto& rows = *new std::map<std::string_view, const BridgeRow*>([] {
        std::map<std::string_view, const BridgeRow*> all;
        for (std::span<const BridgeRow> family :
             {socketRows(), streamRows(), memoryRows(), stringRows(), timeRows(), directoryRows(),
              charClassRows(), mathRows(), processRows()})
            for (const BridgeRow& row : family)
                all.emplace(row.name, &row);
        return all;
    }());
    return rows;
}

NodeRef resultValue(char kind, const CResult& r) {
    switch (kind) {
    case 'N': return makeInteger(static_cast<std::int64_t>(r.bits));
    case 'U': return makeUnsigned(r.bits);
    case 'P':
        return makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(r.pointer)));
    case 'R': return makeReal(r.real);
    case 'I': return makeNothing();
    case 'B': return makeTruth(r.bits != 0);
    case '-': RILL_ASSERT(false); return makeFailure(); // the call does not come back
    default: RILL_ASSERT(false); return makeFailure();
    }
}

} // namespace

BridgeArgs::BridgeArgs(NodeRef call, std::string_view kinds) {
    const int count = static_cast<int>(kinds.size());
    RILL_ASSERT(count <= kMostArguments);
    for (int k = count; k-- > 0;) {
        auto [function, argument] = takeParts(std::move(call));
        arguments_[k] = std::move(argument);
        call = std::move(function);
    }
    for (int k = 0; k < count && ok_; ++k) {
        const NodeRef& a = arguments_[k];
        switch (kinds[k]) {
        case 'N':
        case 'P':
            ok_ = isInteger(a);
            if (ok_)
                integers_[k] = toInt64(a);
            break;
        case 'S': {
            const ValueKind kind = valueKind(a);
            ok_ = kind == ValueKind::block || (kind == ValueKind::string && isAtom(a)) ||
                  (kind == ValueKind::integer && isInteger(a));
            if (ok_)
                pointers_[k] = toPointer(a);
            ok_ = ok_ && pointers_[k] != nullptr; // the address 0 holds no string
            break;
        }
        case 'R':
            ok_ = valueKind(a) == ValueKind::real;
            if (ok_)
                reals_[k] = readReal(a);
            break;
        default: RILL_ASSERT(false);
        }
    }
}

NodeRef callBridge(NodeRef call) {
    // The row of the last call's name is kept: a program calls the same wrapper over and over.
    static std::string lastName;
    static const BridgeRow* lastRow = nullptr;
    const std::string_view name = headName(call);
    const BridgeRow* row = lastRow;
    if (row == nullptr || name != lastName) {
        row = findBridgeRow(name);
        lastName = name;
        lastRow = row;
    }
    RILL_ASSERT(row != nullptr);
    const BridgeArgs args(std::move(call), row->kinds);
    if (!args.ok())
        return makeFailure();
    return resultValue(row->result, row->call(args));
}

const BridgeRow* findBridgeRow(std::string_view name) {
    const auto& rows = bridgeRows();
    const auto found = rows.find(name);
    return found == rows.end() ? nullptr : found->second;
}

NodeRef makeUnsigned(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIu64, value);
    return makeAtom(text);
}

} // namespace rill
