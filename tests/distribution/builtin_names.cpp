// Prints the name of every built-in, one a line, in the order of the built-in table, so that
// tests of files that list the built-ins (the editor grammars) take the names from the
// interpreter itself.
#include "builtins/builtin_table.h"

#include <cstdio>

int main() {
    for (const rill::BuiltinRow& row : rill::builtinRows())
        std::printf("%.*s\n", static_cast<int>(row.name.size()), row.name.data());
    return 0;
}
