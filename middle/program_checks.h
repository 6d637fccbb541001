// Program checks: the pass between intake and run that turns the definition table into a
// runnable program or rejects it with one report. It installs the layout table "_",
// expands quotes and pair lets, checks binders ("Funky"), checks that every name the entry
// and the Prelude can reach is defined ("Alive"), drops the definitions that cannot work,
// gives local names their letters ("Place"), bounds the parameters ("Arity"), shares equal
// subterms, checks for unbound letters ("Local") and classifies every definition.
#pragma once

#include "core/error_report.h"
#include "core/node_store.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace rill {

// A set of names in a sorted, duplicate-free list: bytewise, a shorter name first on a
// common prefix.
using NameList = std::vector<std::string>;

// The names a term references and does not bind: a lambda form's binder is bound in its body,
// a let form's binder in its body only (not in its value). An atom is a name reference when
// its text is a definition key other than the backslash and "{".
NameList freeNames(const NodeRef& term);

// The first lambda or let form, in search order, whose binder is not a valid definition name
// (an application counts as the empty name); an empty atom when every binder is valid.
NodeRef findFunkyBinder(const NodeRef& term);

// The structure text with the field "[" name "[" width "]]" placed at the offset in the
// unnamed gap that covers it, the rest of the gap kept before and after it. A field that no
// gap covers is an internal failure.
std::string insertField(std::string_view structure, std::size_t width, std::size_t offset,
                        std::string_view field);

// The text of the layout table of this platform's C structures, as stored under "_".
std::string layoutTableText();

// Checks and rewrites the process-wide definition table in place; "Empty" when the program
// may run, else the first failure (no position).
ErrorReport checkProgram();

// --- Local names (also for run-time loading) -------------------------------------------------

// The letters "a".."z": the most local names one definition can have.
inline constexpr std::size_t kLetterCount = 26;
// The most parameters a definition may have.
inline constexpr std::size_t kMostParameters = 10;

// The binders of a term's lambda and let forms: the keys of those that are not one letter
// "a".."z" (names), and those letters.
struct Binders {
    std::set<std::string> names;
    std::set<char> letters;
};
// The binders of a term whose binders are all valid names (an invalid one is an internal
// failure).
Binders collectBinders(const NodeRef& term);
// Gives each of the binders' names, in bytewise order, the first letter that no binder of the
// term holds, throughout the term. False, and the term unchanged, when the names and letters
// are more than 26 together.
bool giveLocalLetters(NodeRef& term, Binders binders);
// True when a definition has more than ten parameters (lambda forms stacked at its top).
bool hasTooManyParameters(const Node* value);

// --- Reports (also for the static checker) -------------------------------------------------

// "Funky": a binder that is not a valid name, in the expression shown, in the definition of the
// key (the entry when the key is empty).
ErrorReport funkyReport(std::string_view shown, const std::string& key);
// "Place": the definition of the key has more than 26 local names.
ErrorReport placeReport(const std::string& key);
// "Arity": the definition of the key has more than ten parameters.
ErrorReport arityReport(const std::string& key);

// Who references each definition key: name -> the keys whose values use it.
using Referrers = std::map<std::string, std::vector<std::string>>;
// The broken keys together with every key that depends on one of them, directly or through
// others.
std::set<std::string> withDependents(const Referrers& referrers, std::set<std::string> broken);

} // namespace rill
