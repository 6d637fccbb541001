#include "core/assertion.h"
#include "core/diagnostic_log.h"
#include "core/error_report.h"
#include "core/report_display.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

TEST(ErrorReport, AnEmptyReportFormatsAsNoErrorsWhateverItHolds) {
    ErrorReport report = makeReport("Empty", "name", "message");
    EXPECT_EQ(format(report), "No errors.\n");
}

TEST(ErrorReport, AReportWithoutANameHasFourLines) {
    ErrorReport report = makeReport("Built", "", "Built in function [plus] cannot be re-defined.");
    EXPECT_EQ(format(report),
              "Error.\n Type: Built\nBuilt in function [plus] cannot be re-defined.\n\\/\n");
}

TEST(ErrorReport, ANamedReportHasANameLine) {
    ErrorReport report = makeReport("Alive", "foo", "m.");
    EXPECT_EQ(format(report), "Error.\n Type: Alive\n Name: foo\nm.\n\\/\n");
}

TEST(Display, PlainTextIsShownAsItIs) {
    EXPECT_EQ(display("ab c\n~"), "ab c\n~");
}

TEST(Display, AControlByteIsShownGreenAndSwitchesBack) {
    EXPECT_EQ(display("a\tb"), "a\033[32mI\033[mb");
}

TEST(Display, ATextEndingInAControlByteEndsWithAReset) {
    EXPECT_EQ(display(std::string("a\x01", 2)), "a\033[32mA\033[m");
}

TEST(Display, HighBytesAreShownRedOrGreen) {
    EXPECT_EQ(display("\xC1"), "\033[31mA\033[m");
    EXPECT_EQ(display("\x80"), "\033[32m!\033[m");
    EXPECT_EQ(display("\xA0"), "\033[32m9\033[m");
    EXPECT_EQ(display("\x7F"), "\033[32m~\033[m");
    EXPECT_EQ(display("\x97"), "\033[32m0\033[m");
    EXPECT_EQ(display("\xFF"), "\033[32m]\033[m");
}

TEST(Display, ControlBytesFollowTheirTable) {
    EXPECT_EQ(display(std::string("\0", 1)), "\033[32mJ\033[m");
    EXPECT_EQ(display("\x0B"), "\033[32mK\033[m");
    EXPECT_EQ(display("\x1A"), "\033[32mZ\033[m");
    EXPECT_EQ(display("\x1B\x1C\x1D\x1E\x1F"), "\033[32m(){}[\033[m");
}

TEST(Display, ConsecutiveBytesOfOneClassShareOneSwitch) {
    EXPECT_EQ(display("\xC1\xC2\x01"), "\033[31mAB\033[32mA\033[m");
}

TEST(DecodeShown, GivesBackEveryByteThatDisplayShows) {
    for (int b = 0; b < 256; ++b) {
        if (b == ' ' || b == '\n')
            continue;
        const std::string shown = display(std::string(1, static_cast<char>(b)));
        int cls = 3;
        char c = shown[0];
        if (shown.size() > 1) {
            cls = shown[3] == '1' ? 1 : 2;
            c = shown[5];
        }
        EXPECT_EQ(decodeShown(cls, static_cast<unsigned char>(c)), b) << "byte " << b;
    }
}

TEST(DecodeShown, SpaceAndLineEndAreThemselvesInAnyClass) {
    for (int cls = 1; cls <= 3; ++cls) {
        EXPECT_EQ(decodeShown(cls, ' '), ' ');
        EXPECT_EQ(decodeShown(cls, '\n'), '\n');
    }
}

TEST(DecodeShown, ALowercaseLetterCountsAsItsCapital) {
    EXPECT_EQ(decodeShown(2, 'i'), 0x09);
    EXPECT_EQ(decodeShown(2, 'j'), 0x00);
}

TEST(DecodeShownDeathTest, AnUnknownShownCharacterIsFatal) {
    EXPECT_DEATH(decodeShown(4, 'a'), "ASSERTION FAILED:");
    EXPECT_DEATH(decodeShown(1, 0x7F), "ASSERTION FAILED:");
}

TEST(EscapeName, AwkwardBytesBecomeBracketedHex) {
    EXPECT_EQ(escapeName("a\tb]c"), "a[09]b[5D]c");
    EXPECT_EQ(escapeName("[x]"), "[5B]x[5D]");
    EXPECT_EQ(escapeName("\x7F\xFF ok/"), "[7F][FF] ok/");
}

TEST(FatalDeathTest, WritesTheFatalLineAndFails) {
    EXPECT_DEATH(fatal("truecast"), "ASSERTION FAILED:");
}

TEST(AppendLog, AppendsTheWholeText) {
    std::FILE* before = std::fopen(kLogPath, "rb");
    long size = 0;
    if (before != nullptr) {
        std::fseek(before, 0, SEEK_END);
        size = std::ftell(before);
        std::fclose(before);
    }
    appendLog("First unit-test line\n");
    std::FILE* after = std::fopen(kLogPath, "rb");
    ASSERT_NE(after, nullptr);
    std::fseek(after, size, SEEK_SET);
    char buffer[64] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, after);
    std::fclose(after);
    EXPECT_EQ(std::string(buffer, n), "First unit-test line\n");
}
