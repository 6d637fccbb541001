#include "front/source_text.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

CodeText bytes(const char* s, std::size_t n) {
    return CodeText(s, n);
}

} // namespace

TEST(NormaliseSpacing, RunOfSpacesBetweenWordsBecomesOneSpace) {
    EXPECT_EQ(normaliseSpacing("g  x"), "g x");
}
TEST(NormaliseSpacing, WhitespaceNextToAnAbsorbingOperatorVanishes) {
    EXPECT_EQ(normaliseSpacing("a +\n b"), "a+b");
}
TEST(NormaliseSpacing, RunHoldingANewlineBecomesOneNewline) {
    EXPECT_EQ(normaliseSpacing("g\n\n x"), "g\nx");
}
TEST(NormaliseSpacing, WhitespaceInsideRoundBracketsAtTheirEdgesVanishes) {
    EXPECT_EQ(normaliseSpacing("( x )"), "(x)");
}
TEST(NormaliseSpacing, SquareLiteralIsCopiedUnchanged) {
    EXPECT_EQ(normaliseSpacing("g [a  b]"), "g [a  b]");
}
TEST(NormaliseSpacing, NestedSquareLiteralKeepsItsNewlines) {
    EXPECT_EQ(normaliseSpacing("[a [ b\n\n] c]"), "[a [ b\n\n] c]");
}
TEST(NormaliseSpacing, SpacesAfterASquareLiteralBecomeOne) {
    EXPECT_EQ(normaliseSpacing("[ x ]  y"), "[ x ] y");
}
TEST(NormaliseSpacing, EmptyTextStaysEmpty) {
    EXPECT_EQ(normaliseSpacing(""), "");
}
TEST(NormaliseSpacing, OnlyWhitespaceGivesTheEmptyText) {
    EXPECT_EQ(normaliseSpacing(" \n \n  "), "");
}
TEST(NormaliseSpacing, LeadingAndTrailingWhitespaceIsTrimmed) {
    EXPECT_EQ(normaliseSpacing("\n  g x \n"), "g x");
}
TEST(NormaliseSpacing, NulBytesAreOrdinaryCharacters) {
    const CodeText out = normaliseSpacing(bytes("a \0 b\0", 6));
    EXPECT_EQ(out, bytes("a \0 b\0", 6));
    EXPECT_EQ(out.size(), 6u);
}
TEST(NormaliseSpacing, CarriageReturnIsKeptAndTheNewlineAfterItSurvives) {
    EXPECT_EQ(normaliseSpacing("a\r\nb"), "a\r\nb");
}
TEST(NormaliseSpacing, TabIsNotWhitespace) {
    EXPECT_EQ(normaliseSpacing("a\t b"), "a\t b");
}
TEST(NormaliseSpacing, CommaAbsorbsOnBothSides) {
    EXPECT_EQ(normaliseSpacing("x ,\n y"), "x,y");
}
TEST(NormaliseSpacing, SpaceBeforeAnOpeningRoundBracketStays) {
    EXPECT_EQ(normaliseSpacing("g (x)"), "g (x)");
}
TEST(NormaliseSpacing, SpaceAfterAClosingRoundBracketStays) {
    EXPECT_EQ(normaliseSpacing("(x) y"), "(x) y");
}
TEST(NormaliseSpacing, WhitespaceInsideBracesVanishes) {
    EXPECT_EQ(normaliseSpacing("{ x }"), "{x}");
}
TEST(NormaliseSpacing, WhitespaceAfterAClosingBraceVanishes) {
    EXPECT_EQ(normaliseSpacing("{x} y"), "{x}y");
}
TEST(NormaliseSpacing, WhitespaceBeforeAnOpeningBraceVanishes) {
    EXPECT_EQ(normaliseSpacing("x {y}"), "x{y}");
}
TEST(NormaliseSpacing, PrefixOperatorsDoNotAbsorb) {
    EXPECT_EQ(normaliseSpacing("g ~x ! y"), "g ~x ! y");
}
TEST(NormaliseSpacing, UnclosedSquareLiteralIsCopiedToTheEnd) {
    EXPECT_EQ(normaliseSpacing("g [a  b "), "g [a  b");
}

TEST(AbsorbsSpace, HoldsForTheTwentyTwoAbsorbingBytes) {
    const std::string absorbing = "\n #%&'*+,-./:;<=>?@\\^|";
    int count = 0;
    for (int b = 0; b < 256; ++b) {
        const bool expected = absorbing.find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(absorbsSpace(static_cast<unsigned char>(b)), expected) << b;
        count += absorbsSpace(static_cast<unsigned char>(b)) ? 1 : 0;
    }
    EXPECT_EQ(count, 22);
}

TEST(ReadProgramFile, ReadsEveryByteOfALongFileWithNulBytes) {
    std::string content;
    for (int i = 0; i < 10000; ++i)
        content.push_back(static_cast<char>(i % 251));
    const std::string path = ::testing::TempDir() + "rill_source_text_test.bin";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
    ASSERT_EQ(std::fclose(f), 0);
    EXPECT_EQ(readProgramFile(path), content);
    std::remove(path.c_str());
}
TEST(ReadProgramFile, EmptyFileGivesTheEmptyText) {
    const std::string path = ::testing::TempDir() + "rill_source_text_empty.bin";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fclose(f), 0);
    EXPECT_EQ(readProgramFile(path), "");
    std::remove(path.c_str());
}

TEST(BlankScriptLine, TheFirstLineOfAScriptBecomesSpacesWithItsNewlineKept) {
    CodeText text = "#!/usr/bin/env rill\nK(0),\n#!x";
    blankScriptLine(text);
    EXPECT_EQ(text, std::string(19, ' ') + "\nK(0),\n#!x");

    CodeText onlyLine = "#![a(b";
    blankScriptLine(onlyLine);
    EXPECT_EQ(onlyLine, "      ");

    CodeText bare = "#!\n";
    blankScriptLine(bare);
    EXPECT_EQ(bare, "  \n");
}
TEST(BlankScriptLine, OtherTextsAreLeftAsTheyAre) {
    for (const CodeText& original :
         {CodeText(""), CodeText("#"), CodeText(" #!x\nK(0)"), CodeText("!#x\nK(0)"),
          CodeText("\n#!x"), CodeText("K(0),#!x")}) {
        CodeText text = original;
        blankScriptLine(text);
        EXPECT_EQ(text, original);
    }
}
TEST(ReadProgramFile, BlanksTheLineOfAScript) {
    const std::string content = "#!/usr/bin/env rill\r\nK(7)";
    const std::string path = ::testing::TempDir() + "rill_source_text_script.rill";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
    ASSERT_EQ(std::fclose(f), 0);
    EXPECT_EQ(readProgramFile(path), std::string(20, ' ') + "\nK(7)");
    std::remove(path.c_str());
}
TEST(ReadProgramFile, AFileThatCannotBeOpenedOrReadGivesNothing) {
    // A directory opens for reading on this platform; its first read fails.
    EXPECT_EQ(readProgramFile(::testing::TempDir()), std::nullopt);
    EXPECT_EQ(readProgramFile(::testing::TempDir() + "rill_no_such_file/x"), std::nullopt);
}
