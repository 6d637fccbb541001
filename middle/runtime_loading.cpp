#include "middle/runtime_loading.h"

#include "builtins/calling_protocol.h"
#include "core/classification.h"
#include "core/definition_names.h"
#include "core/reducer.h"
#include "front/bracket_checks.h"
#include "front/definition_intake.h"
#include "front/expression_parser.h"
#include "front/lexical_classes.h"
#include "front/source_text.h"
#include "middle/definition_compilation.h"
#include "middle/program_checks.h"

#include <cstring>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace rill {

namespace {

// The definitions of one loaded text (the entry under the empty key) and its once-names.
struct LoadedText {
    DefinitionTable definitions;
    OnceNames once;
};

// Parses one part; false when it holds a term that has no meaning.
bool parseLoadedPart(std::string_view part, NodeRef& tree) {
    ParseOutcome outcome = parseProgramExpression(CodeText(part));
    if (!outcome.badTerm.empty())
        return false;
    tree = std::move(outcome.tree);
    return true;
}

// Takes the text in as the intake takes a program in, into a table of its own; false when
// it cannot be (unbalanced brackets, a meaningless term, a letter or binder key defined).
bool takeInLoadedText(const std::string& raw, LoadedText& loaded) {
    if (!checkBrackets(raw).ok)
        return false;
    const CodeText text = normaliseSpacing(raw);
    static constexpr CharSet kComma{","};
    const std::vector<std::size_t> commas = splitPoints(text, kComma);
    NodeRef entry;
    if (!parseLoadedPart(partBeforeFirst(text, commas), entry))
        return false;
    loaded.definitions.insert_or_assign(std::string(), std::move(entry));
    for (std::size_t k = 0; k < commas.size(); ++k) {
        NodeRef tree;
        if (!parseLoadedPart(partAfter(text, commas, k), tree))
            return false;
        DefinitionPart part;
        if (!readDefinitionPart(tree, part))
            continue;
        // Built-in names are not refused here: the built-ins' placeholders are in force, and
        // loaded code never replaces a name in force.
        const std::string_view key = part.key();
        if (isLetterKey(key) || key == "\\" || key == "{")
            return false;
        fileDefinition(part, loaded.definitions, loaded.once);
    }
    return true;
}

// Loaded code adds names; it never replaces one that is in force.
bool addsOnlyNewNames(const LoadedText& loaded) {
    const DefinitionTable& global = definitionTable();
    for (const auto& [key, value] : loaded.definitions)
        if (!key.empty() && global.find(key) != global.end())
            return false;
    return true;
}

// Drops the loaded definitions that reference a name defined nowhere, directly or through
// other loaded definitions; false when the entry is one of them.
bool dropDeadDefinitions(LoadedText& loaded) {
    const DefinitionTable& global = definitionTable();
    auto isDefined = [&](const std::string& name) {
        return loaded.definitions.find(name) != loaded.definitions.end() ||
               global.find(name) != global.end();
    };
    Referrers referrers;
    std::set<std::string> work;
    for (const auto& [key, value] : loaded.definitions) {
        for (const std::string& n : freeNames(value)) {
            referrers[n].push_back(key);
            if (!isDefined(n))
                work.insert(key);
        }
    }
    const std::set<std::string> dead = withDependents(referrers, std::move(work));
    if (dead.find(std::string()) != dead.end())
        return false;
    for (const std::string& d : dead) {
        loaded.definitions.erase(d);
        loaded.once.erase(d);
    }
    return true;
}

// Every binder of every loaded definition is a valid name. The letter assignment relies on
// it, so this runs before the letters are given as well as in its own place after them.
bool hasValidBinders(const LoadedText& loaded) {
    for (const auto& [key, value] : loaded.definitions)
        if (!isAtom(findFunkyBinder(value)))
            return false;
    return true;
}

// Gives the local names of every loaded definition their letters; false when one has more
// than 26 local names.
bool assignLoadedLetters(LoadedText& loaded) {
    for (auto& [key, value] : loaded.definitions)
        if (!giveLocalLetters(value, collectBinders(value)))
            return false;
    return true;
}

// No loaded definition has more than ten parameters.
bool hasFewParameters(const LoadedText& loaded) {
    for (const auto& [key, value] : loaded.definitions)
        if (hasTooManyParameters(value.get()))
            return false;
    return true;
}

// The loaded definitions and once-names while they are in force in the global tables: put
// in by `enter`, taken out again when the guard ends, whatever path leaves the load.
class LoadedNames {
public:
    LoadedNames() = default;
    LoadedNames(const LoadedNames&) = delete;
    LoadedNames& operator=(const LoadedNames&) = delete;
    ~LoadedNames() {
        DefinitionTable& global = definitionTable();
        for (const std::string& key : keys_)
            global.erase(key);
        OnceNames& once = onceNames();
        for (const std::string& key : once_)
            once.erase(key);
    }
    void enter(const LoadedText& loaded) {
        DefinitionTable& global = definitionTable();
        for (const auto& [key, value] : loaded.definitions) {
            if (key.empty())
                continue;
            if (global.emplace(key, value))
                keys_.push_back(key);
        }
        OnceNames& once = onceNames();
        for (const std::string& key : loaded.once)
            if (once.insert(key).second)
                once_.push_back(key);
    }

private:
    std::vector<std::string> keys_;
    std::vector<std::string> once_;
};

bool hasNoUnboundLetters(const LoadedText& loaded) {
    for (const auto& [key, value] : loaded.definitions)
        if (freeVariables(value) != 0)
            return false;
    return true;
}

} // namespace

NodeRef loadText(const std::string& raw) {
    LoadedText loaded;
    if (!takeInLoadedText(raw, loaded) || !addsOnlyNewNames(loaded) ||
        !dropDeadDefinitions(loaded) || !hasValidBinders(loaded) || !assignLoadedLetters(loaded) ||
        !hasFewParameters(loaded) || !hasValidBinders(loaded))
        return makeFailure();
    LoadedNames inForce;
    inForce.enter(loaded);
    if (!hasNoUnboundLetters(loaded))
        return makeFailure();
    NodeRef entry = loaded.definitions.at(std::string());
    NodeRef result = normalize(apply(makeAtom("I"), std::move(entry)));
    // A reduction that meets a constant needing its own value or a name without definition
    // ends in the marker naming it. The marker belongs to this reduction alone: applied in the
    // caller's, it would update or report a name that is gone, or one defined anew since.
    const unsigned char head = firstByte(result);
    if (head == ')' || head == ']')
        return makeFailure();
    return result;
}

NodeRef builtin_load(NodeRef call) {
    auto [source] = takeArguments<1>(std::move(call));
    switch (valueKind(source)) {
    case ValueKind::block: {
        const char* text = atomBytes(source.get());
        const char* payload = std::strchr(text + 1, ')') + 1;
        const std::size_t length =
            measureText(source.get()) - static_cast<std::size_t>(payload - text);
        return loadText(std::string(payload, length));
    }
    case ValueKind::string: {
        if (!isAtom(source))
            return makeFailure();
        const std::string_view text = atomText(source);
        if (text.size() < 2)
            return makeFailure();
        return loadText(std::string(text.substr(1, text.size() - 2)));
    }
    default: return makeFailure();
    }
}

} // namespace rill
