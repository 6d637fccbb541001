#include "core/definition_table.h"
#include "front/definition_intake.h"

#include <gtest/gtest.h>

using namespace rill;

namespace {

TEST(DefinitionTableVersion, RemovingEntriesAdvancesTheVersion) {
    DefinitionTable table;
    const auto v0 = table.version();
    table.insert_or_assign("a", makeAtom("1"));
    EXPECT_EQ(table.version(), v0);
    table.erase("a");
    EXPECT_GT(table.version(), v0);
    const auto v1 = table.version();
    table = DefinitionTable();
    EXPECT_GT(table.version(), v1);
}

TEST(NameLookup, AFoundNameIsAnsweredAfterItsEntryChanges) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("x,foo\\1")));
    EXPECT_EQ(atomText(lookUpName("foo").entry->second), "1");
    definitionTable().insert_or_assign("foo", makeAtom("2"));
    EXPECT_EQ(atomText(lookUpName("foo").entry->second), "2");
    definitionTable().erase("foo");
    EXPECT_EQ(lookUpName("foo").entry, nullptr);
    EXPECT_NE(lookUpName("plus").builtin, nullptr);
}

TEST(DefinitionTableGeneration, EveryChangeButAStoredValueAdvancesIt) {
    DefinitionTable table;
    auto g = table.generation();
    table.insert_or_assign("a", makeAtom("1"));
    EXPECT_GT(table.generation(), g);
    g = table.generation();
    EXPECT_FALSE(table.emplace("a", makeAtom("2"))); // already there: nothing changes
    EXPECT_EQ(table.generation(), g);
    EXPECT_TRUE(table.emplace("b", makeAtom("2")));
    EXPECT_GT(table.generation(), g);
    g = table.generation();
    DefinitionTable::storeValue(*table.find("a"), makeAtom(")"));
    EXPECT_EQ(table.generation(), g); // the machine's write keeps what names mean
    const auto stamp = currentGeneration();
    table.erase("b");
    EXPECT_GT(table.generation(), g);
    EXPECT_GT(currentGeneration(), stamp);
}

} // namespace
