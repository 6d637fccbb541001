#include "front/definition_intake.h"

#include "builtins/builtin_table.h"
#include "core/assertion.h"
#include "core/classification.h"
#include "front/bracket_checks.h"
#include "front/expression_parser.h"
#include "front/lexical_classes.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace rill {

namespace {

// The placeholder of a built-in of arity n: (\ a (\ b ... Z)), one parameter per argument.
NodeRef builtinPlaceholder(int arity) {
    NodeRef value = makeAtom("Z");
    for (int k = arity - 1; k >= 0; --k) {
        const char parameter[2] = {static_cast<char>('a' + k), '\0'};
        value = apply(makeAtom("\\"), makeAtom(parameter), std::move(value));
    }
    return value;
}

// Parses one part of a program text; a term with no meaning becomes a "Parse" report.
bool parsePart(ExpressionParser& parser, std::string_view part, std::size_t position, NodeRef& tree,
               ErrorReport& report) {
    ParseOutcome outcome = parser.parse(part);
    if (!outcome.badTerm.empty()) {
        report = makeReport("Parse", "", badTermMessage(outcome.badTerm));
        report.position = static_cast<std::int64_t>(position);
        return false;
    }
    tree = std::move(outcome.tree);
    return true;
}

// Enters the definitions in the order given, later ones replacing earlier ones of their key.
void enterDefinitions(std::vector<DefinitionPart>& taken) {
    DefinitionTable& table = definitionTable();
    OnceNames& once = onceNames();
    for (DefinitionPart& d : taken)
        fileDefinition(d, table, once);
    std::vector<DefinitionPart>().swap(taken);
}

// The offset of the first byte after a comma that is not a space.
std::size_t definitionPosition(const CodeText& text, std::size_t comma) {
    std::size_t at = comma + 1;
    while (at < text.size() && text[at] == ' ')
        ++at;
    return at;
}

// Normalises and parses the parts of a raw program text that passed the bracket checks:
// the entry goes into the table, the definitions into taken, in text order. False, with the
// report, at the first part that cannot be taken in. The normalised text, its split points
// and the atoms made are let go on return, before the definitions are entered.
bool takeInParts(const CodeText& raw, std::vector<DefinitionPart>& taken, ErrorReport& report) {
    const CodeText text = normaliseSpacing(raw);
    static constexpr CharSet kComma{","};
    const std::vector<std::size_t> commas = splitPoints(text, kComma);
    // Equal atoms of all the parts are made one node; the checks share them all later anyway.
    AtomCache atoms;
    ExpressionParser parser(&atoms);
    NodeRef entry;
    if (!parsePart(parser, partBeforeFirst(text, commas), 0, entry, report))
        return false;
    definitionTable().insert_or_assign(std::string(), std::move(entry));

    taken.reserve(commas.size());
    for (std::size_t k = 0; k < commas.size(); ++k) {
        const std::size_t position = definitionPosition(text, commas[k]);
        NodeRef tree;
        if (!parsePart(parser, partAfter(text, commas, k), position, tree, report))
            return false;
        DefinitionPart part;
        if (!readDefinitionPart(tree, part))
            continue;
        if (ErrorReport forbidden = checkDefinableKey(part.key()); !isEmpty(forbidden)) {
            report = std::move(forbidden);
            report.position = static_cast<std::int64_t>(position);
            return false;
        }
        taken.push_back(std::move(part));
    }
    return true;
}

} // namespace

const std::string_view kPreludeText =
    ",A\\a\\aS BKK,B\\a\\b\\c\\a b(c),C\\a\\b\\c\\a c b,D\\a\\b\\c\\d\\a b c(d),"
    "E\\a\\b\\c\\d\\e\\a b c(d)e,F\\a\\b\\Vb a,G\\a\\VZ BW(BC)DDV(V XJ),H\\a\\I,I\\a\\a,"
    "J\\a\\b\\c\\Va b,K\\a\\b\\a,L\\a\\aK K(KH),M\\a\\a a,N\\a\\K,O\\a\\b\\b a(b),"
    "P\\a\\a XS I,Q\\a\\aZK,R\\a\\aZH,U\\a\\b\\Ua,S\\a\\b\\c\\a c b(c),T\\a\\b\\b a,"
    "V\\a\\b\\c\\c a b,W\\a\\b\\a b b,Z\\a\\Z,X\\a\\b\\c\\d\\Vb a(d)c,Y\\a\\b\\a Ya b,"
    "[\\]\\a\\b\\c\\ABCDEFGHIJKLMNOPQRSTUVWXYZ,[{]\\a\\b\\c\\Z,[&]\\q\\r\\q r H,"
    "[|]\\q\\r\\qKr,[!]\\VHK,[+]\\plus,[-]\\dash,[*]\\mult,[/]\\over,[%]\\cent,"
    "[^]\\powa,[<]\\less,[>]\\gteq,[=]\\same,[#]\\diff,[$]\\buck,[~]\\wave,[.]\\T,"
    "[@]\\T,[:]\\I,[?]\\I,[;]\\I,[']\\I,[\"]\\I,[,]\\I";

void resetTables() {
    definitionTable().clear();
    onceNames().clear();
    clearBuiltinTable();
}

void loadPrelude() {
    resetTables();
    (void)builtinTable();
    const CodeText text = normaliseSpacing(CodeText(kPreludeText));
    static constexpr CharSet kComma{","};
    const std::vector<std::size_t> commas = splitPoints(text, kComma);
    for (std::size_t k = 0; k < commas.size(); ++k) {
        const NodeRef tree = parseExpression(CodeText(partAfter(text, commas, k)));
        DefinitionPart part;
        const bool read = readDefinitionPart(tree, part);
        RILL_ASSERT(read && !part.once);
        definitionTable().insert_or_assign(std::string(part.key()), std::move(part.value));
    }
    preludeDefinitions() = definitionTable();
}

DefinitionTable& preludeDefinitions() {
    static DefinitionTable& prelude = *new DefinitionTable;
    return prelude;
}

ErrorReport takeInProgram(const CodeText& raw) {
    ErrorReport report;
    if (BracketCheck check = checkBrackets(raw); !check.ok) {
        report = makeReport(check.report.substr(0, 5), "", check.report);
        report.position = static_cast<std::int64_t>(check.position);
        return report;
    }
    DefinitionTable& table = definitionTable();
    for (const auto& [name, entry] : builtinTable())
        table.insert_or_assign(name, builtinPlaceholder(entry.arity));

    // The definitions are entered after the last part is read, sorted by key (the table is
    // ordered by key, and entering keys in order is much faster than in text order); the
    // sort keeps the text order of equal keys, so that the table ends as if each had been
    // entered when read. A report enters those read before it in text order.
    std::vector<DefinitionPart> taken;
    if (!takeInParts(raw, taken, report)) {
        enterDefinitions(taken);
        return report;
    }
    std::stable_sort(
        taken.begin(), taken.end(),
        [](const DefinitionPart& a, const DefinitionPart& b) { return a.key() < b.key(); });
    enterDefinitions(taken);
    return report;
}

bool hasDefinitionShape(const Node* tree) {
    if (isAtomNode(tree))
        return false;
    const Node* p = functionOf(tree);
    return !isAtomNode(p) && isOneByteAtomOf(functionOf(p), '\\');
}

bool readDefinitionPart(const NodeRef& tree, DefinitionPart& part) {
    if (!hasDefinitionShape(tree.get()))
        return false;
    Node* nameTerm = argumentOf(functionOf(tree.get()));
    Node* nameAtom = nameTerm;
    bool once = false;
    if (!isAtomNode(nameTerm)) {
        // The once form «name()»: the name applied to the atom "}".
        if (!isOneByteAtomOf(argumentOf(nameTerm), '}') || !isAtomNode(functionOf(nameTerm)))
            return false;
        nameAtom = functionOf(nameTerm);
        once = true;
    }
    if (!isDefinitionName(atomTextOf(nameAtom)))
        return false;
    part.name = NodeRef(nameAtom);
    part.value = once ? apply(makeAtom("I"), argumentPart(tree)) : argumentPart(tree);
    part.once = once;
    return true;
}

ErrorReport checkDefinableKey(std::string_view key) {
    if (isLetterKey(key))
        return makeReport("Lower", "",
                          "Single lowercase letters (" + std::string(key) +
                              ") cannot be defined as global variables.");
    if (key == "\\" || key == "{" || findBuiltin(key) != nullptr)
        return makeReport("Built", "",
                          "Built in function [" + std::string(key) + "] cannot be re-defined.");
    return ErrorReport();
}

void fileDefinition(DefinitionPart& part, DefinitionTable& table, OnceNames& once) {
    std::string key(part.key());
    if (part.once)
        once.insert(key);
    else
        once.erase(key);
    table.insert_or_assign(std::move(key), std::move(part.value));
}

} // namespace rill
