#include "check/error_findings.h"

#include "builtins/builtin_table.h"
#include "check/suggestions.h"
#include "core/classification.h"
#include "core/definition_names.h"
#include "middle/definition_compilation.h"
#include "middle/program_checks.h"
#include "middle/value_rendering.h"

#include <algorithm>
#include <set>
#include <string>

namespace rill {

namespace {

constexpr std::size_t kShownExpression = 80;
// The most nodes of a form that are rendered in a message.
constexpr std::size_t kRenderedNodes = 40;

// A copy of the term with at most about `budget` nodes, the parts past them replaced by the
// atom "...": rendering it costs no more than the budget, however large the term. A term
// within the budget is copied whole and renders as the term itself.
NodeRef boundedCopy(const Node* term, std::size_t& budget) {
    if (budget == 0)
        return makeAtom("...");
    --budget;
    if (isAtomNode(term))
        return NodeRef(const_cast<Node*>(term));
    NodeRef f = boundedCopy(functionOf(term), budget);
    NodeRef x = boundedCopy(argumentOf(term), budget);
    return apply(std::move(f), std::move(x));
}

// The leftmost atom of a term that has a place, or the fallback.
std::size_t placeOfTerm(const ProgramModel& model, const Node* term, std::size_t fallback) {
    std::vector<const Node*> work{term};
    std::size_t best = static_cast<std::size_t>(-1);
    while (!work.empty()) {
        const Node* n = work.back();
        work.pop_back();
        if (isAtomNode(n)) {
            best = std::min(best, model.placeOf(n, best));
            continue;
        }
        work.push_back(argumentOf(n));
        work.push_back(functionOf(n));
    }
    return best == static_cast<std::size_t>(-1) ? fallback : best;
}

// What a definition's walk finds for the errors.
struct ErrorWalker : DefinitionWalker {
    std::vector<const Node*> undefined; // free atoms naming no definition
    std::vector<const Node*> binders;
    std::vector<const Node*> funky;
    const ProgramModel& model;
    explicit ErrorWalker(const ProgramModel& m) : model(m) {}

    void freeName(const Node* atom) override {
        if (!model.isDefined(referencedKey(atom)))
            undefined.push_back(atom);
    }
    void binder(const Node* atom) override { binders.push_back(atom); }
    void funkyForm(const Node* form) override { funky.push_back(form); }
};

// The suggestions for the names of the program: its definitions and the built-ins.
NameSuggester globalSuggester(const ProgramModel& model) {
    NameSuggester names;
    for (const auto& [key, index] : model.current)
        names.add(key);
    for (const BuiltinRow& row : builtinRows())
        names.add(row.name);
    return names;
}

class CheckErrors {
public:
    CheckErrors(const ProgramModel& model, const NameFacts& facts,
                const std::unordered_map<const Node*, EmptyOperand>& empty)
        : model_(model), facts_(facts), empty_(empty), names_(globalSuggester(model)) {}

    std::vector<Diagnostic> run() {
        check("", model_.entry, model_.entryOffset, true, facts_.entryDead);
        for (std::size_t d = 0; d < model_.definitions.size(); ++d) {
            const ModelDefinition& def = model_.definitions[d];
            if (!def.replaced)
                check(def.key, def.value, def.nameOffset, facts_.reachable[d], facts_.dead[d]);
        }
        return std::move(errors_);
    }

private:
    void check(const std::string& key, const NodeRef& value, std::size_t fallback, bool reachable,
               bool dead) {
        ErrorWalker walker(model_);
        walkDefinition(model_, value, walker);
        for (const Node* form : walker.funky)
            reportFunky(key, form, fallback);
        if (reachable && !walker.undefined.empty())
            reportUndefined(key, walker, fallback);
        if (dead || !walker.funky.empty())
            return;
        checkLocalNames(key, walker.binders, fallback);
        checkParameters(key, value, fallback);
    }

    void reportFunky(const std::string& key, const Node* form, std::size_t fallback) {
        std::size_t budget = kRenderedNodes;
        std::string shown = renderTerm(boundedCopy(form, budget));
        if (shown.size() > kShownExpression)
            shown = shown.substr(0, kShownExpression) + "...";
        std::string message = funkyReport(shown, key).message;
        // The binder's place; for an empty one, the backslash or brace that follows it.
        const Node* head = isLambdaForm(form) ? functionOf(functionOf(form))
                                              : functionOf(functionOf(functionOf(form)));
        const std::size_t at = placeOfTerm(model_, binderOf(form), model_.placeOf(head, fallback));
        errors_.push_back({at, Severity::error, std::move(message), "Funky"});
    }

    void reportUndefined(const std::string& key, const ErrorWalker& walker, std::size_t fallback) {
        // Local names of the definition are suggested too, before the global ones.
        NameSuggester locals;
        for (const Node* b : walker.binders)
            locals.add(atomTextOf(b));
        // Names are shown with awkward bytes (a carriage return, bytes above 126) in hexadecimal.
        const std::string referrer = key.empty() ? "TOP" : escapeName(key);
        for (const Node* atom : walker.undefined) {
            const std::string name = escapeName(referencedKey(atom));
            std::string message =
                "Alive function [" + referrer + "] references undefined [" + name + "]";
            std::size_t at = model_.placeOf(atom, fallback);
            if (const auto found = empty_.find(atom); found != empty_.end()) {
                at = found->second.offset;
                message += ": " + found->second.explanation;
            } else if (std::string s = suggestionFor(std::string(referencedKey(atom)), locals);
                       !s.empty()) {
                message += "; did you mean `" + s + "`?";
            } else {
                message += '.';
            }
            errors_.push_back({at, Severity::error, std::move(message), "Alive"});
        }
    }

    std::string suggestionFor(const std::string& name, const NameSuggester& locals) {
        if (std::string s = locals.suggest(name); !s.empty())
            return s;
        const auto known = suggested_.find(name);
        if (known != suggested_.end())
            return known->second;
        return suggested_.emplace(name, names_.suggest(name)).first->second;
    }

    // More than 26 different local names: the binder that brings in the 27th, in text order.
    void checkLocalNames(const std::string& key, std::vector<const Node*> binders,
                         std::size_t fallback) {
        std::set<std::string_view> keys;
        for (const Node* b : binders)
            keys.insert(definitionKeyView(atomTextOf(b)));
        if (keys.size() <= kLetterCount)
            return;
        std::stable_sort(binders.begin(), binders.end(), [&](const Node* a, const Node* b) {
            return model_.placeOf(a, fallback) < model_.placeOf(b, fallback);
        });
        keys.clear();
        for (const Node* b : binders) {
            if (!keys.insert(definitionKeyView(atomTextOf(b))).second ||
                keys.size() <= kLetterCount)
                continue;
            errors_.push_back(
                {model_.placeOf(b, fallback), Severity::error, placeReport(key).message, "Place"});
            return;
        }
    }

    // More than ten parameters: the eleventh.
    void checkParameters(const std::string& key, const NodeRef& value, std::size_t fallback) {
        std::size_t count = 0;
        for (const Node* n = value.get(); isLambdaForm(n); n = argumentOf(n)) {
            if (++count > kMostParameters) {
                errors_.push_back({model_.placeOf(binderOf(n), fallback), Severity::error,
                                   arityReport(key).message, "Arity"});
                return;
            }
        }
    }

    const ProgramModel& model_;
    const NameFacts& facts_;
    const std::unordered_map<const Node*, EmptyOperand>& empty_;
    NameSuggester names_;
    std::unordered_map<std::string, std::string> suggested_;
    std::vector<Diagnostic> errors_;
};

} // namespace

std::vector<Diagnostic>
findCheckErrors(const ProgramModel& model, const NameFacts& facts,
                const std::unordered_map<const Node*, EmptyOperand>& empty) {
    if (!model.parsed)
        return {};
    return CheckErrors(model, facts, empty).run();
}

bool coversReport(const std::vector<Diagnostic>& errors, const ErrorReport& report) {
    for (const Diagnostic& d : errors) {
        if (d.severity != Severity::error || d.tag != report.type)
            continue;
        if (report.type != "Alive" ||
            d.message.find("references undefined [" + escapeName(report.name) + "]") !=
                std::string::npos)
            return true;
    }
    return false;
}

Diagnostic reportAsDiagnostic(const ProgramModel& model, const ErrorReport& report) {
    std::size_t at = model.entryOffset;
    if (const ModelDefinition* d = model.programDefinition(report.name); d != nullptr)
        at = d->nameOffset;
    return Diagnostic{at, Severity::error, report.message, report.type};
}

} // namespace rill
