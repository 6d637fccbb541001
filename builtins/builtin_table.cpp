#include "builtins/builtin_table.h"

#include "builtins/arithmetic.h"
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
#include "builtins/comparison.h"
#include "builtins/data_builtins.h"
#include "builtins/real_numbers.h"
#include "middle/runtime_loading.h"
#include "middle/value_rendering.h"

#include <iterator>
#include <vector>

namespace rill {

namespace {

// Every native built-in, grouped by family; the names and arities are the language's.
constexpr BuiltinRow kNativeRows[] = {
    // Arithmetic
    {"plus", 2, builtin_plus},
    {"dash", 2, builtin_dash},
    {"mult", 2, builtin_mult},
    {"over", 2, builtin_over},
    {"cent", 2, builtin_cent},
    {"powa", 2, builtin_powa},
    // Comparison
    {"less", 2, builtin_less},
    {"gteq", 2, builtin_gteq},
    {"same", 2, builtin_same},
    {"diff", 2, builtin_diff},
    {"cmpr", 2, builtin_cmpr},
    // Real numbers
    {"real", 1, builtin_real},
    // Data: strings, lists and records
    {"buck", 1, builtin_buck},
    {"wave", 1, builtin_wave},
    {"lits", 1, builtin_lits},
    {"lots", 1, builtin_lots},
    {"left", 1, builtin_left},
    {"rght", 1, builtin_rght},
    {"cape", 1, builtin_cape},
    {"init", 1, builtin_init},
    {"leaf", 1, builtin_leaf},
    {"leak", 1, builtin_leak},
    {"rank", 1, builtin_rank},
    {"zits", 1, builtin_zits},
    {"raws", 2, builtin_raws},
    {"copy", 2, builtin_copy},
    {"look", 2, builtin_look},
    {"cork", 3, builtin_cork},
    {"trim", 3, builtin_trim},
    {"gets", 1, builtin_gets},
    {"gett", 1, builtin_gett},
    {"getu", 1, builtin_getu},
    {"getv", 1, builtin_getv},
    {"getw", 1, builtin_getw},
    {"getx", 1, builtin_getx},
    {"gety", 1, builtin_gety},
    {"getz", 1, builtin_getz},
    {"sett", 2, builtin_sett},
    {"setu", 2, builtin_setu},
    {"setw", 2, builtin_setw},
    {"setx", 2, builtin_setx},
    // Rendering
    {"lisp", 1, builtin_lisp},
    {"type", 1, builtin_type},
    {"tern", 1, builtin_tern},
    // Run-time loading
    {"load", 1, builtin_load},
    // C library: the program's own assertion (every other C library built-in is a bridge row)
    {"assert", 1, builtin_assert},
};

// The families of C library wrappers, in the table's order. Their rows (in builtins/c_*.cpp)
// are taken as they are: a row's name is the built-in's, its argument kinds give the arity.
constexpr std::span<const BridgeRow> (*kBridgeFamilies[])() = {
    socketRows,    streamRows,    memoryRows, stringRows, timeRows,
    directoryRows, charClassRows, mathRows,   processRows};

const std::vector<BuiltinRow>& allRows() {
    static const auto& rows = *new std::vector<BuiltinRow>([] {
        std::vector<BuiltinRow> all(std::begin(kNativeRows), std::end(kNativeRows));
        for (auto family : kBridgeFamilies)
            for (const BridgeRow& row : family())
                all.push_back(
                    {row.name, static_cast<std::uint8_t>(row.kinds.size()), nullptr, &row});
        return all;
    }());
    return rows;
}

BuiltinTable& storage() {
    static BuiltinTable table;
    return table;
}

#ifdef RILL_FUZZ_BOUNDS
// The fuzzing build keeps a fuzzed program off the machine it runs on: every built-in that
// reaches files, processes, signals, sockets, raw memory or standard input answers "Z". What
// is left computes on values alone: the constants, the error number, and the C library's
// mathematics and character classes.
bool touchesTheMachine(const BuiltinRow& row) {
    static constexpr std::string_view kEffects[] = {
        "assert", "copy", "gets", "gett", "getu", "getv", "getw", "getx", // raw memory
        "gety",   "getz", "sett", "setu", "setw", "setx"};
    if (row.bridge == nullptr) {
        for (std::string_view name : kEffects)
            if (row.name == name)
                return true;
        return false;
    }
    if (row.bridge->call == nullptr || row.name == "errno")
        return false;
    for (std::span<const BridgeRow> family : {mathRows(), charClassRows()})
        if (row.bridge >= family.data() && row.bridge < family.data() + family.size())
            return false;
    return true;
}

// What every built-in that touches the machine answers in the fuzzing build.
NodeRef refuse(NodeRef call) {
    (void)call; // released here
    return makeFailure();
}
#endif

} // namespace

BuiltinTable& builtinTable() {
    BuiltinTable& table = storage();
    if (table.empty()) {
        for (const BuiltinRow& row : allRows()) {
            BuiltinEntry entry{row.arity, row.implementation, row.bridge};
#ifdef RILL_FUZZ_BOUNDS
            if (touchesTheMachine(row))
                entry = {row.arity, refuse, nullptr};
#endif
            table.emplace(std::string(row.name), entry);
        }
    }
    return table;
}

void clearBuiltinTable() {
    storage().clear();
}

const BuiltinEntry* findBuiltin(std::string_view name) {
    const BuiltinTable& table = builtinTable();
    auto found = table.find(name);
    return found == table.end() ? nullptr : &found->second;
}

std::span<const BuiltinRow> builtinRows() {
    return allRows();
}

} // namespace rill
