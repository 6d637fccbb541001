#include "core/classification.h"
#include "core/diagnostic_log.h"
#include "core/error_report.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"
#include "middle/definition_compilation.h"
#include "middle/program_checks.h"
#include "middle/value_rendering.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

using namespace rill;

namespace {

NodeRef parsed(const char* source) {
    return parseExpression(CodeText(source));
}

// Loads the Prelude, takes the program in and runs the checks.
ErrorReport checked(const char* program) {
    loadPrelude();
    ErrorReport intake = takeInProgram(CodeText(program));
    EXPECT_TRUE(isEmpty(intake)) << intake.message;
    return checkProgram();
}

std::string valueOf(const char* key) {
    return renderTerm(definitionTable().at(key));
}

std::string logText() {
    std::ifstream in(kLogPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(FreeNames, ALambdaBindsItsParameterInTheBody) {
    EXPECT_EQ(freeNames(parsed("foo\\plus foo bar")), (NameList{"bar", "plus"}));
}

TEST(FreeNames, ALetValueIsOutsideItsBinder) {
    EXPECT_EQ(freeNames(parsed("foo{foo}foo+bar")), (NameList{"+", "bar", "foo"}));
    EXPECT_EQ(freeNames(parsed("foo{1}foo")), NameList{});
}

TEST(FreeNames, LambdaAndBraceHeadsAndLiteralsAreNoNames) {
    EXPECT_EQ(freeNames(parsed("x\\x{[ab]}12")), NameList{});
}

TEST(FreeNames, NamesAreSortedBytewiseShorterFirst) {
    EXPECT_EQ(freeNames(parsed("ab abc K a")), (NameList{"K", "a", "ab", "abc"}));
}

TEST(FreeNames, BracketedBindersBindTheirKey) {
    EXPECT_EQ(freeNames(parsed("[+]\\1+2")), NameList{});
}

TEST(FunkyBinders, AValidBinderIsNothing) {
    NodeRef found = findFunkyBinder(parsed("x\\foo{x}K(y\\y)"));
    ASSERT_TRUE(isAtom(found));
    EXPECT_EQ(atomText(found), "");
}

TEST(FunkyBinders, AnEmptyParameterIsTheWholeLambda) {
    EXPECT_EQ(renderTerm(findFunkyBinder(parsed("\\x"))), "\\}x");
}

TEST(FunkyBinders, AnApplicationOrNumberBinderIsFunky) {
    EXPECT_EQ(renderTerm(findFunkyBinder(parsed("K(a b c{v}a)"))), "({ (a b c) v a)");
    EXPECT_EQ(renderTerm(findFunkyBinder(parsed("V 1 (2\\3)"))), "(\\2 3)");
}

TEST(FunkyBinders, ALetValueIsSearchedBeforeItsBody) {
    EXPECT_EQ(renderTerm(findFunkyBinder(parsed("x{2\\y}(3\\z)"))), "\\2y");
}

TEST(FunkyBinders, BindersThemselvesAreNotSearched) {
    NodeRef found = findFunkyBinder(parsed("x\\x"));
    EXPECT_TRUE(isAtom(found));
}

TEST(LayoutFields, AFieldSplitsTheGapAroundIt) {
    EXPECT_EQ(insertField("[s[[16]]]", 4, 8, "f"), "[s[[8]][f[4]][[4]]]");
}

TEST(LayoutFields, AFieldAtAGapEdgeLeavesOneSide) {
    EXPECT_EQ(insertField("[s[[16]]]", 4, 0, "f"), "[s[f[4]][[12]]]");
    EXPECT_EQ(insertField("[s[[16]]]", 4, 12, "f"), "[s[[12]][f[4]]]");
    EXPECT_EQ(insertField("[s[[4]]]", 4, 0, "f"), "[s[f[4]]]");
}

TEST(LayoutFields, FieldsFindTheirGapPastEarlierFields) {
    std::string s = insertField("[s[[16]]]", 4, 4, "b");
    s = insertField(s, 8, 8, "c");
    s = insertField(s, 4, 0, "a");
    EXPECT_EQ(s, "[s[a[4]][b[4]][c[8]]]");
}

TEST(LayoutFieldsDeathTest, AFieldOverANamedSegmentIsAnInternalFailure) {
    EXPECT_DEATH(insertField("[s[f[8]][[8]]]", 4, 4, "g"), "ASSERTION FAILED:");
}

TEST(LayoutFieldsDeathTest, AFieldPastTheStructureIsAnInternalFailure) {
    EXPECT_DEATH(insertField("[s[[8]]]", 4, 6, "g"), "ASSERTION FAILED:");
}

TEST(LayoutTable, TheTextIsThePlatformLayout) {
    EXPECT_EQ(layoutTableText(),
              "[[addrinfo[ai_flags[4]][ai_family[4]][ai_socktype[4]][ai_protocol[4]]"
              "[ai_addrlen[4]][[4]][ai_addr[8]][ai_canonname[8]][ai_next[8]]][dirent[d_ino[8]]"
              "[d_off[8]][d_reclen[2]][d_type[1]][d_name[256]][[5]]][fd_set[[128]]]"
              "[size_t[[8]]][socklen_t[[4]]][time_t[[8]]]]");
}

TEST(CheckProgram, TheLayoutTableReplacesAProgramDefinition) {
    EXPECT_TRUE(isEmpty(checked("K(_),_\\5")));
    EXPECT_EQ(atomText(definitionTable().at("_")), layoutTableText());
}

TEST(CheckProgram, APassingProgramIsClassified) {
    EXPECT_TRUE(isEmpty(checked("K(inc 41),inc\\x\\x+1")));
    EXPECT_EQ(arity(definitionTable().at("inc")), 1);
}

TEST(CheckProgram, UnreachableBrokenDefinitionsAndTheirUsersAreErased) {
    EXPECT_TRUE(isEmpty(checked("K(5),gg\\x\\hh x,ff\\gg 1,ok\\7")));
    EXPECT_EQ(definitionTable().count("gg"), 0u);
    EXPECT_EQ(definitionTable().count("ff"), 0u);
    EXPECT_EQ(definitionTable().count("ok"), 1u);
}

TEST(CheckProgram, TheSmallestPendingNameIsReported) {
    ErrorReport r = checked("K(zz+mm),mm\\yy");
    EXPECT_EQ(r.type, "Alive");
    EXPECT_EQ(r.name, "yy");
    EXPECT_EQ(r.message, "Alive function [mm] references undefined [yy].");
}

TEST(CheckProgram, ARedefinedPreludeEntryIsReachedLikeTheEntry) {
    for (const char* program : {"5,K\\foo", "5,[+]\\foo", "K(gg 1),gg\\x\\x,Y\\a\\foo"}) {
        ErrorReport r = checked(program);
        EXPECT_EQ(r.type, "Alive") << program;
        EXPECT_EQ(r.name, "foo") << program;
    }
}

TEST(CheckProgram, NoPreludeEntryIsEverErased) {
    EXPECT_TRUE(isEmpty(checked("K(1),K\\a\\b\\a")));
    EXPECT_EQ(definitionTable().count("\\"), 1u);
    EXPECT_EQ(definitionTable().count("{"), 1u);
}

TEST(CheckProgram, NamesGetTheFirstFreeLettersInBytewiseOrder) {
    EXPECT_TRUE(isEmpty(checked("K(gg 1 2),gg\\foo\\bar\\foo,hh\\a\\zz\\b\\a")));
    EXPECT_EQ(valueOf("gg"), "(\\b (\\a b))");
    EXPECT_EQ(valueOf("hh"), "(\\a (\\c (\\b a)))");
}

TEST(CheckProgram, RenamingIsLoggedWithTheFirstLine) {
    EXPECT_TRUE(isEmpty(checked("K(qq 1),qq\\longname\\longname")));
    EXPECT_NE(logText().find("First qq: (\\longname longname)\n"), std::string::npos);
}

TEST(CheckProgram, AnEntryOfElevenParametersFailsWithoutAName) {
    ErrorReport r = checked("a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\a");
    EXPECT_EQ(r.type, "Arity");
    EXPECT_EQ(r.name, "");
    EXPECT_EQ(r.message, "Arity of function  may not exceed ten.");
}

TEST(CheckProgram, AnUnboundLetterIsReportedByItsLowestBit) {
    // A value whose facts were worked out while "x" and "y" were still variables.
    loadPrelude();
    ASSERT_TRUE(isEmpty(takeInProgram(CodeText("K(gg),gg\\y x"))));
    classify(definitionTable().at("gg"));
    definitionTable().insert_or_assign("y", makeAtom("1"));
    definitionTable().insert_or_assign("x", makeAtom("1"));
    ErrorReport r = checkProgram();
    EXPECT_EQ(r.type, "Local");
    EXPECT_EQ(r.name, "gg");
    EXPECT_EQ(r.message, "Local variable x unbound in function [gg].");
}

TEST(CheckProgram, SharedTermsKeepOnlyNormalForms) {
    EXPECT_TRUE(isEmpty(checked("K(aa+bb),aa\\plus 1 2,bb\\plus 1 2")));
    EXPECT_EQ(definitionTable().at("aa").get(), definitionTable().at("bb").get());
    EXPECT_TRUE(findSharedTerm(parsed("plus 1 2")).empty()); // saturated: not normal
    EXPECT_FALSE(findSharedTerm(parsed("plus 1")).empty());
}

TEST(CheckProgram, AnUndefinedNameIsShownWithTheLastReferrerTakenOut) {
    // bb is taken out before cc and both reference zz; cc is the last before zz.
    ErrorReport r = checked("K(cc+bb),cc\\yy zz,bb\\zz,yy\\1");
    EXPECT_EQ(r.type, "Alive");
    EXPECT_EQ(r.name, "zz");
    EXPECT_EQ(r.message, "Alive function [cc] references undefined [zz].");
}

TEST(CheckProgram, AnUndefinedNameSortsAmongTheDefinedOnes) {
    // aa, then bb: bb references "b" (undefined) and "ba" (defined, and after "b").
    ErrorReport r = checked("K(aa),aa\\bb,bb\\ba b,ba\\1");
    EXPECT_EQ(r.type, "Alive");
    EXPECT_EQ(r.name, "b");
    EXPECT_EQ(r.message, "Alive function [bb] references undefined [b].");
}

TEST(CheckProgram, ABrokenDefinitionNobodyReachesIsNoReport) {
    EXPECT_TRUE(isEmpty(checked("K(aa),aa\\1,bb\\zz,cc\\x\\bb(x),dd\\cc")));
    EXPECT_EQ(definitionTable().count("aa"), 1u);
    for (const char* key : {"bb", "cc", "dd"})
        EXPECT_EQ(definitionTable().count(key), 0u) << key;
}

TEST(CheckProgram, ABinderShadowsAReachableDefinitionOnlyInItsScope) {
    // yy is free in gg's let value, and bound in its body: only the value reaches it.
    ErrorReport r = checked("K(gg 1),gg\\x\\yy{yy}yy");
    EXPECT_EQ(r.type, "Alive");
    EXPECT_EQ(r.message, "Alive function [gg] references undefined [yy].");
    EXPECT_TRUE(isEmpty(checked("K(gg 1),gg\\x\\yy{x}yy")));
    EXPECT_EQ(valueOf("gg"), "(\\x ({a x a))");
}

TEST(CheckProgram, QuotesAndPairLetsAreExpandedBeforeTheBindersAreChecked) {
    EXPECT_TRUE(isEmpty(checked("K(gg 1),gg\\x\\p q{V x x}`(p+q)")));
    EXPECT_EQ(valueOf("gg"), "(\\x ({q (Vx x) ({p qK ({q qH (V[(+p q)] (+p q))))))");
    ErrorReport r = checked("K(1),gg\\x\\`x\\x");
    EXPECT_EQ(r.type, "Funky");
    EXPECT_EQ(r.message, "Funky key in expression (\\ V[x]x x) in function gg.");
}

// --- Local names, shared with run-time loading ---------------------------------------------

TEST(LocalNames, BindersSplitIntoLettersAndNamesAndNamesTakeTheFirstFreeLetters) {
    NodeRef term = parsed("foo\\a\\zed\\foo a zed");
    Binders binders = collectBinders(term);
    EXPECT_EQ(binders.names, (std::set<std::string>{"foo", "zed"}));
    EXPECT_EQ(binders.letters, (std::set<char>{'a'}));
    ASSERT_TRUE(giveLocalLetters(term, std::move(binders)));
    // In bytewise order: foo takes "b", the first letter the binders leave free, zed "c".
    EXPECT_EQ(renderTerm(term), renderTerm(parsed("b\\a\\c\\b a c")));
}

TEST(LocalNames, MoreThanTwentySixNamesAndLettersLeaveTheTermAsItWas) {
    std::string source;
    for (char c = 'a'; c <= 'y'; ++c)
        source += std::string(1, c) + "\\";
    source += "one\\two\\a";
    NodeRef term = parsed(source.c_str());
    const Node* before = term.get();
    Binders binders = collectBinders(term);
    EXPECT_EQ(binders.letters.size() + binders.names.size(), 27u);
    EXPECT_FALSE(giveLocalLetters(term, std::move(binders)));
    EXPECT_EQ(term.get(), before);
}

TEST(LocalNames, TenParametersAreAllowedAndElevenAreTooMany) {
    EXPECT_FALSE(hasTooManyParameters(parsed("a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\a").get()));
    EXPECT_TRUE(hasTooManyParameters(parsed("a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\a").get()));
}
