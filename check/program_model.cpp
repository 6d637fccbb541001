#include "check/program_model.h"

#include "builtins/builtin_table.h"
#include "core/assertion.h"
#include "core/classification.h"
#include "core/definition_table.h"
#include "front/bracket_checks.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"
#include "front/lexical_classes.h"
#include "middle/definition_compilation.h"
#include "middle/program_checks.h"

#include <algorithm>
#include <unordered_set>

namespace rill {

namespace {

constexpr CharSet kComma{","};

// The offset a position code stands for (the inverse of positionCode below 2^30).
std::size_t decodePosition(std::string_view code) {
    std::size_t value = 0;
    for (const char c : code)
        value = value * 64 + kDigitAlphabet.find(c);
    return value;
}

// The report of the bracket checks as a diagnostic: the message without its type and
// position code, and a position inside it given as a line and column.
Diagnostic bracketDiagnostic(const BracketCheck& check, std::string_view raw) {
    const std::string type = check.report.substr(0, 5);
    std::string message = check.report.substr(12); // after "Match[" the code and "]"
    const std::size_t inner = message.find("' at [");
    // (A position past the five digits, in a file of more than 2^30 bytes, is left coded.)
    if (inner != std::string::npos && message.find('!') == std::string::npos) {
        const std::size_t at = decodePosition(std::string_view(message).substr(inner + 6, 5));
        const LineColumn place = LineMap(raw).locate(at);
        message = message.substr(0, inner) + "' at " + std::to_string(place.line) + ":" +
                  std::to_string(place.column) + ".";
    }
    return Diagnostic{check.position, Severity::error, std::move(message), type};
}

// The atoms of a term, with a work list.
void collectAtoms(const Node* term, std::vector<const Node*>& atoms) {
    std::vector<const Node*> work{term};
    while (!work.empty()) {
        const Node* n = work.back();
        work.pop_back();
        if (isAtomNode(n)) {
            atoms.push_back(n);
            continue;
        }
        work.push_back(argumentOf(n));
        work.push_back(functionOf(n));
    }
}

// The keys a definition references freely, each once.
struct FreeKeys : DefinitionWalker {
    std::vector<std::string> keys;
    std::unordered_set<std::string_view> seen;
    void freeName(const Node* atom) override {
        const std::string_view key = referencedKey(atom);
        if (seen.insert(key).second)
            keys.emplace_back(key);
    }
    void patternName(const Node* atom) override {
        if (model.isDefined(referencedKey(atom)))
            freeName(atom);
    }
    const ProgramModel& model;
    explicit FreeKeys(const ProgramModel& m) : model(m) {}
};

} // namespace

std::string_view referencedKey(const Node* atom) {
    const std::string_view text = atomTextOf(atom);
    if (!isDefinitionKey(text) || text == "\\" || text == "{")
        return std::string_view();
    return text;
}

const ModelDefinition* ProgramModel::programDefinition(std::string_view key) const {
    const auto found = current.find(key);
    return found == current.end() ? nullptr : &definitions[found->second];
}

bool ProgramModel::isDefined(std::string_view key) const {
    return key == "_" || current.find(key) != current.end() ||
           preludeDefinitions().count(key) != 0 || findBuiltin(key) != nullptr;
}

ProgramModel buildModel(std::string_view raw) {
    ProgramModel m;
    m.raw = std::string(raw);
    loadPrelude();
    if (BracketCheck check = checkBrackets(m.raw); !check.ok) {
        m.errors.push_back(bracketDiagnostic(check, m.raw));
        return m;
    }
    m.parsed = true;
    const CodeText text = normaliseSpacing(m.raw);
    const std::vector<std::size_t> origins = normalisedOrigins(m.raw, text);
    auto rawOf = [&](std::size_t at) { return at < origins.size() ? origins[at] : m.raw.size(); };
    const std::vector<std::size_t> commas = splitPoints(text, kComma);

    // Parses a part, files the places of its atoms, and reports a term that cannot be read.
    std::vector<AtomOrigin> found;
    auto parsePart = [&](std::string_view part) {
        const auto base = static_cast<std::size_t>(part.data() - text.data());
        found.clear();
        ParseOutcome outcome = parseWithOrigins(part, found);
        for (const AtomOrigin& o : found)
            m.places.emplace(o.atom, rawOf(base + o.offset));
        if (!outcome.badTerm.empty())
            m.errors.push_back({rawOf(base + outcome.badTermAt), Severity::error,
                                badTermMessage(outcome.badTerm), "Parse"});
        m.parses.push_back(outcome.tree);
        return outcome.tree;
    };

    const std::string_view entryText = partBeforeFirst(text, commas);
    m.entryOffset = rawOf(static_cast<std::size_t>(entryText.data() - text.data()));
    m.entry = expandPairLets(expandQuotes(parsePart(entryText)));

    for (std::size_t k = 0; k < commas.size(); ++k) {
        const std::string_view part = partAfter(text, commas, k);
        const std::size_t begin = rawOf(commas[k]) + 1;
        const std::size_t end = k + 1 < commas.size() ? rawOf(commas[k + 1]) : m.raw.size();
        m.parts.push_back({begin, end, std::string(part)});
        const NodeRef tree = parsePart(part);
        DefinitionPart read;
        if (!readDefinitionPart(tree, read))
            continue;
        const std::string key(read.key());
        const std::size_t nameOffset = m.placeOf(read.name.get(), begin);
        if (ErrorReport forbidden = checkDefinableKey(key); !isEmpty(forbidden)) {
            m.errors.push_back({nameOffset, Severity::error, std::move(forbidden.message),
                                std::move(forbidden.type)});
            continue;
        }
        ModelDefinition d{key, nameOffset, k, expandPairLets(expandQuotes(std::move(read.value))),
                          read.once};
        if (const auto held = m.current.find(key); held != m.current.end())
            m.definitions[held->second].replaced = true;
        m.current[key] = m.definitions.size();
        m.definitions.push_back(std::move(d));
    }
    for (const char c : std::string_view("?:;'"))
        m.plainOperators[static_cast<unsigned char>(c)] =
            m.programDefinition(std::string_view(&c, 1)) == nullptr;
    return m;
}

void walkDefinition(const ProgramModel& model, const NodeRef& value, DefinitionWalker& walker) {
    const bool* plain = model.plainOperators;

    enum class Action : unsigned char { visit, enter, leave };
    struct Item {
        const Node* node;
        Action action;
        bool inSpine; // the function part of a larger spine, analysed with it
    };
    std::unordered_map<std::string_view, std::size_t> bound;
    auto isBound = [&](std::string_view key) {
        const auto found = bound.find(key);
        return found != bound.end() && found->second != 0;
    };
    auto isPlainOperator = [&](const Node* n) {
        return isAtomNode(n) && atomBytes(n)[0] != '\0' && atomBytes(n)[1] == '\0' &&
               plain[firstByteOf(n)] && !isBound(atomTextOf(n));
    };
    std::vector<Item> items{{value.get(), Action::visit, false}};
    std::vector<const Node*> binders;
    std::vector<const Node*> arguments;
    while (!items.empty()) {
        const Item item = items.back();
        items.pop_back();
        const Node* n = item.node;
        if (item.action != Action::visit) {
            const std::string_view key = definitionKeyView(atomTextOf(n));
            if (item.action == Action::enter)
                ++bound[key];
            else
                --bound[key];
            continue;
        }
        if (isAtomNode(n)) {
            const std::string_view key = referencedKey(n);
            if (!key.empty() && !isBound(key))
                walker.freeName(n);
            continue;
        }
        const bool lambda = isLambdaForm(n);
        if (lambda || isLetForm(n)) {
            const Node* v = binderOf(n);
            binders.clear();
            if (isAtomNode(v) && isDefinitionName(atomTextOf(v))) {
                walker.binder(v);
                binders.push_back(v);
            } else {
                walker.funkyForm(n);
                std::vector<const Node*> atoms;
                collectAtoms(v, atoms);
                for (const Node* a : atoms) {
                    if (!referencedKey(a).empty() && !isBound(referencedKey(a)))
                        walker.patternName(a);
                    if (isDefinitionName(atomTextOf(a)))
                        binders.push_back(a);
                }
            }
            for (const Node* b : binders)
                items.push_back({b, Action::leave, false});
            items.push_back({argumentOf(n), Action::visit, false});
            for (const Node* b : binders)
                items.push_back({b, Action::enter, false});
            if (!lambda)
                items.push_back({argumentOf(functionOf(n)), Action::visit, false});
            continue;
        }
        const Node* f = functionOf(n);
        if (!isAtomNode(f) && isAtomNode(functionOf(f)) && atomBytes(functionOf(f))[1] == '\0')
            walker.operatorForm(functionOf(f), argumentOf(f), argumentOf(n));
        if (!item.inSpine) {
            arguments.clear();
            const Node* head = n;
            while (!isAtomNode(head) && !isLambdaForm(head) && !isLetForm(head)) {
                const Node* g = functionOf(head);
                if (!isAtomNode(g) && isPlainOperator(functionOf(g))) {
                    arguments.push_back(argumentOf(head));
                    head = argumentOf(g);
                    continue;
                }
                arguments.push_back(argumentOf(head));
                head = g;
            }
            if (isAtomNode(head)) {
                const std::string_view key = referencedKey(head);
                if (!key.empty() && !isBound(key)) {
                    std::reverse(arguments.begin(), arguments.end());
                    walker.spine(head, arguments);
                }
            }
        }
        // The left operand of a plain application operator is the function part of the
        // spine too.
        const bool operandInSpine = isAtomNode(f) && isPlainOperator(f);
        items.push_back({argumentOf(n), Action::visit, item.inSpine && operandInSpine});
        items.push_back({f, Action::visit, true});
    }
}

NameFacts findNameFacts(const ProgramModel& model) {
    NameFacts facts;
    const std::size_t count = model.definitions.size();
    facts.reachable.assign(count, false);
    facts.dead.assign(count, false);

    // The keys each part of the table references: the entry under "", the program's
    // definitions, the Prelude's entries the program keeps.
    std::unordered_map<std::string, std::vector<std::string>> references;
    auto referencesOf = [&](const std::string& key) -> const std::vector<std::string>& {
        auto found = references.find(key);
        if (found != references.end())
            return found->second;
        std::vector<std::string> keys;
        if (key.empty() || model.programDefinition(key) != nullptr) {
            FreeKeys walker(model);
            walkDefinition(model, key.empty() ? model.entry : model.programDefinition(key)->value,
                           walker);
            keys = std::move(walker.keys);
        } else if (const auto prelude = preludeDefinitions().find(key);
                   prelude != preludeDefinitions().end()) {
            keys = freeNames(prelude->second);
        }
        return references.emplace(key, std::move(keys)).first->second;
    };

    // Reachable: from the entry and from every Prelude entry (the machine uses the letters).
    std::unordered_set<std::string> visited;
    std::vector<std::string> work{""};
    for (const auto& [key, value] : preludeDefinitions())
        work.push_back(key);
    while (!work.empty()) {
        std::string key = std::move(work.back());
        work.pop_back();
        if (!visited.insert(key).second)
            continue;
        if (!key.empty()) {
            if (const auto held = model.current.find(key); held != model.current.end())
                facts.reachable[held->second] = true;
        }
        for (const std::string& next : referencesOf(key))
            if (visited.count(next) == 0)
                work.push_back(next);
    }

    // Dead: referencing an undefined name, or a dead definition.
    std::unordered_map<std::string, std::vector<std::string>> referrers;
    std::unordered_set<std::string> dead;
    std::vector<std::string> broken;
    std::vector<std::string> holders{""};
    for (const auto& [key, index] : model.current)
        holders.push_back(key);
    for (const auto& [key, value] : preludeDefinitions())
        if (model.current.count(key) == 0)
            holders.push_back(key);
    for (const std::string& holder : holders) {
        bool undefined = false;
        for (const std::string& key : referencesOf(holder)) {
            if (model.isDefined(key))
                referrers[key].push_back(holder);
            else
                undefined = true;
        }
        if (undefined && dead.insert(holder).second)
            broken.push_back(holder);
    }
    while (!broken.empty()) {
        const std::string key = std::move(broken.back());
        broken.pop_back();
        if (const auto found = referrers.find(key); found != referrers.end())
            for (const std::string& r : found->second)
                if (dead.insert(r).second)
                    broken.push_back(r);
    }
    facts.entryDead = dead.count("") != 0;
    for (const auto& [key, index] : model.current)
        facts.dead[index] = dead.count(key) != 0;
    return facts;
}

} // namespace rill
