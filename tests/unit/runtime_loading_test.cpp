#include "core/error_report.h"
#include "front/definition_intake.h"
#include "middle/program_checks.h"
#include "middle/runtime_loading.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;

namespace {

// A checked program is in force, as when a running program calls load.
void takeInChecked(const std::string& program) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram(program)));
    ASSERT_TRUE(isEmpty(checkProgram()));
}

std::vector<std::string> tableKeys() {
    std::vector<std::string> keys;
    for (const auto& [key, value] : definitionTable())
        keys.push_back(key);
    return keys;
}

std::vector<std::string> onceKeys() {
    return std::vector<std::string>(onceNames().begin(), onceNames().end());
}

std::string loaded(const std::string& text) {
    return std::string(atomText(loadText(text)));
}

} // namespace

TEST(RuntimeLoading, AnEntryIsReducedToItsValue) {
    takeInChecked("K(0),twice\\n\\n*2");
    EXPECT_EQ(loaded("plus 1 2"), "3");
    EXPECT_EQ(loaded("twice(21)"), "42");
}

TEST(RuntimeLoading, LoadedDefinitionsExistOnlyWhileTheEntryRuns) {
    takeInChecked("K(0),twice\\n\\n*2,cc()\\1");
    const auto keys = tableKeys();
    const auto once = onceKeys();
    EXPECT_EQ(loaded("inc(41),inc\\x\\x+1,dd()\\2"), "42");
    EXPECT_EQ(tableKeys(), keys);
    EXPECT_EQ(onceKeys(), once);
    EXPECT_EQ(loaded("inc(1)"), "Z");
}

TEST(RuntimeLoading, EveryFailureIsZAndLeavesTheTablesAsTheyWere) {
    takeInChecked("K(0),twice\\n\\n*2,cc()\\1");
    const auto keys = tableKeys();
    const auto once = onceKeys();
    for (const char* text : {"1,K\\a\\a", "1,twice\\a\\a", "1,plus\\a\\a", "1,x\\2", "1+(2", "]",
                             "nosuch", "ff(1),ff\\2\\2", "ab{V 1 2}a", "a b{V 1 2}a",
                             "gg(1),gg\\a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\a", "1,[\\]\\a\\a",
                             "(1,2)", "1,cc\\3", "gg(1),gg\\x\\y", "1,ee\\2,K\\a\\a"}) {
        EXPECT_EQ(loaded(text), "Z") << text;
        EXPECT_EQ(tableKeys(), keys) << text;
        EXPECT_EQ(onceKeys(), once) << text;
    }
}

TEST(RuntimeLoading, AnInvalidBinderIsZBeforeLettersAreGiven) {
    takeInChecked("K(0)");
    EXPECT_EQ(loaded("gg(1),gg\\longname\\(2\\longname)"), "Z");
    EXPECT_EQ(loaded("gg(1),gg\\foo\\foo{2}3{foo}foo"), "Z");
}

TEST(RuntimeLoading, LocalNamesGetLettersAndDeadDefinitionsAreDropped) {
    takeInChecked("K(0)");
    EXPECT_EQ(loaded("ff(5,3),ff\\foo\\bar\\foo-bar"), "2");
    EXPECT_EQ(loaded("7,gg\\nosuch"), "7");
}

TEST(RuntimeLoading, TheTablesAreRestoredAfterACycle) {
    takeInChecked("K(0)");
    const auto keys = tableKeys();
    EXPECT_EQ(loaded("cyc,cyc\\cyc"), "Z"); // the cycle marker stays inside the load
    EXPECT_EQ(tableKeys(), keys);
}

TEST(RuntimeLoading, LoadTakesBlocksAndStringsOnly) {
    takeInChecked("K(0)");
    const std::string block = blockText("plus 2 2");
    EXPECT_EQ(atomText(builtin_load(apply(makeAtom("load"), makeAtom(std::string_view(block))))),
              "4");
    EXPECT_EQ(atomText(builtin_load(apply(makeAtom("load"), makeAtom("[plus 2 3]")))), "5");
    EXPECT_EQ(atomText(builtin_load(apply(makeAtom("load"), makeAtom("5")))), "Z");
    EXPECT_EQ(atomText(builtin_load(apply(makeAtom("load"), makeAtom("K")))), "Z");
}
