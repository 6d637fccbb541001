#include "front/definition_intake.h"

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
