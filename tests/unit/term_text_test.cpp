#include "builtins/calling_protocol.h"
#include "core/node_store.h"
#include "front/expression_parser.h"
#include "trace/term_text.h"

#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

std::string traced(const char* source, std::size_t width = 200) {
    return termText(parseExpression(CodeText(source)).get(), width);
}

} // namespace

TEST(TermText, CallsOperatorsFunctionsAndLetsReadAsTheyAreWritten) {
    for (const char* source :
         {"fwrite(cape([a b]),1,rank(x),stdout)", "(a+(b*c))", "((a-b)-c)", "map((x\\(x*x)),l)",
          "(v{getchar}(v+1))", "K(seq(out([hi]),0))", "V(1,V(2,K(K)))"}) {
        EXPECT_EQ(traced(source), source);
    }
}

TEST(TermText, TheTextParsesBackToTheSameTerm) {
    for (const char* source : {"f(g(h(1)),x+y*z)", "(x\\y\\x)(1,2)", "a@b", "f;g;x"}) {
        const NodeRef term = parseExpression(CodeText(source));
        const NodeRef again = parseExpression(CodeText(termText(term.get(), 200)));
        EXPECT_EQ(termText(again.get(), 200), termText(term.get(), 200)) << source;
    }
}

TEST(TermText, ControlBytesAreEscapedAndSpecialAtomsNamed) {
    EXPECT_EQ(termText(makeAtom("[a\nb\tc\x01]").get(), 80), "[a\\nb\\tc\\x01]");
    EXPECT_EQ(termText(makeReal(1.5).get(), 80), "real[1.500000e+00]");
    EXPECT_EQ(termText(makeAtom(blockText("ab\n")).get(), 80), "cape[ab\\n]");
    EXPECT_EQ(termText(makeAtom(")name").get(), 80), "()");
}

TEST(TermText, ALongTextIsCutAtTheWidth) {
    EXPECT_EQ(traced("plus([abcdefghijklmnop],2)", 12), "plus([abcdef...");
    EXPECT_EQ(traced("f(1,2)", 6), "f(1,2)");
    EXPECT_EQ(traced("f(1,23)", 6), "f(1,23...");
    std::string out = "<";
    appendAtomText(makeAtom(std::string(1000, 'x')).get(), out, 10);
    EXPECT_EQ(out, "<xxxxxxxxxx...");
}

TEST(TermText, HugeTermsCostOnlyTheWidth) {
    // A spine of a million arguments: its head is too far to find, so the text starts at
    // the arguments it reached.
    NodeRef spine = makeAtom("f");
    for (int i = 0; i < 1'000'000; ++i)
        spine = apply(std::move(spine), makeAtom("7"));
    const std::string wide = termText(spine.get(), 20);
    EXPECT_EQ(wide, "(...)(7,7,7,7,7,7,7,...");
    // A million nested arguments, and a string of a megabyte.
    NodeRef nest = makeAtom("0");
    for (int i = 0; i < 1'000'000; ++i)
        nest = apply(makeAtom("g"), std::move(nest));
    EXPECT_EQ(termText(nest.get(), 10), "g(g(g(g(g(...");
    EXPECT_EQ(termText(makeAtom("[" + std::string(1 << 20, 'y') + "]").get(), 5), "[yyyy...");
}
