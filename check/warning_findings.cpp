#include "check/warning_findings.h"

#include "builtins/builtin_table.h"
#include "builtins/c_bridge.h"
#include "core/classification.h"
#include "core/definition_names.h"
#include "front/lexical_classes.h"
#include "middle/definition_compilation.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace rill {

namespace {

constexpr std::array<std::string_view, 8> kWarningNames = {
    "builtin-arguments", "definition-arguments",
    "unreachable",       "empty-operand",
    "carriage-return",   "tab",
    "script-line",       "quiet",
};

// What a built-in's result can be: data (a number, a real, a string or a block), a truth value
// (K or H, which selects between the next two arguments), or anything (perhaps a function).
enum class ResultKind { anything, data, truth };

// The built-ins outside the C library bridge whose result is always data.
constexpr std::array<std::string_view, 26> kDataResults = {
    "plus", "dash", "mult", "over", "cent", "powa", "cmpr", "real", "lits",
    "cape", "init", "leak", "rank", "zits", "cork", "trim", "gets", "gett",
    "getu", "getv", "getw", "getx", "gety", "getz", "lisp", "type",
};
// The built-ins outside the bridge whose result is always a truth value.
constexpr std::array<std::string_view, 6> kTruthResults = {"less", "gteq", "same",
                                                           "diff", "leaf", "raws"};

ResultKind resultOf(std::string_view name) {
    const BuiltinEntry* entry = findBuiltin(name);
    if (entry == nullptr)
        return ResultKind::anything;
    if (const BridgeRow* row = entry->bridge; row != nullptr) {
        // A bridge row's result kind says it; the constants are integers (kind N).
        if (row->result == 'B')
            return ResultKind::truth;
        const std::string_view data = "NUPR";
        return data.find(row->result) != std::string_view::npos ? ResultKind::data
                                                                : ResultKind::anything;
    }
    if (std::find(kDataResults.begin(), kDataResults.end(), name) != kDataResults.end())
        return ResultKind::data;
    if (std::find(kTruthResults.begin(), kTruthResults.end(), name) != kTruthResults.end())
        return ResultKind::truth;
    return ResultKind::anything;
}

// The built-in a Prelude operator stands for, or "" for the other operators.
std::string_view aliasOf(std::string_view op) {
    static constexpr std::string_view kOperators = "+-*/%^<>=#";
    static constexpr std::array<std::string_view, 10> kBuiltins = {
        "plus", "dash", "mult", "over", "cent", "powa", "less", "gteq", "same", "diff"};
    if (op.size() != 1)
        return std::string_view();
    const std::size_t at = kOperators.find(op[0]);
    return at == std::string_view::npos ? std::string_view() : kBuiltins[at];
}

// The name in backticks, as the messages quote a name.
std::string quoted(std::string_view name) {
    std::string text(1, '`');
    text.append(name).push_back('`');
    return text;
}

std::string counted(std::size_t n, std::string_view word) {
    std::string text = std::to_string(n) + " " + std::string(word);
    if (n != 1)
        text += 's';
    return text;
}

// Whether a definition's body, and a term, always give data: a number or string literal, a
// built-in with a data result called with all its arguments, a truth value choosing between
// two such terms, a definition called with all its parameters whose body does, or a let whose
// body does. The search is cut short (as "not known") after a fixed number of steps, so that
// it never goes deep on the machine stack.
class ResultAnalysis {
public:
    explicit ResultAnalysis(const ProgramModel& model)
        : model_(model), state_(model.definitions.size(), State::unknown) {}

    // The parameters of a definition: the lambda forms at the top of its value.
    static std::size_t parameters(const ModelDefinition& d) {
        std::size_t count = 0;
        for (const Node* n = d.value.get(); isLambdaForm(n); n = argumentOf(n))
            ++count;
        return count;
    }

    bool bodyGivesData(std::size_t d) {
        budget_ = kBudget;
        return bodyGivesDataWithin(d);
    }

    // The key a head names, after the Prelude's operators for built-ins: the built-in's name.
    std::string_view builtinNamed(std::string_view key) const {
        if (model_.programDefinition(key) != nullptr)
            return std::string_view();
        if (findBuiltin(key) != nullptr)
            return key;
        return aliasOf(key);
    }

private:
    enum class State : unsigned char { unknown, working, data, other };
    static constexpr int kBudget = 256;

    bool bodyGivesDataWithin(std::size_t d) {
        if (state_[d] == State::data)
            return true;
        if (state_[d] != State::unknown)
            return false;
        state_[d] = State::working;
        const ModelDefinition& def = model_.definitions[d];
        const Node* body = def.value.get();
        while (isLambdaForm(body))
            body = argumentOf(body);
        if (def.once)
            body = argumentOf(body); // (I body)
        std::unordered_set<std::string_view> locals;
        collectBinderKeys(def.value.get(), locals);
        const bool data = givesData(body, locals);
        // A search cut short is not remembered as an answer.
        state_[d] = data ? State::data : budget_ > 0 ? State::other : State::unknown;
        return data;
    }

    static void collectBinderKeys(const Node* term, std::unordered_set<std::string_view>& keys) {
        std::vector<const Node*> work{term};
        while (!work.empty()) {
            const Node* n = work.back();
            work.pop_back();
            if (isAtomNode(n))
                continue;
            if (isLambdaForm(n) || isLetForm(n)) {
                const Node* v = binderOf(n);
                if (isAtomNode(v)) {
                    keys.insert(definitionKeyView(atomTextOf(v)));
                }
            }
            work.push_back(argumentOf(n));
            work.push_back(functionOf(n));
        }
    }

    bool givesData(const Node* term, const std::unordered_set<std::string_view>& locals) {
        if (--budget_ <= 0)
            return false;
        while (isLetForm(term))
            term = argumentOf(term);
        if (isLambdaForm(term))
            return false;
        std::vector<const Node*> args;
        const Node* head = term;
        while (!isAtomNode(head) && !isLambdaForm(head) && !isLetForm(head)) {
            const Node* g = functionOf(head);
            if (!isAtomNode(g) && isAtomNode(functionOf(g)) &&
                atomBytes(functionOf(g))[1] == '\0' &&
                model_.plainOperators[firstByteOf(functionOf(g))]) {
                args.push_back(argumentOf(head));
                head = argumentOf(g);
                continue;
            }
            args.push_back(argumentOf(head));
            head = g;
        }
        if (!isAtomNode(head))
            return false;
        std::reverse(args.begin(), args.end());
        const unsigned char first = firstByteOf(head);
        if (isDigit(first) || first == '[')
            return args.empty();
        const std::string_view key = referencedKey(head);
        if (key.empty() || locals.count(key) != 0)
            return false;
        if (const auto held = model_.current.find(key); held != model_.current.end())
            return args.size() == parameters(model_.definitions[held->second]) &&
                   bodyGivesDataWithin(held->second);
        const std::string_view name = builtinNamed(key);
        if (name.empty())
            return false;
        const std::size_t arity = findBuiltin(name)->arity;
        switch (resultOf(name)) {
        case ResultKind::data: return args.size() == arity;
        case ResultKind::truth:
            return args.size() == arity + 2 && givesData(args[arity], locals) &&
                   givesData(args[arity + 1], locals);
        case ResultKind::anything: return false;
        }
        return false;
    }

    const ProgramModel& model_;
    std::vector<State> state_;
    int budget_ = 0;
};

// Calls with more arguments than the callee takes, where its result is data.
struct ArgumentWalker : DefinitionWalker {
    const ProgramModel& model;
    ResultAnalysis& results;
    std::vector<Diagnostic>& out;
    std::size_t fallback;

    ArgumentWalker(const ProgramModel& m, ResultAnalysis& r, std::vector<Diagnostic>& o,
                   std::size_t f)
        : model(m), results(r), out(o), fallback(f) {}

    void spine(const Node* head, const std::vector<const Node*>& arguments) override {
        const std::string_view key = referencedKey(head);
        const std::size_t given = arguments.size();
        const std::size_t at = model.placeOf(head, fallback);
        if (const auto held = model.current.find(key); held != model.current.end()) {
            const std::size_t taken = ResultAnalysis::parameters(model.definitions[held->second]);
            if (given > taken && results.bodyGivesData(held->second))
                out.push_back({at, Severity::warning,
                               quoted(key) + " has " + counted(taken, "parameter") +
                                   " but is given " + counted(given, "argument") +
                                   ": its body gives a number or a string, not a function",
                               "definition-arguments"});
            return;
        }
        const std::string_view name = results.builtinNamed(key);
        if (name.empty() || resultOf(name) != ResultKind::data)
            return;
        const std::size_t arity = findBuiltin(name)->arity;
        if (given <= arity)
            return;
        std::string takes = arity == 0 ? "no argument" : counted(arity, "argument");
        out.push_back({at, Severity::warning,
                       quoted(key) + " takes " + takes + " but is given " + std::to_string(given) +
                           ": its result is a number or a string, not a function",
                       "builtin-arguments"});
    }
};

// The first tab and the first carriage return outside strings (and a carriage return before a
// line end inside one), with how many more there are.
void findOddBytes(std::string_view raw, std::vector<Diagnostic>& out) {
    std::size_t depth = 0;
    std::size_t tabs = 0, returns = 0, firstTab = 0, firstReturn = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '[') {
            ++depth;
        } else if (c == ']' && depth > 0) {
            --depth;
        } else if (c == '\t' && depth == 0) {
            if (tabs++ == 0)
                firstTab = i;
        } else if (c == '\r' && (depth == 0 || (i + 1 < raw.size() && raw[i + 1] == '\n'))) {
            if (returns++ == 0)
                firstReturn = i;
        }
    }
    auto more = [](std::size_t n) {
        return n > 1 ? " (and " + std::to_string(n - 1) + " more in this file)" : std::string();
    };
    if (returns != 0)
        out.push_back({firstReturn, Severity::warning,
                       "a carriage return is not whitespace: it is a term of its own (save the "
                       "file with plain line ends)" +
                           more(returns),
                       "carriage-return"});
    if (tabs != 0)
        out.push_back(
            {firstTab, Severity::warning,
             "a tab is not whitespace: it is a term of its own (indent with spaces)" + more(tabs),
             "tab"});
}

} // namespace

std::span<const std::string_view> warningNames() {
    return kWarningNames;
}

bool isWarningName(std::string_view name) {
    return std::find(kWarningNames.begin(), kWarningNames.end(), name) != kWarningNames.end();
}

std::vector<Diagnostic> findWarnings(const ProgramModel& model, const NameFacts& facts,
                                     const std::unordered_map<const Node*, EmptyOperand>& empty,
                                     const ScriptFacts& script) {
    std::vector<Diagnostic> out;
    if (script.hasScriptLine) {
        if (!script.executable)
            out.push_back({0, Severity::warning,
                           "the file is not executable, so this `#!` line is never used (rill "
                           "reads it as a blank line)",
                           "script-line"});
        else if (script.line.find("rill") == std::string::npos)
            out.push_back({0, Severity::warning,
                           "this `#!` line does not name rill, so running the file does not run "
                           "it as a rill program",
                           "script-line"});
    }
    findOddBytes(model.raw, out);
    if (!model.parsed)
        return out;

    const LineMap lines(model.raw);
    ResultAnalysis results(model);
    ArgumentWalker entry(model, results, out, model.entryOffset);
    walkDefinition(model, model.entry, entry);
    for (std::size_t d = 0; d < model.definitions.size(); ++d) {
        const ModelDefinition& def = model.definitions[d];
        if (def.replaced) {
            const ModelDefinition& later = model.definitions[model.current.at(def.key)];
            const LineColumn place = lines.locate(later.nameOffset);
            out.push_back({def.nameOffset, Severity::warning,
                           "`" + def.key + "` is defined again on line " +
                               std::to_string(place.line) +
                               ", and that definition replaces this one",
                           "unreachable"});
            continue;
        }
        ArgumentWalker walker(model, results, out, def.nameOffset);
        walkDefinition(model, def.value, walker);
        // A string that nothing uses is the usual way to keep notes in a program.
        const bool note = isAtomNode(def.value.get()) && firstByteOf(def.value.get()) == '[';
        if (!facts.reachable[d] && !note)
            out.push_back(
                {def.nameOffset, Severity::warning,
                 "`" + def.key + "` is never used: nothing the entry reaches refers to it",
                 "unreachable"});
    }

    // An empty operand that rill reports as an undefined name is an error; elsewhere (in a
    // definition nothing reaches) it is a warning, and where the program defines "}" it is
    // meant.
    if (!model.isDefined("}")) {
        for (const auto& [atom, operand] : empty) {
            if (operand.inEntry || facts.reachable[operand.definition])
                continue;
            out.push_back(
                {operand.offset, Severity::warning, operand.explanation, "empty-operand"});
        }
    }
    return out;
}

std::vector<QuietMarker> findQuietMarkers(const ProgramModel& model,
                                          std::vector<Diagnostic>& problems) {
    std::vector<QuietMarker> markers;
    for (std::size_t k = 0; k < model.parts.size(); ++k) {
        const std::string& text = model.parts[k].text;
        if (text.size() < 2 || text[0] != '[' || matchBracket(text, 0) != text.size() - 1)
            continue;
        std::vector<std::string> words;
        std::string word;
        for (std::size_t i = 1; i + 1 <= text.size(); ++i) {
            const char c = i + 1 < text.size() ? text[i] : ' ';
            if (c == ' ' || c == '\n') {
                if (!word.empty())
                    words.push_back(std::move(word));
                word.clear();
            } else {
                word += c;
            }
        }
        if (words.empty() || words[0] != "quiet")
            continue;
        QuietMarker marker{false, 0, 0, {}};
        std::size_t first = 1;
        if (words.size() > 1 && words[1] == "file") {
            marker.wholeFile = true;
            marker.end = model.raw.size() + 1;
            first = 2;
        } else if (k + 1 < model.parts.size()) {
            marker.begin = model.parts[k + 1].begin;
            marker.end = model.parts[k + 1].end;
        }
        for (std::size_t w = first; w < words.size(); ++w) {
            if (isWarningName(words[w])) {
                marker.names.push_back(words[w]);
                continue;
            }
            const std::size_t at = model.raw.find(words[w], model.parts[k].begin);
            problems.push_back({at == std::string::npos ? model.parts[k].begin : at,
                                Severity::warning,
                                "no warning is named `" + words[w] +
                                    "`, so this marker does "
                                    "not silence it",
                                "quiet"});
        }
        markers.push_back(std::move(marker));
    }
    return markers;
}

bool isQuieted(const std::vector<QuietMarker>& markers, const Diagnostic& warning) {
    for (const QuietMarker& m : markers) {
        if (warning.offset < m.begin || warning.offset >= m.end)
            continue;
        if (std::find(m.names.begin(), m.names.end(), warning.tag) != m.names.end())
            return true;
    }
    return false;
}

} // namespace rill
