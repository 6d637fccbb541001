#include "middle/program_checks.h"

#include "core/assertion.h"
#include "core/classification.h"
#include "core/definition_names.h"
#include "core/diagnostic_log.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "front/lexical_classes.h"
#include "middle/definition_compilation.h"
#include "middle/value_rendering.h"

#include <algorithm>
#include <array>
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
    return isAtomNode(v) && isDefinitionName(atomTextOf(v));
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
    std::string structure(1, '[');
    structure.append(name).append("[[").append(std::to_string(size)).append("]]]");
    return structure;
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

// --- Name numbers -------------------------------------------------------------------------

// Every name the checks meet gets a number, in the order met: the table's keys first, in
// table order, so that below the key count a name's number is its definition's place.
class NameNumbers {
public:
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};

    std::size_t size() const { return starts_.size(); }
    std::string_view nameOf(std::uint32_t number) const {
        return std::string_view(bytes_).substr(starts_[number], lengths_[number]);
    }
    // The name's number, a new one when it has none yet.
    std::uint32_t numberOf(std::string_view name) {
        const std::uint32_t hash = hashOf(name);
        std::size_t i = hash & mask_;
        for (; slots_.size() != 0 && slots_[i] != kNone; i = (i + 1) & mask_)
            if (hashes_[slots_[i]] == hash && nameOf(slots_[i]) == name)
                return slots_[i];
        if (2 * (size() + 1) > slots_.size()) {
            grow();
            i = hash & mask_;
            while (slots_[i] != kNone)
                i = (i + 1) & mask_;
        }
        const auto number = static_cast<std::uint32_t>(size());
        starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
        lengths_.push_back(static_cast<std::uint32_t>(name.size()));
        hashes_.push_back(hash);
        bytes_.append(name);
        slots_[i] = number;
        return number;
    }

private:
    static std::uint32_t hashOf(std::string_view name) {
        std::uint64_t h = 0xcbf29ce484222325;
        for (const char c : name)
            h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3;
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }
    void grow() {
        const std::size_t capacity = slots_.empty() ? 1024 : 2 * slots_.size();
        slots_.assign(capacity, kNone);
        mask_ = capacity - 1;
        for (std::uint32_t k = 0; k < size(); ++k) {
            std::size_t i = hashes_[k] & mask_;
            while (slots_[i] != kNone)
                i = (i + 1) & mask_;
            slots_[i] = k;
        }
    }

    std::string bytes_;
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint32_t> lengths_;
    std::vector<std::uint32_t> hashes_;
    std::vector<std::uint32_t> slots_;
    std::size_t mask_ = 0;
};

bool isOneLetter(std::string_view text) {
    return text.size() == 1 && text[0] >= 'a' && text[0] <= 'z';
}

// What one walk over every definition finds out: the names each one references and does not
// bind, whether it has a binder that is no valid name (a "Funky" one), and whether it has a
// binder other than one letter "a".."z", which the letter assignment must rename.
struct DefinitionFacts {
    NameNumbers names;
    std::vector<DefinitionTable::value_type*> entries; // in table order
    std::vector<std::uint32_t> freeStart;              // entries.size() + 1 offsets
    std::vector<std::uint32_t> freeNames;              // the numbers, definition by definition
    std::vector<bool> funky;
    std::vector<bool> renamed;
    bool anyFunky = false;
    bool anyUndefined = false;      // some definition references a name the table does not have
    std::size_t applications = 0;   // the applications walked, counted once per path
    std::vector<NodeRef> nameAtoms; // an atom met for each defined name, by number

    std::size_t count() const { return entries.size(); }
    bool isDefined(std::uint32_t name) const { return name < entries.size(); }
};

// The walk of one definition: an explicit list of nodes to visit and of the binders to take
// into scope and out again, with a count of the binders in scope for each name.
class FactsWalk {
public:
    explicit FactsWalk(DefinitionFacts& facts) : facts_(facts) {}

    // Walks definition d, appending the names it references and does not bind. False, with
    // nothing appended, when it holds a quote form, a pair let or a binder that is no atom,
    // all of which the expansions may rewrite.
    bool walk(std::size_t d) {
        const std::uint32_t stamp = ++stamp_;
        const std::size_t firstName = facts_.freeNames.size();
        bool funky = false;
        bool renamed = false;
        items_.clear();
        items_.push_back({facts_.entries[d]->second.get(), Action::visit, 0});
        while (!items_.empty()) {
            const Item item = items_.back();
            items_.pop_back();
            if (item.action == Action::enter) {
                ++bound_[item.name];
                inScope_.push_back(item.name);
                continue;
            }
            if (item.action == Action::leave) {
                --bound_[item.name];
                inScope_.pop_back();
                continue;
            }
            Node* n = item.node;
            if (isAtomNode(n)) {
                const std::uint32_t name = atomNumber(n);
                if (name == NameNumbers::kNone)
                    continue;
                if (bound_[name] == 0 && seen_[name] != stamp) {
                    seen_[name] = stamp;
                    facts_.freeNames.push_back(name);
                }
                continue;
            }
            ++facts_.applications;
            const bool lambda = isLambdaForm(n);
            if (!lambda && !isLetForm(n)) {
                if (isAtomNode(functionOf(n)) && firstByteOf(functionOf(n)) == '`')
                    return abandon(firstName);
                items_.push_back({argumentOf(n), Action::visit, 0});
                items_.push_back({functionOf(n), Action::visit, 0});
                continue;
            }
            // A lambda's binder is in scope in its body; a let's in its body, not its value.
            const Node* v = binderOf(n);
            if (!isAtomNode(v))
                return abandon(firstName);
            const std::string_view text = atomTextOf(v);
            const bool valid = isDefinitionName(text);
            std::uint32_t name = 0;
            if (valid) {
                renamed = renamed || !isOneLetter(text);
                name = number(definitionKeyView(text));
                items_.push_back({nullptr, Action::leave, name});
            } else {
                funky = true;
            }
            items_.push_back({argumentOf(n), Action::visit, 0});
            if (valid)
                items_.push_back({nullptr, Action::enter, name});
            if (!lambda)
                items_.push_back({argumentOf(functionOf(n)), Action::visit, 0});
        }
        facts_.funky[d] = funky;
        facts_.renamed[d] = renamed;
        facts_.anyFunky = facts_.anyFunky || funky;
        return true;
    }

    // Forgets the atoms seen so far: the next walks may meet new atoms at their addresses.
    void forgetAtoms() { ++atomEpoch_; }

private:
    enum class Action : unsigned char { visit, enter, leave };
    struct Item {
        Node* node;
        Action action;
        std::uint32_t name;
    };

    // Undoes a walk that stopped on the way: the binders in scope leave it and the names
    // the walk appended are dropped (the next walk has a stamp of its own).
    bool abandon(std::size_t firstName) {
        for (const std::uint32_t name : inScope_)
            --bound_[name];
        inScope_.clear();
        facts_.freeNames.resize(firstName);
        return false;
    }

    // The number of the name an atom references, or kNone; the same atom node comes up again
    // and again (the intake makes equal atoms one node), so recent answers are kept by node.
    std::uint32_t atomNumber(const Node* atom) {
        const auto address = reinterpret_cast<std::uintptr_t>(atom);
        CachedAtom& cached = atomCache_[(address >> 4) % atomCache_.size()];
        if (cached.atom == atom && cached.epoch == atomEpoch_)
            return cached.number;
        const std::string_view text = atomTextOf(atom);
        const std::uint32_t name = isNameReference(text) ? number(text) : NameNumbers::kNone;
        cached = CachedAtom{atom, name, atomEpoch_};
        if (facts_.isDefined(name) && facts_.nameAtoms[name].empty())
            facts_.nameAtoms[name] = NodeRef(const_cast<Node*>(atom));
        return name;
    }

    std::uint32_t number(std::string_view text) {
        const std::uint32_t name = facts_.names.numberOf(text);
        if (name >= bound_.size()) {
            bound_.resize(facts_.names.size() + 64, 0);
            seen_.resize(facts_.names.size() + 64, 0);
        }
        return name;
    }

    struct CachedAtom {
        const Node* atom = nullptr;
        std::uint32_t number = 0;
        std::uint32_t epoch = 0;
    };

    DefinitionFacts& facts_;
    std::array<CachedAtom, 4093> atomCache_{};
    std::uint32_t atomEpoch_ = 0;
    std::vector<Item> items_;
    std::vector<std::uint32_t> inScope_; // the binders entered and not yet left
    std::vector<std::uint32_t> bound_;   // how many binders of each name are in scope
    std::vector<std::uint32_t> seen_;    // the stamp of the last walk that appended the name
    std::uint32_t stamp_ = 0;
};

// Expands the quotes and pair lets of every definition and walks each for its facts.
void gatherFacts(DefinitionTable& table, DefinitionFacts& facts) {
    facts.entries.reserve(table.size());
    for (auto& entry : table) {
        const std::uint32_t name = facts.names.numberOf(entry.first);
        RILL_ASSERT(name == facts.entries.size());
        facts.entries.push_back(&entry);
    }
    const std::size_t count = facts.entries.size();
    facts.nameAtoms.resize(count);
    facts.funky.assign(count, false);
    facts.renamed.assign(count, false);
    facts.freeStart.reserve(count + 1);
    FactsWalk walk(facts);
    for (std::size_t d = 0; d < count; ++d) {
        facts.freeStart.push_back(static_cast<std::uint32_t>(facts.freeNames.size()));
        if (walk.walk(d))
            continue;
        NodeRef& value = facts.entries[d]->second;
        value = expandPairLets(expandQuotes(std::move(value)));
        walk.forgetAtoms();
        if (!walk.walk(d)) {
            // A binder that is no atom is all that stops a walk after expanding: the
            // definition is funky, and the report is all that is wanted of it.
            RILL_ASSERT(!isAtom(findFunkyBinder(value)));
            facts.funky[d] = true;
            facts.anyFunky = true;
        }
    }
    facts.freeStart.push_back(static_cast<std::uint32_t>(facts.freeNames.size()));
    for (const std::uint32_t name : facts.freeNames)
        facts.anyUndefined = facts.anyUndefined || !facts.isDefined(name);
}

// --- The steps ----------------------------------------------------------------------------

// The first definition in table order that has a funky binder, reported with the form.
ErrorReport findFunkyDefinition(const DefinitionTable& table) {
    for (const auto& [key, value] : table) {
        const NodeRef form = findFunkyBinder(value);
        if (isAtom(form))
            continue;
        return funkyReport(renderTerm(form), key);
    }
    return ErrorReport();
}

// Takes pending names out smallest first (bytewise, shorter first on a common prefix) until
// none is left or one has no definition; a pending name's referrer is the last definition
// taken out that references it. A root's referrer is never shown: every root is defined.
class ReachableWalk {
public:
    explicit ReachableWalk(const DefinitionFacts& facts)
        : facts_(facts), visited_(facts.names.size(), false), pending_(facts.names.size(), false),
          referrer_(facts.names.size(), kRoot) {}

    void addRoot(std::uint32_t name) {
        if (visited_[name] || pending_[name])
            return;
        pending_[name] = true;
        referrer_[name] = kRoot;
        push(name);
    }

    bool isVisited(std::uint32_t name) const { return visited_[name]; }

    ErrorReport run() {
        while (!heap_.empty()) {
            std::pop_heap(heap_.begin(), heap_.end(), Later{facts_});
            const std::uint32_t k = heap_.back();
            heap_.pop_back();
            pending_[k] = false;
            visited_[k] = true;
            if (!facts_.isDefined(k)) {
                RILL_ASSERT(referrer_[k] != kRoot);
                const std::string_view by = facts_.names.nameOf(referrer_[k]);
                const std::string shown = by.empty() ? "TOP" : std::string(by);
                const std::string name(facts_.names.nameOf(k));
                return makeReport("Alive", name,
                                  "Alive function [" + shown + "] references undefined [" + name +
                                      "].");
            }
            for (std::uint32_t i = facts_.freeStart[k]; i < facts_.freeStart[k + 1]; ++i) {
                const std::uint32_t n = facts_.freeNames[i];
                if (visited_[n])
                    continue;
                referrer_[n] = k;
                if (!pending_[n]) {
                    pending_[n] = true;
                    push(n);
                }
            }
        }
        return ErrorReport();
    }

private:
    static constexpr std::uint32_t kRoot = NameNumbers::kNone;

    // The heap order: the name that sorts last is the one "greater" in heap terms, so that
    // the first name in byte order is on top. Defined names are numbered in byte order.
    struct Later {
        const DefinitionFacts& facts;
        bool operator()(std::uint32_t a, std::uint32_t b) const {
            if (facts.isDefined(a) && facts.isDefined(b))
                return a > b;
            return facts.names.nameOf(a) > facts.names.nameOf(b);
        }
    };
    void push(std::uint32_t name) {
        heap_.push_back(name);
        std::push_heap(heap_.begin(), heap_.end(), Later{facts_});
    }

    const DefinitionFacts& facts_;
    std::vector<bool> visited_;
    std::vector<bool> pending_;
    std::vector<std::uint32_t> referrer_;
    std::vector<std::uint32_t> heap_;
};

// Every name the entry reaches must be defined. So must every name the Prelude reaches: the
// machine makes letters of its own and every lambda form is classified through the
// backslash entry, whose body names every letter, so a Prelude entry redefined in terms of an
// undefined name is reported as if the entry had reached it, never dropped as dead. When no
// definition references an undefined name at all, nothing can be reported.
ErrorReport checkReachable(DefinitionFacts& facts) {
    if (!facts.anyUndefined)
        return ErrorReport();
    ReachableWalk walk(facts);
    const std::uint32_t entry = facts.names.numberOf(std::string_view());
    RILL_ASSERT(facts.isDefined(entry));
    walk.addRoot(entry);
    if (ErrorReport r = walk.run(); !isEmpty(r))
        return r;
    for (const std::string& key : preludeKeys()) {
        const std::uint32_t name = facts.names.numberOf(key);
        RILL_ASSERT(facts.isDefined(name));
        walk.addRoot(name);
    }
    return walk.run();
}

// Erases every definition that references an undefined name, directly or through others;
// dead[d] tells which were erased.
void removeDeadDefinitions(DefinitionTable& table, const DefinitionFacts& facts,
                           std::vector<bool>& dead) {
    const std::size_t count = facts.count();
    dead.assign(count, false);
    if (!facts.anyUndefined)
        return;
    // Who references each definition, as lists in one array.
    std::vector<std::uint32_t> start(count + 1, 0);
    for (const std::uint32_t name : facts.freeNames)
        if (facts.isDefined(name))
            ++start[name + 1];
    for (std::size_t d = 0; d < count; ++d)
        start[d + 1] += start[d];
    std::vector<std::uint32_t> referrers(start[count]);
    std::vector<std::uint32_t> filled(start.begin(), start.end() - 1);
    std::vector<std::uint32_t> work;
    for (std::uint32_t d = 0; d < count; ++d) {
        bool broken = false;
        for (std::uint32_t i = facts.freeStart[d]; i < facts.freeStart[d + 1]; ++i) {
            const std::uint32_t name = facts.freeNames[i];
            if (facts.isDefined(name))
                referrers[filled[name]++] = d;
            else
                broken = true;
        }
        if (broken) {
            dead[d] = true;
            work.push_back(d);
        }
    }
    while (!work.empty()) {
        const std::uint32_t d = work.back();
        work.pop_back();
        for (std::uint32_t i = start[d]; i < start[d + 1]; ++i)
            if (!dead[referrers[i]]) {
                dead[referrers[i]] = true;
                work.push_back(referrers[i]);
            }
    }
    RILL_ASSERT(facts.entries[0]->first.empty() && !dead[0]); // the entry is never dead
    for (std::size_t d = 0; d < count; ++d)
        if (dead[d])
            table.erase(std::string(facts.names.nameOf(static_cast<std::uint32_t>(d))));
}

// Lines for the diagnostic log, written in large pieces: the log ends up with the same
// bytes as when each line is appended on its own.
class LogLines {
public:
    ~LogLines() { flush(); }
    void add(std::string_view line) {
        text_ += line;
        if (text_.size() >= kPieceBytes)
            flush();
    }
    void flush() {
        if (!text_.empty())
            appendLog(text_);
        text_.clear();
    }

private:
    static constexpr std::size_t kPieceBytes = 1 << 16;
    std::string text_;
};

// Gives the local names of every remaining definition that has binders other than single
// letters the first letters its own binders leave free, in bytewise order of the names.
ErrorReport assignLocalNames(const DefinitionFacts& facts, const std::vector<bool>& dead) {
    LogLines log;
    for (std::size_t d = 0; d < facts.count(); ++d) {
        if (dead[d] || !facts.renamed[d])
            continue;
        auto& [key, value] = *facts.entries[d];
        Binders binders = collectBinders(value);
        RILL_ASSERT(!binders.names.empty());
        log.add("First " + key + ": " + renderTerm(value) + "\n");
        if (!giveLocalLetters(value, std::move(binders)))
            return placeReport(key);
    }
    return ErrorReport();
}

ErrorReport checkParameterCounts(const std::vector<DefinitionTable::value_type*>& entries) {
    for (const DefinitionTable::value_type* entry : entries) {
        const auto& [key, value] = *entry;
        if (hasTooManyParameters(value.get()))
            return arityReport(key);
    }
    return ErrorReport();
}

// Classifies an atom of each remaining defined name, in table order. What a name atom
// classifies as depends only on the table, which no longer changes; classified in table
// order, the lookups walk the table in order too, where classifying them as the sharing
// meets them would look names up all over it.
void classifyNameAtoms(DefinitionFacts& facts, const std::vector<bool>& dead) {
    for (std::size_t d = 0; d < facts.count(); ++d) {
        if (!dead[d] && !facts.nameAtoms[d].empty())
            ensureClassified(facts.nameAtoms[d].get());
    }
    std::vector<NodeRef>().swap(facts.nameAtoms);
}

// Shares equal subterms across all definitions, and keeps the normal forms among them in the
// set of shared terms. The estimate of different terms: the names, and about half the applications,
// since programs repeat small pieces such as a parameter plus one.
void shareDefinitions(const std::vector<DefinitionTable::value_type*>& entries,
                      std::size_t expectedTerms) {
    std::vector<NodeRef*> slots;
    slots.reserve(entries.size());
    for (DefinitionTable::value_type* entry : entries)
        slots.push_back(&entry->second);
    shareTermsAfresh(
        slots, [](Node* member) { return isNormalNode(member); }, expectedTerms);
}

ErrorReport findUnboundLocal(const std::vector<DefinitionTable::value_type*>& entries) {
    for (const DefinitionTable::value_type* entry : entries) {
        const auto& [key, value] = *entry;
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

Binders collectBinders(const NodeRef& term) {
    Binders binders;
    std::vector<Node*> work{term.get()};
    while (!work.empty()) {
        Node* n = work.back();
        work.pop_back();
        if (isAtomNode(n))
            continue;
        if (isLambdaForm(n) || isLetForm(n)) {
            Node* v = binderOf(n);
            RILL_ASSERT(isValidBinder(v)); // the binder check has passed
            const std::string_view text = atomTextOf(v);
            if (isLetterKey(text))
                binders.letters.insert(text[0]);
            else
                binders.names.insert(definitionKey(text));
            work.push_back(argumentOf(n));
            if (isLetForm(n))
                work.push_back(argumentOf(functionOf(n)));
            continue;
        }
        work.push_back(argumentOf(n));
        work.push_back(functionOf(n));
    }
    return binders;
}

bool giveLocalLetters(NodeRef& term, Binders binders) {
    if (binders.names.size() + binders.letters.size() > kLetterCount)
        return false;
    char next = 'a';
    for (const std::string& name : binders.names) {
        while (binders.letters.find(next) != binders.letters.end())
            ++next;
        RILL_ASSERT(next <= 'z');
        binders.letters.insert(next);
        term = assignLetters(std::move(term), name, next);
    }
    return true;
}

bool hasTooManyParameters(const Node* value) {
    std::size_t count = 0;
    for (const Node* n = value; isLambdaForm(n) && count <= kMostParameters; n = argumentOf(n))
        ++count;
    return count > kMostParameters;
}

ErrorReport funkyReport(std::string_view shown, const std::string& key) {
    std::string message = "Funky key in expression ";
    message += shown;
    if (!key.empty())
        message += " in function " + key;
    message += '.';
    return makeReport("Funky", "", std::move(message));
}

ErrorReport placeReport(const std::string& key) {
    return makeReport("Place", key,
                      key.empty() ? "Place error." : "Place error in function " + key + ".");
}

ErrorReport arityReport(const std::string& key) {
    return makeReport("Arity", key, "Arity of function " + key + " may not exceed ten.");
}

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
            const std::string_view text = atomTextOf(n);
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
                removeName(last, definitionKey(atomTextOf(v)));
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
    // From here on the table's keys change only where dead definitions are erased, so the
    // steps go through one list of its entries in table order.
    std::vector<DefinitionTable::value_type*> entries;
    std::size_t expectedTerms = 0;
    {
        DefinitionFacts facts;
        gatherFacts(table, facts);
        if (facts.anyFunky)
            return findFunkyDefinition(table);
        if (ErrorReport r = checkReachable(facts); !isEmpty(r))
            return r;
        std::vector<bool> dead;
        removeDeadDefinitions(table, facts, dead);
        if (ErrorReport r = assignLocalNames(facts, dead); !isEmpty(r))
            return r;
        expectedTerms = facts.names.size() + facts.applications / 2;
        classifyNameAtoms(facts, dead);
        entries.reserve(facts.count());
        for (std::size_t d = 0; d < facts.count(); ++d)
            if (!dead[d])
                entries.push_back(facts.entries[d]);
    }
    if (ErrorReport r = checkParameterCounts(entries); !isEmpty(r))
        return r;
    shareDefinitions(entries, expectedTerms);
    if (ErrorReport r = findUnboundLocal(entries); !isEmpty(r))
        return r;
    for (const DefinitionTable::value_type* entry : entries)
        classify(entry->second);
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
