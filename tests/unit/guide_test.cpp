// The user's guide (docs/guide.md) against the interpreter's own tables: its reference must
// name every built-in once, with the arity the built-in table gives it, and name nothing
// else as a built-in; its operator table must give every operator character a row.
#include "builtins/builtin_table.h"

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

std::string guideText() {
    std::ifstream in(RILL_GUIDE_PATH, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The part of the guide from a level-2 heading up to the next one.
std::string section(const std::string& text, const std::string& heading) {
    const std::string start = "\n## " + heading + "\n";
    const auto from = text.find(start);
    if (from == std::string::npos)
        return {};
    const auto to = text.find("\n## ", from + start.size());
    return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// Every table row "| `name` | arity |" of a text, by name, with the arities found.
std::multimap<std::string, int> builtinRowsOf(const std::string& text) {
    std::multimap<std::string, int> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("| `", 0) != 0)
            continue;
        const auto nameEnd = line.find("` | ", 3);
        if (nameEnd == std::string::npos)
            continue;
        const std::string name = line.substr(3, nameEnd - 3);
        const auto arityStart = nameEnd + 4;
        const auto arityEnd = line.find(" |", arityStart);
        if (arityEnd == std::string::npos || arityEnd == arityStart)
            continue;
        const std::string arity = line.substr(arityStart, arityEnd - arityStart);
        const bool isName =
            name.find_first_not_of("abcdefghijklmnopqrstuvwxyz_") == std::string::npos;
        const bool isNumber = arity.find_first_not_of("0123456789") == std::string::npos;
        if (isName && isNumber)
            rows.emplace(name, std::stoi(arity));
    }
    return rows;
}

TEST(Guide, ReferenceNamesEveryBuiltinOnceWithItsArity) {
    const std::string reference = section(guideText(), "Built-in functions");
    ASSERT_FALSE(reference.empty()) << "no section \"Built-in functions\" in " RILL_GUIDE_PATH;
    const auto rows = builtinRowsOf(reference);
    for (const BuiltinRow& builtin : builtinRows()) {
        const std::string name(builtin.name);
        EXPECT_EQ(rows.count(name), 1u) << name << " should have exactly one row";
        const auto found = rows.find(name);
        if (found != rows.end()) {
            EXPECT_EQ(found->second, builtin.arity) << "arity of " << name;
        }
    }
    for (const auto& [name, arity] : rows)
        EXPECT_NE(findBuiltin(name), nullptr) << name << " is in the guide but no built-in";
    EXPECT_EQ(rows.size(), builtinRows().size());
}

TEST(Guide, OperatorTableHasEveryOperatorCharacter) {
    const std::string operators = section(guideText(), "Operators");
    ASSERT_FALSE(operators.empty());
    // The characters that split expressions, each written in code in some row of the table.
    for (const char* op : {";", "\\", "{", "?", "&", "\\|", "=", "<", ">", "#",  "@", "+", "-",
                           ":", ".",  "*", "/", "%", "'",   "^", "~", "!", "\"", "$", "`"}) {
        const std::string code =
            op[0] == '`' ? "`` ` ``" : std::string(1, '`').append(op).append("`");
        EXPECT_NE(operators.find(code), std::string::npos) << "operator " << op;
    }
}

} // namespace
