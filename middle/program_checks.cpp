#include "middle/program_checks.h"

#include "core/assertion.h"
#include "core/classification.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/lexical_classes.h"
#include "middle/definition_compilation.h"
#include "middle/value_rendering.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <ctime>
#include <dirent.h>
#include <iterator>
#include <map>
#include <netdb.h>
#include <set>
#include <sys/select.h>
#include <sys/socket.h>
#include <utility>

namespace rill {

namespace {

std::string_view textOf(const Node* atom) {
    return std::string_view(atomBytes(atom), measureText(atom));
}

// --- Name lists -------------------------------------------------------------------------------

NameList uniteNames(const NameList& a, const NameList& b) {
    NameList out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

void removeName(NameList& names, std::string_view name) {
    auto at = std::lower_bound(names.begin(), names.end(), name);
    if (at != names.end() && *at == name)
        names.erase(at);
}

// An atom that refers to a definition: a key other than the lambda and brace heads.
bool isNameReference(std::string_view text) {
    return isDefinitionKey(text) && text != "\\" && text != "{";
}

// A binder that may stand in a lambda or let form: an atom holding a valid definition name.
bool isValidBinder(const Node* v) {
    return isAtomNode(v) && isDefinitionName(textOf(v));
}

// --- The layout table -----------------------------------------------------------------------

// A field of a C structure as this platform lays it out.
struct Field {
    std::size_t width;
    std::size_t offset;
    const char* name;
};

// A structure before its fields are placed: one unnamed gap of its whole size.
std::string gapStructure(std::string_view name, std::size_t size) {
    return "[" + std::string(name) + "[[" + std::to_string(size) + "]]]";
}

std::string placeFields(std::string structure, std::initializer_list<Field> fields) {
    for (const Field& f : fields)
        structure = insertField(structure, f.width, f.offset, f.name);
    return structure;
}

// --- Prelude keys -------------------------------------------------------------------------

// The keys of the Prelude's entries, in the Prelude's order.
const std::vector<std::string>& preludeKeys() {
    static const std::vector<std::string>& keys = *[] {
        auto* found = new std::vector<std::string>;
        static constexpr CharSet kComma{","};
        const std::vector<std::size_t> commas = splitPoints(kPreludeText, kComma);
        for (std::size_t k = 0; k < commas.size(); ++k) {
            const std::string_view part = partAfter(kPreludeText, commas, k);
            RILL_ASSERT(!part.empty());
            found->push_back(definitionKey(part.substr(0, part[0] == '[' ? 3 : 1)));
        }
        return found;
    }();
    return keys;
}

// --- The steps ----------------------------------------------------------------------------

// freeNames of each definition, worked out once while the values stay as they are.
class NamesOfDefinitions {
public:
    explicit NamesOfDefinitions(const DefinitionTable& table) : table_(table) {}
    const NameList& of(const std::string& key) {
        auto found = names_.find(key);
        if (found == names_.end())
            found = names_.emplace(key, freeNames(table_.at(key))).first;
        return found->second;
    }

private:
    const DefinitionTable& table_;
    std::map<std::string, NameList> names_;
};

ErrorReport findFunkyDefinition(const DefinitionTable& table) {
    for (const auto& [key, value] : table) {
        const NodeRef form = findFunkyBinder(value);
        if (isAtom(form))
            continue;
        std::string message = "Funky key in expression " + renderTerm(form);
        if (!key.empty())
            message += " in function " + key;
        message += '.';
        return makeReport("Funky", "", std::move(message));
    }
    return ErrorReport();
}

// Takes pending names out smallest first until none is left or one has no definition. A
// root's referrer is never shown: every root is defined.
ErrorReport walkReachable(const DefinitionTable& table, NamesOfDefinitions& names,
                          std::map<std::string, std::string>& pending,
                          std::set<std::string>& visited) {
    while (!pending.empty()) {
        auto first = pending.begin();
        const std::string k = first->first;
        const std::string referrer = first->second;
        pending.erase(first);
        visited.insert(k);
        if (table.find(k) == table.end()) {
            RILL_ASSERT(table.find(referrer) != table.end());
            const std::string shown = referrer.empty() ? "TOP" : referrer;
            return makeReport("Alive", k,
                              "Alive function [" + shown + "] references undefined [" + k + "].");
        }
        for (const std::string& n : names.of(k))
            if (visited.find(n) == visited.end())
                pending[n] = k;
    }
    return ErrorReport();
}

// Every name the entry reaches must be defined. So must every name the Prelude reaches: the
// machine makes letters of its own and every lambda form is classified through the
// backslash entry, whose body names every letter, so a Prelude entry redefined in terms of an
// undefined name is reported as if the entry had reached it, never dropped as dead.
ErrorReport checkReachable(const DefinitionTable& table, NamesOfDefinitions& names) {
    RILL_ASSERT(table.find(std::string()) != table.end());
    std::map<std::string, std::string> pending{{std::string(), "nowhere"}};
    std::set<std::string> visited;
    if (ErrorReport r = walkReachable(table, names, pending, visited); !isEmpty(r))
        return r;
    for (const std::string& key : preludeKeys()) {
        RILL_ASSERT(table.find(key) != table.end());
        if (visited.find(key) == visited.end())
            pending.emplace(key, "nowhere");
    }
    return walkReachable(table, names, pending, visited);
}

// Erases every definition that references an undefined name, directly or through others.
void removeDeadDefinitions(DefinitionTable& table, NamesOfDefinitions& names) {
    Referrers referrers;
    std::set<std::string> work;
    for (const auto& [key, value] : table) {
        for (const std::string& n : names.of(key)) {
            referrers[n].push_back(key);
            if (table.find(n) == table.end())
                work.insert(key);
        }
    }
    const std::set<std::string> dead = withDependents(referrers, std::move(work));
    RILL_ASSERT(dead.find(std::string()) == dead.end());
    for (const std::string& d : dead)
        table.erase(d);
}

// The keys of the binders that are not one letter "a".."z" (m), and the letters (l).
void collectBinders(const NodeRef& term, std::set<std::string>& m, std::set<char>& l) {
    std::vector<Node*> work{term.get()};
    while (!work.empty()) {
        Node* n = work.back();
        work.pop_back();
        if (isAtomNode(n))
            continue;
        if (isLambdaForm(n) || isLetForm(n)) {
            Node* v = binderOf(n);
            RILL_ASSERT(isValidBinder(v)); // the binder check has passed
            const std::string_view text = textOf(v);
            if (text.size() == 1 && text[0] >= 'a' && text[0] <= 'z')
                l.insert(text[0]);
            else
                m.insert(definitionKey(text));
            work.push_back(argumentOf(n));
            if (isLetForm(n))
                work.push_back(argumentOf(functionOf(n)));
            continue;
        }
        work.push_back(argumentOf(n));
        work.push_back(functionOf(n));
    }
}

constexpr std::size_t kLetterCount = 26;

ErrorReport assignLocalNames(DefinitionTable& table) {
    for (auto& [key, value] : table) {
        std::set<std::string> m;
        std::set<char> l;
        collectBinders(value, m, l);
        if (!m.empty())
            appendLog("First " + key + ": " + renderTerm(value) + "\n");
        if (m.size() + l.size() > kLetterCount)
            return makeReport("Place", key,
                              key.empty() ? "Place error."
                                          : "Place error in function " + key + ".");
        char next = 'a';
        for (const std::string& name : m) {
            while (l.find(next) != l.end())
                ++next;
            RILL_ASSERT(next <= 'z');
            l.insert(next);
            value = assignLetters(std::move(value), name, next);
        }
    }
    return ErrorReport();
}

constexpr int kMostParameters = 10;

ErrorReport checkParameterCounts(const DefinitionTable& table) {
    for (const auto& [key, value] : table) {
        int count = 0;
        for (const Node* n = value.get(); isLambdaForm(n) && count <= kMostParameters;
             n = argumentOf(n))
            ++count;
        if (count > kMostParameters)
            return makeReport("Arity", key, "Arity of function " + key + " may not exceed ten.");
    }
    return ErrorReport();
}

void shareDefinitions(DefinitionTable& table) {
    SharedTerms& terms = sharedTerms();
    terms.members.clear();
    for (auto& [key, value] : table)
        (void)shareTerms(value);
    for (auto it = terms.members.begin(); it != terms.members.end();)
        it = isNormal(it->second) ? std::next(it) : terms.members.erase(it);
}

ErrorReport findUnboundLocal(const DefinitionTable& table) {
    for (const auto& [key, value] : table) {
        const std::uint32_t set = freeVariables(value);
        if (set == 0)
            continue;
        const std::string letter(1, static_cast<char>('a' + std::countr_zero(set)));
        if (key.empty())
            return makeReport("Local", key, "Local variable " + letter + " unbound.");
        return makeReport("Local", key,
                          "Local variable " + letter + " unbound in function [" + key + "].");
    }
    return ErrorReport();
}

} // namespace

NameList freeNames(const NodeRef& term) {
    enum class Kind : unsigned char { plain, lambda, let };
    struct Frame {
        Node* node;
        bool expanded;
        Kind kind;
    };
    std::vector<Frame> frames{{term.get(), false, Kind::plain}};
    std::vector<NameList> results;
    while (!frames.empty()) {
        Frame& f = frames.back();
        Node* n = f.node;
        if (isAtomNode(n)) {
            const std::string_view text = textOf(n);
            results.emplace_back();
            if (isNameReference(text))
                results.back().emplace_back(text);
            frames.pop_back();
            continue;
        }
        if (!f.expanded) {
            f.expanded = true;
            if (isLambdaForm(n)) {
                f.kind = Kind::lambda;
                frames.push_back({argumentOf(n), false, Kind::plain});
            } else if (isLetForm(n)) {
                f.kind = Kind::let;
                frames.push_back({argumentOf(n), false, Kind::plain});
                frames.push_back({argumentOf(functionOf(n)), false, Kind::plain});
            } else {
                frames.push_back({argumentOf(n), false, Kind::plain});
                frames.push_back({functionOf(n), false, Kind::plain});
            }
            continue;
        }
        const Kind kind = f.kind;
        frames.pop_back();
        NameList last = std::move(results.back());
        results.pop_back();
        if (kind != Kind::plain) {
            // The binder's key leaves the body's names; a let's value keeps all of its own.
            if (const Node* v = binderOf(n); isValidBinder(v))
                removeName(last, definitionKey(textOf(v)));
        }
        if (kind == Kind::lambda) {
            results.push_back(std::move(last));
            continue;
        }
        NameList before = std::move(results.back());
        results.pop_back();
        results.push_back(uniteNames(before, last));
    }
    RILL_ASSERT(results.size() == 1);
    return std::move(results.back());
}

NodeRef findFunkyBinder(const NodeRef& term) {
    std::vector<Node*> work{term.get()};
    while (!work.empty()) {
        Node* n = work.back();
        work.pop_back();
        if (isAtomNode(n))
            continue;
        if (isAtomNode(functionOf(n))) { // (a X)
            work.push_back(argumentOf(n));
            continue;
        }
        if (isLetForm(n)) { // ((({ v) E) B): E, then B
            if (!isValidBinder(binderOf(n)))
                return NodeRef(n);
            work.push_back(argumentOf(n));
            work.push_back(argumentOf(functionOf(n)));
            continue;
        }
        if (isLambdaForm(n)) { // ((\ v) B)
            if (!isValidBinder(binderOf(n)))
                return NodeRef(n);
            work.push_back(argumentOf(n));
            continue;
        }
        // (P X), and ((a y) X) alike: the function part, then the argument part.
        work.push_back(argumentOf(n));
        work.push_back(functionOf(n));
    }
    return makeAtom("");
}

std::string insertField(std::string_view structure, std::size_t width, std::size_t offset,
                        std::string_view field) {
    // Segments "[" label "[" count "]]" follow the structure's name.
    std::size_t at = structure.find('[', 1);
    std::size_t start = 0;
    while (at < structure.size() && structure[at] == '[') {
        const std::size_t countAt = structure.find('[', at + 1);
        RILL_ASSERT(countAt != std::string_view::npos);
        std::size_t count = 0;
        std::size_t i = countAt + 1;
        for (; i < structure.size() && isDigit(static_cast<unsigned char>(structure[i])); ++i)
            count = count * 10 + static_cast<std::size_t>(structure[i] - '0');
        RILL_ASSERT(structure.substr(i, 2) == "]]");
        const std::size_t next = i + 2;
        const std::size_t end = start + count;
        if (end > offset) {
            RILL_ASSERT(countAt == at + 1 && end >= offset + width); // a gap that covers it
            std::string out(structure.substr(0, at));
            if (offset > start)
                out += "[[" + std::to_string(offset - start) + "]]";
            out += "[" + std::string(field) + "[" + std::to_string(width) + "]]";
            if (end > offset + width)
                out += "[[" + std::to_string(end - offset - width) + "]]";
            out += structure.substr(next);
            return out;
        }
        start = end;
        at = next;
    }
    RILL_ASSERT(false); // no segment reaches past the offset
    return std::string(structure);
}

std::string layoutTableText() {
    std::string text = "[";
    text += placeFields(
        gapStructure("addrinfo", sizeof(addrinfo)),
        {
            {sizeof(addrinfo::ai_flags), offsetof(addrinfo, ai_flags), "ai_flags"},
            {sizeof(addrinfo::ai_family), offsetof(addrinfo, ai_family), "ai_family"},
            {sizeof(addrinfo::ai_socktype), offsetof(addrinfo, ai_socktype), "ai_socktype"},
            {sizeof(addrinfo::ai_protocol), offsetof(addrinfo, ai_protocol), "ai_protocol"},
            {sizeof(addrinfo::ai_addrlen), offsetof(addrinfo, ai_addrlen), "ai_addrlen"},
            {sizeof(addrinfo::ai_addr), offsetof(addrinfo, ai_addr), "ai_addr"},
            {sizeof(addrinfo::ai_canonname), offsetof(addrinfo, ai_canonname), "ai_canonname"},
            {sizeof(addrinfo::ai_next), offsetof(addrinfo, ai_next), "ai_next"},
        });
    text += placeFields(gapStructure("dirent", sizeof(dirent)),
                        {
                            {sizeof(dirent::d_ino), offsetof(dirent, d_ino), "d_ino"},
                            {sizeof(dirent::d_off), offsetof(dirent, d_off), "d_off"},
                            {sizeof(dirent::d_reclen), offsetof(dirent, d_reclen), "d_reclen"},
                            {sizeof(dirent::d_type), offsetof(dirent, d_type), "d_type"},
                            {sizeof(dirent::d_name), offsetof(dirent, d_name), "d_name"},
                        });
    text += gapStructure("fd_set", sizeof(fd_set));
    text += gapStructure("size_t", sizeof(std::size_t));
    text += gapStructure("socklen_t", sizeof(socklen_t));
    text += gapStructure("time_t", sizeof(std::time_t));
    text += ']';
    return text;
}

ErrorReport checkProgram() {
    DefinitionTable& table = definitionTable();
    table.insert_or_assign("_", makeAtom(layoutTableText()));
    for (auto& [key, value] : table)
        value = expandQuotes(std::move(value));
    for (auto& [key, value] : table)
        value = expandPairLets(std::move(value));
    if (ErrorReport r = findFunkyDefinition(table); !isEmpty(r))
        return r;
    {
        NamesOfDefinitions names(table);
        if (ErrorReport r = checkReachable(table, names); !isEmpty(r))
            return r;
        removeDeadDefinitions(table, names);
    }
    if (ErrorReport r = assignLocalNames(table); !isEmpty(r))
        return r;
    if (ErrorReport r = checkParameterCounts(table); !isEmpty(r))
        return r;
    shareDefinitions(table);
    if (ErrorReport r = findUnboundLocal(table); !isEmpty(r))
        return r;
    for (const auto& [key, value] : table)
        classify(value);
    return ErrorReport();
}

std::set<std::string> withDependents(const Referrers& referrers, std::set<std::string> broken) {
    std::set<std::string> dead;
    while (!broken.empty()) {
        dead.insert(broken.begin(), broken.end());
        std::set<std::string> next;
        for (const std::string& d : broken)
            if (auto found = referrers.find(d); found != referrers.end())
                for (const std::string& r : found->second)
                    if (dead.find(r) == dead.end())
                        next.insert(r);
        broken = std::move(next);
    }
    return dead;
}

} // namespace rill
