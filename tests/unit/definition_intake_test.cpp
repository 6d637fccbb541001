#include "builtins/builtin_table.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"

#include <gtest/gtest.h>

using namespace rill;

TEST(DefinitionNames, LowerWordsAreValidNames) {
    EXPECT_TRUE(isDefinitionName("foo_bar"));
    EXPECT_TRUE(isDefinitionName("plus"));
    EXPECT_TRUE(isDefinitionName("_"));
    EXPECT_FALSE(isDefinitionName("foo2"));
    EXPECT_FALSE(isDefinitionName(""));
}

TEST(DefinitionNames, BracketedOperatorsAreValidNames) {
    EXPECT_TRUE(isDefinitionName("[+]"));
    EXPECT_TRUE(isDefinitionName("[\\]"));
    EXPECT_TRUE(isDefinitionName("[{]"));
    EXPECT_FALSE(isDefinitionName("[+=]"));
    EXPECT_FALSE(isDefinitionName("[(]"));
    EXPECT_FALSE(isDefinitionName("[ab]"));
    EXPECT_EQ(definitionKey("[+]"), "+");
}

TEST(DefinitionNames, SingleBytesNameCapitalsAndControlAndHighBytes) {
    EXPECT_TRUE(isDefinitionName("K"));
    EXPECT_TRUE(isDefinitionName("\x01"));
    EXPECT_TRUE(isDefinitionName("\x7F"));
    EXPECT_TRUE(isDefinitionName("\xFF"));
    EXPECT_FALSE(isDefinitionName("KK"));
    EXPECT_FALSE(isDefinitionName("+"));
    EXPECT_FALSE(isDefinitionName(std::string_view("\0", 1)));
}

TEST(DefinitionNames, KeysAreWhatValidNamesGive) {
    EXPECT_TRUE(isDefinitionKey("foo"));
    EXPECT_TRUE(isDefinitionKey("x"));
    EXPECT_TRUE(isDefinitionKey("+"));
    EXPECT_TRUE(isDefinitionKey("\\"));
    EXPECT_TRUE(isDefinitionKey("K"));
    EXPECT_FALSE(isDefinitionKey("[+]"));
    EXPECT_FALSE(isDefinitionKey("("));
    EXPECT_FALSE(isDefinitionKey("12"));
    EXPECT_FALSE(isDefinitionKey(""));
}

TEST(DefinitionNamesDeathTest, TheKeyOfAnInvalidNameIsAnInternalFailure) {
    EXPECT_DEATH(definitionKey("foo2"), "ASSERTION FAILED:");
}

// --- The Prelude and the program intake ---------------------------------------------------

namespace {

std::string shapeOf(const NodeRef& n) {
    if (isAtom(n))
        return std::string(atomText(n));
    return std::string(1, '(')
        .append(shapeOf(functionPart(n)))
        .append(" ")
        .append(shapeOf(argumentPart(n)))
        .append(")");
}

} // namespace

TEST(Prelude, IsFiveHundredAndFiftyFourBytesWithALeadingComma) {
    EXPECT_EQ(kPreludeText.size(), 554u);
    EXPECT_EQ(kPreludeText[0], ',');
    EXPECT_EQ(kPreludeText.substr(0, 11), ",A\\a\\aS BKK");
}

TEST(Prelude, DefinesTheLettersTheLambdaAndBraceAndTheOperators) {
    loadPrelude();
    const DefinitionTable& table = definitionTable();
    EXPECT_EQ(table.size(), 51u);
    EXPECT_EQ(shapeOf(table.at("K")), "((\\ a) ((\\ b) a))");
    EXPECT_EQ(shapeOf(table.at("S")), "((\\ a) ((\\ b) ((\\ c) ((a c) (b c)))))");
    EXPECT_EQ(shapeOf(table.at("+")), "plus");
    EXPECT_EQ(shapeOf(table.at("!")), "((V H) K)");
    EXPECT_EQ(shapeOf(table.at("\"")), "I");
    EXPECT_EQ(table.count("`"), 0u);
    EXPECT_EQ(shapeOf(table.at("G")), "((\\ a) ((V Z) ((((((B W) (B C)) D) D) V) (V (X J)))))");
}

TEST(Intake, EveryBuiltinGetsAPlaceholderWithOneParameterPerArgument) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("K(0)")));
    const DefinitionTable& table = definitionTable();
    EXPECT_EQ(shapeOf(table.at("plus")), "((\\ a) ((\\ b) Z))");
    EXPECT_EQ(shapeOf(table.at("stdout")), "Z");
    EXPECT_EQ(shapeOf(table.at("getnameinfo")).substr(0, 7), "((\\ a) ");
    for (const auto& [name, entry] : builtinTable())
        EXPECT_EQ(table.count(name), 1u) << name;
}

TEST(Intake, TheEntryIsStoredUnderTheEmptyKey) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("plus(1,2)")));
    EXPECT_EQ(shapeOf(definitionTable().at("")), "((plus 1) 2)");
}

TEST(Intake, ALowerLetterIsReportedAtTheDefinitionItBegins) {
    loadPrelude();
    ErrorReport r = takeInProgram("main,a\\x\\x");
    EXPECT_EQ(r.type, "Lower");
    EXPECT_EQ(r.position, 5);
    EXPECT_EQ(r.message, "Single lowercase letters (a) cannot be defined as global variables.");
}

TEST(Intake, ABuiltinNameCannotBeRedefined) {
    loadPrelude();
    ErrorReport r = takeInProgram("x,plus\\a\\a");
    EXPECT_EQ(r.type, "Built");
    EXPECT_EQ(r.position, 2);
    EXPECT_EQ(r.message, "Built in function [plus] cannot be re-defined.");
    EXPECT_TRUE(r.name.empty());
}

TEST(Intake, TheLambdaCannotBeRedefinedButAnOperatorCan) {
    loadPrelude();
    EXPECT_EQ(takeInProgram("x,[\\]\\a\\a").type, "Built");
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("x,[+]\\a\\b\\a")));
    EXPECT_EQ(shapeOf(definitionTable().at("+")), "((\\ a) ((\\ b) a))");
}

TEST(Intake, PartsThatAreNoDefinitionsAreSkippedSilently) {
    loadPrelude();
    const std::size_t before = definitionTable().size();
    ASSERT_TRUE(isEmpty(takeInProgram("K(0)")));
    const std::size_t entryOnly = definitionTable().size();
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("K(0),[ab]\\a\\a,foo2\\a\\a,y z,,")));
    EXPECT_EQ(definitionTable().size(), entryOnly);
    EXPECT_GT(entryOnly, before);
}

TEST(Intake, AOnceNameIsWrappedAndRemembered) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("x,cc()\\5")));
    EXPECT_EQ(shapeOf(definitionTable().at("cc")), "(I 5)");
    EXPECT_EQ(onceNames().count("cc"), 1u);
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("x,cc()\\5,cc\\7")));
    EXPECT_EQ(shapeOf(definitionTable().at("cc")), "7");
    EXPECT_EQ(onceNames().count("cc"), 0u);
}

TEST(Intake, BracketFailuresLeaveTheTablesUntouched) {
    loadPrelude();
    const std::size_t before = definitionTable().size();
    ErrorReport r = takeInProgram("(a,b)");
    EXPECT_EQ(r.type, "Comma");
    EXPECT_EQ(r.position, 2);
    EXPECT_EQ(r.message,
              "Comma[____b]Comma encountered in parenthesization which is not a call list.");
    EXPECT_EQ(definitionTable().size(), before);
}

TEST(Intake, ATermWithNoMeaningIsAParseReport) {
    loadPrelude();
    ErrorReport r = takeInProgram("((A,B))");
    EXPECT_EQ(r.type, "Parse");
    EXPECT_EQ(r.message, "Term [A,] cannot be read.");
}

TEST(Intake, TheUnderscoreAloneIsAName) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("x,_\\a\\a")));
    EXPECT_EQ(definitionTable().count("_"), 1u);
}

TEST(Intake, ALaterDefinitionOfAKeyReplacesAnEarlierOne) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("x,zz\\1,aa\\2,zz\\3,[+]\\4,aa()\\5")));
    EXPECT_EQ(shapeOf(definitionTable().at("zz")), "3");
    EXPECT_EQ(shapeOf(definitionTable().at("+")), "4");
    EXPECT_EQ(shapeOf(definitionTable().at("aa")), "(I 5)");
    EXPECT_EQ(onceNames().count("aa"), 1u);
}

TEST(Intake, AReportLeavesTheDefinitionsReadBeforeIt) {
    loadPrelude();
    ErrorReport r = takeInProgram("x,zz\\1,bb\\2,zz\\3,q\\4,cc\\5");
    EXPECT_EQ(r.type, "Lower");
    EXPECT_EQ(shapeOf(definitionTable().at("zz")), "3");
    EXPECT_EQ(shapeOf(definitionTable().at("bb")), "2");
    EXPECT_EQ(definitionTable().count("cc"), 0u);
    loadPrelude();
    EXPECT_EQ(takeInProgram("x,zz\\1,((A,B)),cc\\3").type, "Parse");
    EXPECT_EQ(shapeOf(definitionTable().at("zz")), "1");
    EXPECT_EQ(definitionTable().count("cc"), 0u);
}

TEST(Intake, EqualAtomsOfAProgramAreOneNode) {
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram("aa(bb),aa\\x\\bb+x,bb\\7")));
    const DefinitionTable& table = definitionTable();
    const NodeRef inEntry = argumentPart(table.at(""));
    const NodeRef inBody = argumentPart(functionPart(argumentPart(table.at("aa"))));
    EXPECT_EQ(atomText(inEntry), "bb");
    EXPECT_EQ(inEntry.get(), inBody.get());
}

// --- One definition part, as the intake, loading and the checker read it --------------------

namespace {

// Reads one normalised part as a definition.
bool readPart(const char* text, DefinitionPart& part) {
    return readDefinitionPart(parseExpression(CodeText(text)), part);
}

} // namespace

TEST(DefinitionParts, ThePlainFormFilesItsValueUnderTheNamesKey) {
    DefinitionPart part;
    ASSERT_TRUE(readPart("[+]\\a\\b\\a", part));
    EXPECT_EQ(part.key(), "+");
    EXPECT_FALSE(part.once);
    EXPECT_EQ(shapeOf(part.value), "((\\ a) ((\\ b) a))");
}

TEST(DefinitionParts, TheOnceFormWrapsItsValueInI) {
    DefinitionPart part;
    ASSERT_TRUE(readPart("cc()\\5", part));
    EXPECT_EQ(part.key(), "cc");
    EXPECT_TRUE(part.once);
    EXPECT_EQ(shapeOf(part.value), "(I 5)");
}

TEST(DefinitionParts, PartsThatDefineNothingArePassedOver) {
    DefinitionPart part;
    EXPECT_FALSE(readPart("y z", part));        // no backslash at the top
    EXPECT_FALSE(readPart("foo2\\a\\a", part)); // the name part is (foo 2)
    EXPECT_FALSE(readPart("[ab]\\a\\a", part)); // not a valid name
    EXPECT_FALSE(readPart("(x y)()\\5", part)); // a once form whose name is no atom
    EXPECT_TRUE(part.value.empty());
}

TEST(DefinitionParts, OnlyLettersBinderHeadsAndBuiltInsAreRefused) {
    const ErrorReport letter = checkDefinableKey("a");
    EXPECT_EQ(letter.type, "Lower");
    EXPECT_EQ(letter.message,
              "Single lowercase letters (a) cannot be defined as global variables.");
    for (const char* key : {"\\", "{", "plus"}) {
        const ErrorReport built = checkDefinableKey(key);
        EXPECT_EQ(built.type, "Built") << key;
        EXPECT_EQ(built.message,
                  "Built in function [" + std::string(key) + "] cannot be re-defined.");
    }
    for (const char* key : {"_", "ab", "K", "+"})
        EXPECT_TRUE(isEmpty(checkDefinableKey(key))) << key;
}
