// The user's guide (docs/guide.md) against the interpreter's own tables: its reference must
// name every built-in once, with the arity the built-in table gives it, and name nothing
// else as a built-in; its operator table must give every operator character a row.
#include "builtins/builtin_table.h"

#include <fstream>
#include <map>
#include <regex>
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
    const std::regex row(R"(\n\| `([a-z_]+)` \| ([0-9]+) \|)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), row);
         it != std::sregex_iterator(); ++it)
        rows.emplace((*it)[1].str(), std::stoi((*it)[2].str()));
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
        if (found != rows.end())
            EXPECT_EQ(found->second, builtin.arity) << "arity of " << name;
    }
    for (const auto& [name, arity] : rows)
        EXPECT_NE(findBuiltin(name), nullptr) << name << " is in the guide but no built-in";
    EXPECT_EQ(rows.size(), builtinRows().size());
}

TEST(Guide, OperatorTableHasEveryOperatorCharacter) {
    const std::string operators = section(guideText(), "Operators");
    ASSERT_FALSE(operators.empty());
    // The characters that split expressions, each written in code in some row of the table.
    for (const char* op : {";", "\\", "{", "?", "&", "\\|", "=", "<", ">", "#", "@", "+", "-",
                           ":", ".", "*", "/", "%", "'", "^", "~", "!", "\"", "$", "`"}) {
        const std::string code = op[0] == '`' ? "`` ` ``" : "`" + std::string(op) + "`";
        EXPECT_NE(operators.find(code), std::string::npos) << "operator " << op;
    }
}

} // namespace
