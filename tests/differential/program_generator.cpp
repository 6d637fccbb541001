#include "tests/differential/program_generator.h"

#include <initializer_list>
#include <map>
#include <vector>

namespace rill::generated {

namespace {

// splitmix64: small, and the same sequence everywhere (unlike the standard distributions).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }
    int below(std::size_t n) { return static_cast<int>(next() % n); }
    bool percent(int p) { return below(100) < p; }
    // An index drawn with the given weights.
    int weighted(std::initializer_list<int> weights) {
        int total = 0;
        for (int w : weights)
            total += w;
        int r = below(static_cast<std::size_t>(total));
        int i = 0;
        for (int w : weights) {
            if (r < w)
                return i;
            r -= w;
            ++i;
        }
        return i - 1;
    }
    template <class T> const T& pick(const std::vector<T>& v) { return v[below(v.size())]; }

private:
    std::uint64_t state_;
};

// What a name stands for: an integer, or a function from integers to integers.
enum class Kind { integer, function };

struct Function {
    std::string name;
    std::vector<Kind> parameters;
    bool recursive = false; // the first parameter counts down: call it with a small value
};

// The letters bound where a term is written, and the recursive call that may be written there.
struct Scope {
    std::map<char, Kind> letters;
    char counter = 0;             // the letter that counts down; never shadowed
    std::string recursiveCall;    // the callee of a call that counts down, when there is one
    std::vector<Kind> restOfCall; // the kinds of its further arguments
    // Text for `load`: no definition of the program but its helpers, no recursion and
    // nothing that might not end, since the step bound does not reach into a nested run.
    bool loaded = false;

    std::vector<char> of(Kind kind) const {
        std::vector<char> found;
        for (auto [letter, k] : letters)
            if (k == kind)
                found.push_back(letter);
        return found;
    }
};

// Every random choice is made in its own statement: the operands of "+" may be worked out in
// any order, and the same seed must give the same program whatever the compiler.
class Generator {
public:
    explicit Generator(std::uint64_t seed) : random_(seed) {}

    std::string program() {
        std::string definitions;
        const int count = 2 + random_.below(5);
        for (int i = 0; i < count; ++i)
            definitions += ",\n" + definition();
        Scope top;
        const int statements = 2 + random_.below(5);
        std::string entry = integer(3, top);
        for (int i = 0; i < statements; ++i)
            entry = "seq(" + statement(3, top) + "," + entry + ")";
        return "K(" + entry + ")" + definitions +
               ",\nseq\\a\\b\\b,\nout\\s\\fwrite(s,1,rank(s),stdout),\n"
               "pn\\n\\seq(out(init([]+n)),seq(putchar(32),n)),\n"
               "show\\x\\seq(out(init(lisp(x))),putchar(10))\n";
    }

private:
    // --- Definitions ----------------------------------------------------------------------

    std::string definition() {
        switch (random_.weighted({55, 18, 12, 6, 4, 3})) {
        case 0: return functionDefinition();
        case 1: return named(constants_, "cv", "\\" + integer(3, Scope{}));
        case 2: return named(onceNames_, "on", "()\\" + integer(3, Scope{}));
        case 3: return named(functionConstants_, "cf", "\\" + functionTerm(3, Scope{}));
        case 4: return preludeLetter();
        default:
            // A constant that needs its own value, reached only now and then: a Cycle report.
            if (!cycle_.empty())
                return functionDefinition();
            cycle_ = "cyc";
            return "cyc\\(1+cyc)";
        }
    }

    // A new name with the prefix, its definition, and the name kept in the list.
    std::string named(std::vector<std::string>& list, const char* prefix, const std::string& rest) {
        std::string name = prefix + std::string(1, static_cast<char>('a' + list.size()));
        list.push_back(name);
        return name + rest;
    }

    std::string functionDefinition() {
        Function f;
        f.name = "fn" + std::string(1, static_cast<char>('a' + functions_.size()));
        const int arity = 1 + random_.below(3);
        Scope scope;
        std::string text = f.name;
        for (int i = 0; i < arity; ++i) {
            const Kind kind = i == 0 || random_.percent(80) ? Kind::integer : Kind::function;
            const char letter = fresh(scope, false);
            scope.letters[letter] = kind;
            f.parameters.push_back(kind);
            text += std::string("\\") + letter;
            if (i == 0)
                scope.counter = letter;
        }
        text += "\\";
        if (random_.percent(30)) {
            f.recursive = true;
            const std::string counter(1, scope.counter);
            const std::string base = integer(2, scope);
            Scope inner = scope;
            inner.recursiveCall = f.name;
            inner.restOfCall.assign(f.parameters.begin() + 1, f.parameters.end());
            text += "((" + counter + "<1)(" + base + ")(" + recursionStep(3, inner) + "))";
        } else {
            scope.counter = 0;
            text += integer(3, scope);
        }
        functions_.push_back(f);
        return text;
    }

    // A Prelude letter defined anew: mostly as it was, in other words, but not always.
    std::string preludeLetter() {
        static const std::vector<std::string> kLetters = {
            "T\\x\\y\\y x",       "T\\a\\b\\b(a)",     "T\\a\\b\\a b", "I\\x\\x",
            "B\\a\\b\\c\\a(b c)", "K\\x\\y\\x",        "H\\a\\b\\b",   "V\\a\\b\\c\\c(a,b)",
            "B\\a\\b\\c\\b(a c)", "C\\a\\b\\c\\a(c,b)"};
        return random_.pick(kLetters);
    }

    // --- Letters --------------------------------------------------------------------------

    // A letter for a new binder: mostly one not bound yet; now and then one that is, so that
    // the new binder hides it (never the counter of a recursion).
    char fresh(const Scope& scope, bool mayShadow) {
        std::vector<char> free, shadowable;
        for (char c = 'a'; c <= 'z'; ++c) {
            if (!scope.letters.contains(c))
                free.push_back(c);
            else if (c != scope.counter)
                shadowable.push_back(c);
        }
        if (free.empty() || (mayShadow && !shadowable.empty() && random_.percent(8)))
            return random_.pick(shadowable.empty() ? free : shadowable);
        return random_.pick(free);
    }

    // --- Terms ----------------------------------------------------------------------------

    std::string literal() {
        static const std::vector<std::string> kLarge = {"4294967296",
                                                        "9223372036854775807",
                                                        "123456789012345678901234567890",
                                                        "09223372036854775808",
                                                        "255",
                                                        "256"};
        switch (random_.weighted({60, 20, 6})) {
        case 0: return std::to_string(random_.below(13));
        case 1: return "0" + std::to_string(1 + random_.below(12)); // minus 1 to minus 12
        default: return random_.pick(kLarge);
        }
    }

    std::string text() {
        static const std::vector<std::string> kPieces = {"a",   "b",  "xy",     " ",
                                                         "[p]", "ok", "[q][r]", "Z"};
        std::string t;
        for (int n = random_.below(4); n >= 0; --n)
            t += random_.pick(kPieces);
        return t;
    }

    // A term whose value is meant to be an integer.
    std::string integer(int depth, const Scope& scope) {
        if (depth <= 0 || random_.percent(20))
            return integerLeaf(scope);
        const std::string a = integer(depth - 1, scope);
        switch (random_.weighted({14, 8, 12, 10, 7, 4, 5, 8, 8, 10, 4, 3, 2, 2})) {
        case 0: {
            static const std::vector<std::string> kOperators = {"+", "-", "*", "/", "%"};
            const std::string op = random_.pick(kOperators);
            const std::string b = integer(depth - 1, scope);
            return "(" + a + op + b + ")";
        }
        case 1: {
            static const std::vector<std::string> kComparisons = {"<", ">", "=", "#"};
            const std::string op = random_.pick(kComparisons);
            const std::string b = integer(depth - 1, scope);
            const std::string then = integer(depth - 1, scope);
            const std::string otherwise = integer(depth - 1, scope);
            return "((" + a + op + b + ")(" + then + ")(" + otherwise + "))";
        }
        case 2:
            if (functions_.empty() || scope.loaded)
                return a;
            return call(random_.pick(functions_), depth - 1, scope);
        case 3:
            if (scope.recursiveCall.empty())
                return a;
            return countdown(depth - 1, scope);
        case 4: { // let
            Scope inner = scope;
            const char v = fresh(scope, true);
            inner.letters[v] = Kind::integer;
            return "(" + std::string(1, v) + "{" + a + "}" + integer(depth - 1, inner) + ")";
        }
        case 5: { // pair let
            Scope inner = scope;
            const char p = fresh(scope, true);
            inner.letters[p] = Kind::integer;
            const char q = fresh(inner, false);
            inner.letters[q] = Kind::integer;
            // Mostly a pair; now and then an integer, which unfolds into a pair of its own.
            const std::string pair =
                random_.percent(80) ? "V(" + a + "," + integer(depth - 1, scope) + ")" : a;
            const std::string body = integer(depth - 1, inner);
            return "(" + std::string(1, p) + " " + std::string(1, q) + "{" + pair + "}" + body +
                   ")";
        }
        case 6: { // lambda applied
            Scope inner = scope;
            const char v = fresh(scope, true);
            inner.letters[v] = Kind::integer;
            return "((" + std::string(1, v) + "\\" + integer(depth - 1, inner) + ")(" + a + "))";
        }
        case 7: return "(" + functionTerm(depth - 1, scope) + ")(" + a + ")";
        case 8: return combinator(a, depth - 1, scope);
        case 9:
            if (random_.percent(40))
                return "pn(" + a + ")";
            return "seq(" + statement(depth - 1, scope) + "," + a + ")";
        case 10: { // a recursion through Y, on a small count
            if (scope.loaded)
                return a;
            Scope inner = scope;
            const char f = fresh(scope, true);
            inner.letters[f] = Kind::function;
            inner.counter = fresh(inner, false);
            inner.letters[inner.counter] = Kind::integer;
            const std::string n(1, inner.counter);
            const std::string base = integer(depth - 1, inner);
            inner.recursiveCall = std::string(1, f);
            inner.restOfCall.clear();
            const std::string step = recursionStep(depth - 1, inner);
            return "(Y(" + std::string(1, f) + "\\" + n + "\\((" + n + "<1)(" + base + ")(" + step +
                   ")))(" + a + "%5))";
        }
        case 11: return "rank(" + stringTerm(depth - 1, scope) + ")";
        case 12: return "(`(" + a + ") H)";
        default: {
            // A term of no local names, loaded and run while the machine is running.
            if (scope.loaded)
                return a;
            Scope loaded;
            loaded.loaded = true;
            return "load([" + integer(depth - 1, loaded) + "])";
        }
        }
    }

    // The branch of a recursion that goes on: it counts down at least once, and may print
    // the counter on the way down or on the way back.
    std::string recursionStep(int depth, const Scope& scope) {
        const std::string down = countdown(depth, scope);
        const std::string counter(1, scope.counter);
        switch (random_.below(4)) {
        case 0: return "seq(pn(" + counter + ")," + down + ")";
        case 1: return "(" + down + "+pn(" + counter + "))";
        case 2: {
            const std::string other = integer(depth, scope);
            return "(" + other + "*" + down + ")";
        }
        default: return integer(depth, scope);
        }
    }

    std::string integerLeaf(const Scope& scope) {
        const std::vector<char> letters = scope.of(Kind::integer);
        const int named = scope.loaded ? 0 : 1; // no names of the program in loaded text
        switch (random_.weighted({35, 10 * named, 8 * named, 1 * named, 45})) {
        case 0:
            if (!letters.empty())
                return std::string(1, random_.pick(letters));
            break;
        case 1:
            if (!constants_.empty())
                return random_.pick(constants_);
            break;
        case 2:
            if (!onceNames_.empty())
                return random_.pick(onceNames_);
            break;
        case 3:
            if (!cycle_.empty())
                return cycle_;
            break;
        }
        return literal();
    }

    // A call of a defined function with all its arguments; a recursive one counts from a
    // small number.
    std::string call(const Function& f, int depth, const Scope& scope) {
        std::string text = f.name + "(";
        for (std::size_t i = 0; i < f.parameters.size(); ++i) {
            if (i > 0)
                text += ",";
            if (i == 0 && f.recursive)
                text.append("(").append(integer(depth, scope)).append("%6)");
            else
                text += argument(f.parameters[i], depth, scope);
        }
        return text + ")";
    }

    // The recursive call, one lower on the counter.
    std::string countdown(int depth, const Scope& scope) {
        std::string text = scope.recursiveCall + "((" + std::string(1, scope.counter) + "-1)";
        for (Kind kind : scope.restOfCall)
            text.append(",").append(argument(kind, depth, scope));
        return text + ")";
    }

    std::string argument(Kind kind, int depth, const Scope& scope) {
        return kind == Kind::integer ? integer(depth, scope) : functionTerm(depth, scope);
    }

    // The value a, reached through Prelude combinators; the other arguments are never needed.
    std::string combinator(const std::string& a, int depth, const Scope& scope) {
        const std::string w = anyTerm(depth, scope);
        switch (random_.below(13)) {
        case 0: return "I(" + a + ")";
        case 1: return "K(" + a + "," + w + ")";
        case 2: return "H(" + w + "," + a + ")";
        case 3: return "S(K,K," + a + ")";
        case 4: return "V(" + a + "," + w + ",K)";
        case 5: return "V(" + w + "," + a + ",H)";
        case 6: return "T(" + a + ",I)";
        case 7: return "C(K," + w + "," + a + ")";
        case 8: return "B(I,I," + a + ")";
        case 9: {
            const std::string w2 = anyTerm(depth, scope);
            return "J(" + a + "," + w + "," + w2 + ",K)";
        }
        case 10: return "W(K," + a + ")";
        case 11: return "F(" + a + "," + w + ",H)";
        default: {
            const std::string w2 = anyTerm(depth, scope);
            return "N(" + w + "," + a + "," + w2 + ")";
        }
        }
    }

    // A term whose value is meant to be a function from integers to integers.
    std::string functionTerm(int depth, const Scope& scope) {
        if (depth <= 0)
            return functionLeaf(scope);
        switch (random_.weighted({10, 6, 2, 8, 4, 3, 3, 6})) {
        case 0: {
            Scope inner = scope;
            const char v = fresh(scope, true);
            inner.letters[v] = Kind::integer;
            return "(" + std::string(1, v) + "\\" + integer(depth - 1, inner) + ")";
        }
        case 1: {
            static const std::vector<std::string> kPartial = {"plus", "mult", "dash"};
            const std::string name = random_.pick(kPartial);
            return name + "(" + integer(depth - 1, scope) + ")";
        }
        case 2: return "C(dash," + integer(depth - 1, scope) + ")";
        case 3: {
            // A defined function given all but its last parameter, which takes an integer.
            if (scope.loaded)
                return functionLeaf(scope);
            std::vector<Function> fitting;
            for (const Function& f : functions_)
                if (!f.recursive && f.parameters.back() == Kind::integer)
                    fitting.push_back(f);
            if (fitting.empty())
                return functionLeaf(scope);
            const Function& f = random_.pick(fitting);
            if (f.parameters.size() == 1)
                return f.name;
            std::string text = f.name + "(";
            for (std::size_t i = 0; i + 1 < f.parameters.size(); ++i)
                text += (i > 0 ? "," : "") + argument(f.parameters[i], depth - 1, scope);
            return text + ")";
        }
        case 4: {
            const std::string f = functionTerm(depth - 1, scope);
            const std::string g = functionTerm(depth - 1, scope);
            return "B(" + f + "," + g + ")";
        }
        case 5: return "K(" + integer(depth - 1, scope) + ")";
        case 6: {
            static const std::vector<std::string> kFixed = {"I", "S(K,K)", "W(mult)", "W(plus)"};
            return random_.pick(kFixed);
        }
        default: return functionLeaf(scope);
        }
    }

    std::string functionLeaf(const Scope& scope) {
        const std::vector<char> letters = scope.of(Kind::function);
        if (!letters.empty() && random_.percent(50))
            return std::string(1, random_.pick(letters));
        if (!functionConstants_.empty() && !scope.loaded && random_.percent(30))
            return random_.pick(functionConstants_);
        static const std::vector<std::string> kLeaves = {"I", "plus(1)", "mult(2)", "dash(0)"};
        return random_.pick(kLeaves);
    }

    std::string stringTerm(int depth, const Scope& scope) {
        switch (random_.below(4)) {
        case 0: return "[" + text() + "]";
        case 1: return "cape([" + text() + "])";
        case 2: return "([]+" + integer(depth, scope) + ")";
        default: return "lisp(" + functionTerm(depth, scope) + ")";
        }
    }

    // Any term at all: its value may be no integer, and it may not even have one.
    std::string anyTerm(int depth, const Scope& scope) {
        if (depth <= 0 || random_.percent(30)) {
            static const std::vector<std::string> kLeaves = {
                "K", "H", "I", "S", "B", "C", "T",    "V",  "W",    "J", "F",
                "N", "Z", "A", "D", "E", "L", "Q",    "R",  "X",    "Y", "M",
                "U", "G", "O", "P", "3", "0", "[ab]", "[]", "plus", "pn"};
            return random_.pick(kLeaves);
        }
        switch (random_.weighted({40, 15, 15, 15, 15})) {
        case 0: {
            const std::string f = anyTerm(depth - 1, scope);
            const std::string x = anyTerm(depth - 1, scope);
            return "(" + f + " " + x + ")";
        }
        case 1: {
            Scope inner = scope;
            const char v = fresh(scope, true);
            inner.letters[v] = Kind::integer;
            return "(" + std::string(1, v) + "\\" + anyTerm(depth - 1, inner) + ")";
        }
        case 2: return integer(depth - 1, scope);
        case 3: return functionTerm(depth - 1, scope);
        default: return stringTerm(depth - 1, scope);
        }
    }

    // A term worked out for its effect only.
    std::string statement(int depth, const Scope& scope) {
        switch (random_.weighted({10, 5, 4, 4, 4, 2})) {
        case 0: return "pn(" + integer(depth, scope) + ")";
        case 1: return "show(" + functionTerm(depth, scope) + ")";
        case 2:
            if (scope.loaded)
                return "show(" + functionTerm(depth, scope) + ")";
            return "show(" + anyTerm(depth, scope) + ")";
        case 3: return "out(cape([" + text() + "]))";
        case 4: return "putchar(65+(" + integer(depth, scope) + "%26))";
        default: {
            const std::string t = text();
            return "fwrite(cape([" + t + "]),1," + std::to_string(random_.below(3)) + ",stdout)";
        }
        }
    }

    Random random_;
    std::vector<Function> functions_;
    std::vector<std::string> constants_, onceNames_, functionConstants_;
    std::string cycle_;
};

} // namespace

std::string generateProgram(std::uint64_t seed) {
    return Generator(seed).program();
}

} // namespace rill::generated
