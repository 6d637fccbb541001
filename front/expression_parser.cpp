#include "front/expression_parser.h"

#include "core/assertion.h"
#include "front/lexical_classes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace rill {

namespace {

// The split characters of the folding levels, indexed by level (1 to 8).
constexpr CharSet kLevelSplits[kLastFoldingLevel + 1] = {
    CharSet(""),   CharSet(";\\{"), CharSet("?\n"),  CharSet("&|"), CharSet("=<>#"),
    CharSet("@ "), CharSet("+-:."), CharSet("*/%'"), CharSet("^"),
};
// Whether a folding level groups from the left (otherwise from the right).
constexpr bool kFoldsLeft[kLastFoldingLevel + 1] = {false, false, true, false, false,
                                                    true,  true,  true, false};
constexpr CharSet kComma{","};

// The bit of each byte that splits at one of the folding levels (bit level), or is a prefix
// operator, which the prefix-run level looks for (bit kPrefixRunLevel); no byte belongs to two
// of these sets.
constexpr std::array<std::uint16_t, 256> kLevelBits = [] {
    std::array<std::uint16_t, 256> bits{};
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        for (int level = kLoosestLevel; level <= kLastFoldingLevel; ++level)
            if (kLevelSplits[level].contains(c))
                bits[b] |= static_cast<std::uint16_t>(1u << level);
        if (kPrefixOperators.contains(c))
            bits[b] |= 1u << kPrefixRunLevel;
    }
    return bits;
}();

// The parser is a loop over a stack of tasks, so that nesting in the text costs heap and not
// machine stack. A parse task leaves exactly one node on the value stack when it and the
// tasks it schedules have run; the combining tasks pop their operands and push the result.
enum class TaskKind : std::uint8_t {
    Parse,    // the tree of text[begin, end) at a level
    Term,     // the atom of the term text[begin, end)
    Apply,    // f x => (f x)
    Operator, // L R => ((op L) R)
    Prefix,   // x => (op x)
    Brace,    // L E R => ((({ L) E) R)
};

struct Task {
    TaskKind kind;
    std::uint8_t level;
    unsigned char op;
    std::size_t begin;
    std::size_t end;
};

class ExpressionParse {
public:
    explicit ExpressionParse(AtomCache* atoms = nullptr, std::vector<AtomOrigin>* origins = nullptr)
        : atoms_(atoms), origins_(origins) {}

    // Parses the text from the level: runs every task to the end and hands out the single
    // tree that remains. The scratch space is kept for the next text.
    ParseOutcome run(std::string_view text, int level) {
        RILL_ASSERT(level >= kLoosestLevel && level <= kTightestLevel);
        text_ = text;
        pairBracketsInto(text, partners_);
        tasks_.push_back(parseTask(level, 0, text_.size()));
        while (!tasks_.empty()) {
            const Task task = tasks_.back();
            tasks_.pop_back();
            perform(task);
        }
        RILL_ASSERT(values_.size() == 1);
        ParseOutcome outcome{std::move(values_.back()), std::move(badTerm_), badTermAt_};
        values_.clear();
        badTerm_.clear();
        return outcome;
    }

private:
    static Task parseTask(int level, std::size_t begin, std::size_t end) {
        return Task{TaskKind::Parse, static_cast<std::uint8_t>(level), 0, begin, end};
    }
    // A combining task; an operator's or prefix's task keeps the position of its character.
    static Task combineTask(TaskKind kind, unsigned char op = 0, std::size_t at = 0) {
        return Task{kind, 0, op, at, 0};
    }
    unsigned char byteAt(std::size_t i) const { return static_cast<unsigned char>(text_[i]); }

    // A level schedules its tasks in the order they are to run between beginSchedule and
    // endSchedule, which turns them around for the stack.
    std::size_t beginSchedule() const { return tasks_.size(); }
    void endSchedule(std::size_t mark) { std::reverse(tasks_.begin() + mark, tasks_.end()); }

    NodeRef popValue() {
        RILL_ASSERT(!values_.empty());
        NodeRef v = std::move(values_.back());
        values_.pop_back();
        return v;
    }

    void perform(const Task& task) {
        switch (task.kind) {
        case TaskKind::Parse: parse(task.level, task.begin, task.end); return;
        case TaskKind::Term: pushTerm(task.begin, task.end); return;
        case TaskKind::Apply: {
            NodeRef x = popValue();
            NodeRef f = popValue();
            values_.push_back(apply(std::move(f), std::move(x)));
            return;
        }
        case TaskKind::Operator: {
            NodeRef r = popValue();
            NodeRef l = popValue();
            values_.push_back(apply(operatorAtom(task.op, task.begin), std::move(l), std::move(r)));
            return;
        }
        case TaskKind::Prefix: {
            NodeRef x = popValue();
            values_.push_back(apply(operatorAtom(task.op, task.begin), std::move(x)));
            return;
        }
        case TaskKind::Brace: {
            NodeRef r = popValue();
            NodeRef e = popValue();
            NodeRef l = popValue();
            values_.push_back(
                apply(atomAt("{", task.begin), std::move(l), std::move(e), std::move(r)));
            return;
        }
        }
        RILL_ASSERT(false && "unknown parse task");
    }

    // The atom of the text: the cache's when there is one, else a new one.
    NodeRef atom(std::string_view text) {
        return atoms_ != nullptr ? atoms_->atomOf(text) : makeAtom(text);
    }

    // The atom of a text made at a position, whose origin is recorded when origins are kept.
    NodeRef atomAt(std::string_view text, std::size_t at) {
        NodeRef made = atom(text);
        if (origins_ != nullptr)
            origins_->push_back({made.get(), at});
        return made;
    }

    NodeRef operatorAtom(unsigned char op, std::size_t at) {
        const char text = static_cast<char>(op);
        return atomAt(std::string_view(&text, 1), at);
    }

    // A level that finds nothing of its own hands the same text straight to the next one.
    // The folding levels and the prefix-run level whose bytes stand in text[begin, end) outside
    // every group, as bits: a level whose bytes are absent finds nothing of its own.
    std::uint32_t levelsPresent(std::size_t begin, std::size_t end) const {
        std::uint32_t present = 0;
        for (std::size_t i = begin; i < end;) {
            present |= kLevelBits[byteAt(i)];
            const std::size_t next = partnerOf(partners_, i);
            RILL_ASSERT(next >= i && next < end); // a group closed outside the range
            i = next + 1;
        }
        return present;
    }

    void parse(int level, std::size_t begin, std::size_t end) {
        // The postfix and leading prefix levels take off one prefix character and start again
        // at their own level, so only a parse that starts at a folding level looks the text
        // over first.
        const std::uint32_t present =
            level <= kLastFoldingLevel ? levelsPresent(begin, end) : ~std::uint32_t{0};
        for (;; ++level) {
            if ((level <= kLastFoldingLevel || level == kPrefixRunLevel) &&
                (present & (1u << level)) == 0)
                continue;
            switch (level) {
            case kBinderLevel:
                if (parseSemicolonsLambdasBraces(begin, end))
                    return;
                break;
            case kPostfixLevel:
                if (begin == end) {
                    values_.push_back(atomAt("}", begin));
                    return;
                }
                if (isPrefixOperator(byteAt(end - 1))) {
                    const std::size_t mark = beginSchedule();
                    tasks_.push_back(parseTask(kPostfixLevel, begin, end - 1));
                    tasks_.push_back(combineTask(TaskKind::Prefix, byteAt(end - 1), end - 1));
                    endSchedule(mark);
                    return;
                }
                break;
            case kLeadingPrefixLevel:
                RILL_ASSERT(begin < end);
                if (isPrefixOperator(byteAt(begin))) {
                    const std::size_t mark = beginSchedule();
                    tasks_.push_back(parseTask(kLeadingPrefixLevel, begin + 1, end));
                    tasks_.push_back(combineTask(TaskKind::Prefix, byteAt(begin), begin));
                    endSchedule(mark);
                    return;
                }
                break;
            case kPrefixRunLevel:
                if (parsePrefixRuns(begin, end))
                    return;
                break;
            case kTermLevel: parseTerms(begin, end); return;
            default:
                RILL_ASSERT(level >= kLineLevel && level <= kLastFoldingLevel);
                if (parseFold(level, begin, end))
                    return;
                break;
            }
        }
    }

    // The binder level: ";", backslash and "{" fold from the right; "{" takes the brace list up to
    // its partner, and the piece after a brace group starts after the partner.
    bool parseSemicolonsLambdasBraces(std::size_t begin, std::size_t end) {
        splitPointsIn(text_, partners_, begin, end, kLevelSplits[1], points_);
        if (points_.empty())
            return false;
        const std::size_t mark = beginSchedule();
        std::size_t from = begin;
        for (const std::size_t p : points_) {
            tasks_.push_back(parseTask(kLineLevel, from, p));
            if (byteAt(p) == '{') {
                const std::size_t close = partnerOf(partners_, p);
                scheduleBraceList(p + 1, close);
                from = close + 1;
            } else {
                from = p + 1;
            }
        }
        tasks_.push_back(parseTask(kLineLevel, from, end));
        for (auto it = points_.rbegin(); it != points_.rend(); ++it) {
            if (byteAt(*it) == '{')
                tasks_.push_back(combineTask(TaskKind::Brace, '{', *it));
            else
                tasks_.push_back(combineTask(TaskKind::Operator, byteAt(*it), *it));
        }
        endSchedule(mark);
        return true;
    }

    // The elements between braces, each a full expression, folded from the right with ",";
    // it uses only the comma scratch, so the caller's split points stay intact.
    void scheduleBraceList(std::size_t begin, std::size_t end) {
        splitPointsIn(text_, partners_, begin, end, kComma, commas_);
        std::size_t from = begin;
        for (const std::size_t c : commas_) {
            tasks_.push_back(parseTask(kLoosestLevel, from, c));
            from = c + 1;
        }
        tasks_.push_back(parseTask(kLoosestLevel, from, end));
        for (std::size_t k = 0; k < commas_.size(); ++k)
            tasks_.push_back(combineTask(TaskKind::Operator, ',', commas_[commas_.size() - 1 - k]));
    }

    // The other folding levels: all characters of a level bind equally and the fold groups them;
    // space and newline stand for plain application.
    bool parseFold(int level, std::size_t begin, std::size_t end) {
        splitPointsIn(text_, partners_, begin, end, kLevelSplits[level], points_);
        if (points_.empty())
            return false;
        const std::size_t mark = beginSchedule();
        const int next = level + 1;
        tasks_.push_back(parseTask(next, begin, points_.front()));
        if (kFoldsLeft[level]) {
            for (std::size_t k = 0; k < points_.size(); ++k) {
                const std::size_t to = k + 1 < points_.size() ? points_[k + 1] : end;
                tasks_.push_back(parseTask(next, points_[k] + 1, to));
                const unsigned char c = byteAt(points_[k]);
                if (c == ' ' || c == '\n')
                    tasks_.push_back(combineTask(TaskKind::Apply));
                else
                    tasks_.push_back(combineTask(TaskKind::Operator, c, points_[k]));
            }
        } else {
            for (std::size_t k = 0; k < points_.size(); ++k) {
                const std::size_t to = k + 1 < points_.size() ? points_[k + 1] : end;
                tasks_.push_back(parseTask(next, points_[k] + 1, to));
            }
            for (auto it = points_.rbegin(); it != points_.rend(); ++it)
                tasks_.push_back(combineTask(TaskKind::Operator, byteAt(*it), *it));
        }
        endSchedule(mark);
        return true;
    }

    // The prefix-run level: each run of prefix characters inside a stretch of terms prefixes the
    // terms up to the next run, and the prefixed piece is applied to what stands before it.
    bool parsePrefixRuns(std::size_t begin, std::size_t end) {
        points_.clear();
        std::size_t at = findTopLevelIn(text_, partners_, begin, end, kPrefixOperators);
        while (at != kNoPosition) {
            points_.push_back(at);
            while (at < end && isPrefixOperator(byteAt(at)))
                ++at;
            at = findTopLevelIn(text_, partners_, at, end, kPrefixOperators);
        }
        if (points_.empty())
            return false;
        const std::size_t mark = beginSchedule();
        tasks_.push_back(parseTask(kTermLevel, begin, points_.front()));
        for (std::size_t k = 0; k < points_.size(); ++k) {
            const std::size_t start = points_[k];
            const std::size_t to = k + 1 < points_.size() ? points_[k + 1] : end;
            RILL_ASSERT(to - start >= 2);
            std::size_t rest = start;
            while (isPrefixOperator(byteAt(rest)))
                ++rest;
            RILL_ASSERT(rest < to);
            tasks_.push_back(parseTask(kTermLevel, rest, to));
            for (std::size_t i = rest; i > start; --i)
                tasks_.push_back(combineTask(TaskKind::Prefix, byteAt(i - 1), i - 1));
            tasks_.push_back(combineTask(TaskKind::Apply));
        }
        endSchedule(mark);
        return true;
    }

    // The term level: juxtaposed terms apply from the left; a later parenthesised term is a call
    // list whose arguments are applied one by one.
    void parseTerms(std::size_t begin, std::size_t end) {
        cutTermsIn(text_, partners_, begin, end, points_);
        const std::size_t mark = beginSchedule();
        for (std::size_t k = 0; k < points_.size(); ++k) {
            const std::size_t start = points_[k];
            const std::size_t to = k + 1 < points_.size() ? points_[k + 1] : end;
            if (byteAt(start) != '(') {
                tasks_.push_back(Task{TaskKind::Term, 0, 0, start, to});
                if (k > 0)
                    tasks_.push_back(combineTask(TaskKind::Apply));
                continue;
            }
            const std::size_t close = partnerOf(partners_, start);
            RILL_ASSERT(close + 1 == to);
            if (k == 0) {
                tasks_.push_back(parseTask(kLoosestLevel, start + 1, close));
                continue;
            }
            splitPointsIn(text_, partners_, start + 1, close, kComma, commas_);
            std::size_t from = start + 1;
            for (const std::size_t c : commas_) {
                tasks_.push_back(parseTask(kLoosestLevel, from, c));
                tasks_.push_back(combineTask(TaskKind::Apply));
                from = c + 1;
            }
            tasks_.push_back(parseTask(kLoosestLevel, from, close));
            tasks_.push_back(combineTask(TaskKind::Apply));
        }
        endSchedule(mark);
    }

    // The atom of one term; the first term with no meaning is kept and a "}" stands for it.
    void pushTerm(std::size_t begin, std::size_t end) {
        const std::string_view term = text_.substr(begin, end - begin);
        if (isReadableTerm(term)) {
            RILL_ASSERT(term[0] != '(');
            values_.push_back(atomAt(term.size() == 1 && term[0] == '\0' ? "\n" : term, begin));
            return;
        }
        if (badTerm_.empty()) {
            badTerm_ = std::string(term);
            badTermAt_ = begin;
        }
        values_.push_back(atom("}"));
    }

    AtomCache* atoms_;
    std::vector<AtomOrigin>* origins_;
    std::string_view text_;
    BracketPartners partners_;
    std::vector<Task> tasks_;
    std::vector<NodeRef> values_;
    std::vector<std::size_t> points_; // scratch: split points, run starts or term starts
    std::vector<std::size_t> commas_; // scratch: the commas of a brace or call list
    std::string badTerm_;
    std::size_t badTermAt_ = 0;
};

} // namespace

ParseOutcome parseProgramExpression(const CodeText& text) {
    return parseFromLevel(kLoosestLevel, text);
}

ParseOutcome parseFromLevel(int level, std::string_view text) {
    ExpressionParse parse;
    return parse.run(text, level);
}

ParseOutcome parseWithOrigins(std::string_view text, std::vector<AtomOrigin>& origins) {
    ExpressionParse parse(nullptr, &origins);
    return parse.run(text, kLoosestLevel);
}

NodeRef parseExpression(const CodeText& text) {
    ParseOutcome outcome = parseProgramExpression(text);
    RILL_ASSERT(outcome.badTerm.empty());
    return std::move(outcome.tree);
}

// --- Atoms made once per text ---------------------------------------------------------------

NodeRef AtomCache::atomOf(std::string_view text) {
    const std::uint64_t hash = hashOf(text);
    if (2 * (count_ + 1) > slots_.size())
        grow();
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    for (; slots_[i] != nullptr; i = (i + 1) & mask)
        if (atomTextOf(slots_[i]) == text)
            return NodeRef(slots_[i]);
    NodeRef made = makeAtom(text);
    slots_[i] = made.get();
    retainNode(slots_[i]);
    ++count_;
    return made;
}

void AtomCache::clear() {
    for (Node* n : slots_)
        if (n != nullptr)
            releaseNode(n);
    std::vector<Node*>().swap(slots_);
    count_ = 0;
}

std::uint64_t AtomCache::hashOf(std::string_view text) {
    std::uint64_t h = 0xcbf29ce484222325;
    for (const char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    h ^= h >> 32;
    h *= 0x9e3779b97f4a7c15;
    return h ^ (h >> 29);
}

void AtomCache::grow() {
    std::vector<Node*> old(slots_.empty() ? 256 : 2 * slots_.size(), nullptr);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (Node* n : old) {
        if (n == nullptr)
            continue;
        std::size_t i = hashOf(atomTextOf(n)) & mask;
        while (slots_[i] != nullptr)
            i = (i + 1) & mask;
        slots_[i] = n;
    }
}

// --- Parsing one text after another -----------------------------------------------------------

struct ExpressionParser::Parse : ExpressionParse {
    using ExpressionParse::ExpressionParse;
};

ExpressionParser::ExpressionParser(AtomCache* atoms) : parse_(std::make_unique<Parse>(atoms)) {}

ExpressionParser::~ExpressionParser() = default;

ParseOutcome ExpressionParser::parse(std::string_view text) {
    return parse_->run(text, kLoosestLevel);
}

std::string badTermMessage(std::string_view term) {
    std::string message = "Term [";
    message += term;
    message += "] cannot be read.";
    return message;
}

} // namespace rill
