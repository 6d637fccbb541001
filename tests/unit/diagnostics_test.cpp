#include "check/diagnostics.h"

#include <string>

#include <gtest/gtest.h>

namespace rill {
namespace {

TEST(RenderDiagnostic, PlacesTheCaretUnderTheColumn) {
    const std::string text = "K(0),\nfoo\\bar+1\n";
    const LineMap lines(text);
    const Diagnostic d{text.find("bar"), Severity::error,
                       "Alive function [foo] references undefined [bar].", "Alive"};
    EXPECT_EQ(renderDiagnostic("p.rill", lines, d),
              "p.rill:2:5: error: Alive function [foo] references undefined [bar]. [Alive]\n"
              "foo\\bar+1\n"
              "    ^\n");
}

TEST(RenderDiagnostic, AWarningNamesTheOptionThatSilencesIt) {
    const LineMap lines("x");
    const Diagnostic d{0, Severity::warning, "look here", "tab"};
    EXPECT_EQ(renderDiagnostic("f", lines, d), "f:1:1: warning: look here [-Wtab]\nx\n^\n");
}

TEST(RenderDiagnostic, TheCaretLineKeepsTheTabsBeforeThePlace) {
    const std::string text = "\t\tab";
    const Diagnostic d{3, Severity::warning, "m", "tab"};
    EXPECT_EQ(renderDiagnostic("f", LineMap(text), d),
              "f:1:4: warning: m [-Wtab]\n\t\tab\n\t\t ^\n");
}

TEST(RenderDiagnostic, ACarriageReturnEndingTheLineIsNotShown) {
    const std::string text = "ab\r\ncd";
    const Diagnostic d{1, Severity::warning, "m", "carriage-return"};
    EXPECT_EQ(renderDiagnostic("f", LineMap(text), d),
              "f:1:2: warning: m [-Wcarriage-return]\nab\n ^\n");
    // Unless it is the place itself.
    const Diagnostic at{2, Severity::warning, "m", "carriage-return"};
    EXPECT_EQ(renderDiagnostic("f", LineMap(text), at),
              "f:1:3: warning: m [-Wcarriage-return]\nab\r\n  ^\n");
}

TEST(RenderDiagnostic, ALongLineIsCutAroundThePlace) {
    const std::string text = std::string(200, 'a') + "X" + std::string(200, 'b');
    const Diagnostic d{200, Severity::error, "m", "Place"};
    const std::string shown = renderDiagnostic("f", LineMap(text), d);
    const std::string expectedLine =
        "..." + std::string(60, 'a') + "X" + std::string(60, 'b') + "...";
    EXPECT_EQ(shown,
              "f:1:201: error: m [Place]\n" + expectedLine + "\n" + std::string(63, ' ') + "^\n");
}

TEST(SortByPlace, KeepsTheOrderFoundAmongEqualPlaces) {
    std::vector<Diagnostic> d{{5, Severity::warning, "b", "tab"},
                              {1, Severity::error, "a", "Alive"},
                              {5, Severity::error, "c", "Alive"}};
    sortByPlace(d);
    EXPECT_EQ(d[0].message, "a");
    EXPECT_EQ(d[1].message, "b");
    EXPECT_EQ(d[2].message, "c");
}

TEST(SummaryLine, CountsErrorsAndWarnings) {
    EXPECT_EQ(summaryLine(1, 0), "1 error\n");
    EXPECT_EQ(summaryLine(0, 2), "2 warnings\n");
    EXPECT_EQ(summaryLine(2, 1), "2 errors and 1 warning\n");
}

} // namespace
} // namespace rill
