#include "trace/run_story.h"

#include "core/contraction.h"
#include "trace/term_text.h"

#include <algorithm>
#include <cstdlib>

namespace rill {

namespace {

RunStory* current = nullptr; // the story the hooks tell

void onBuiltinCall(const NodeRef& call) {
    current->builtinCalled(call);
}

void onBuiltinResult(const NodeRef& result) {
    current->builtinAnswered(result);
}

void onInstantiation(std::string_view name, Node* const* arguments, int count) {
    current->instantiating(name, arguments, count);
}

// A program that ends by calling exit never returns to the tool: its profile is written on
// the way out.
void finishAtExit() {
    if (current != nullptr)
        current->finish(nullptr);
}

// A plug frame ((B q) x) on the continuation, and the continuation q below it.
bool isFrame(const Node* k) {
    return !isAtomNode(k) && !isAtomNode(functionOf(k)) &&
           isOneByteAtomOf(functionOf(functionOf(k)), 'B');
}
const Node* below(const Node* frame) {
    return argumentOf(functionOf(frame));
}

// The most frames one step takes off the continuation: a lazy head takes one per missing
// argument, and no head takes more than a dozen.
constexpr int kMostFramesTaken = 64;

// The Prelude's combinators and operators have one-byte names; a built-in that fails inside
// one is reported with the program's definition that used it.
bool isPreludeName(std::string_view name) {
    return name.size() == 1;
}

const std::string kEntry = "(entry)";

} // namespace

RunStory::RunStory(std::FILE* out, const StoryOptions& options) : out_(out), options_(options) {}

void RunStory::start(const std::string& commandLine) {
    current = this;
    std::atexit(finishAtExit);
    watchPlainMachine(this);
    observeBuiltinCalls(onBuiltinCall);
    observeBuiltinResults(onBuiltinResult);
    observeInstantiations(onInstantiation);
    std::fprintf(out_, "trace of %s\n", commandLine.c_str());
}

void RunStory::finish(const int* status) {
    if (finished_)
        return;
    finished_ = true;
    watchPlainMachine(nullptr);
    observeBuiltinCalls(nullptr);
    observeBuiltinResults(nullptr);
    observeInstantiations(nullptr);
    writeProfile(status);
    std::fflush(out_);
}

std::uint32_t RunStory::nameId(std::string_view name) {
    const std::string key(name);
    const auto found = ids_.find(key);
    if (found != ids_.end())
        return found->second;
    const auto id = static_cast<std::uint32_t>(names_.size());
    ids_.emplace(key, id);
    names_.push_back(shownText(key));
    instantiations_.push_back(0);
    calls_.push_back({});
    return id;
}

const std::string& RunStory::runningDefinition() const {
    for (auto run = runs_.rbegin(); run != runs_.rend(); ++run) {
        if (!run->active.empty())
            return names_[run->active.back().name];
    }
    return kEntry;
}

std::string RunStory::stepText() const {
    std::string text = "step ";
    text += std::to_string(steps_);
    return text;
}

bool RunStory::hasRoom() {
    if (options_.lineLimit == 0 || lines_ < options_.lineLimit)
        return true;
    if (!cut_) {
        cut_ = true;
        std::fprintf(out_,
                     "... the trace stops after %llu lines; -n sets the limit, -n 0 lifts it\n",
                     static_cast<unsigned long long>(lines_));
    }
    return false;
}

void RunStory::writeLine(const std::string& line) {
    ++lines_;
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
}

void RunStory::runStarted(const Node*) {
    runs_.emplace_back();
}

void RunStory::runEnded() {
    if (!runs_.empty())
        runs_.pop_back();
}

void RunStory::stepping(const Node* machine) {
    ++steps_;
    if (options_.steps && hasRoom()) {
        std::string line = stepText();
        line += " at depth ";
        line += std::to_string(runs_.empty() ? 0 : runs_.back().depth);
        line += ": ";
        line += termText(argumentOf(machine), options_.width);
        writeLine(line);
    }
}

void RunStory::stepped(const Node* before, const Node* after) {
    if (runs_.empty())
        return;
    Run& run = runs_.back();
    // How the step changed the continuation: kept it, put a frame on it, took frames off it
    // (and perhaps put one frame on what was left), or dropped it for "I".
    const Node* k = functionOf(after);
    bool known = true;
    std::int64_t change = 0;
    if (k == before) {
        change = 0;
    } else if (isFrame(k) && below(k) == before) {
        change = 1;
    } else {
        known = false;
        const Node* q = before;
        for (int i = 1; i <= kMostFramesTaken && isFrame(q); ++i) {
            q = below(q);
            if (k == q) {
                change = -i;
                known = true;
                break;
            }
            if (isFrame(k) && below(k) == q) {
                change = 1 - i;
                known = true;
                break;
            }
        }
    }
    run.depth = known ? run.depth + change : 0;
    while (!run.active.empty() && run.active.back().depth > run.depth)
        run.active.pop_back();
    if (run.pending) {
        // The body replaces the focus under the new continuation; a body that was running
        // at that depth has handed its work over (a call in tail position).
        run.pending = false;
        while (!run.active.empty() && run.active.back().depth >= run.depth)
            run.active.pop_back();
        run.active.push_back({run.depth, run.pendingName});
        if (options_.instantiations && hasRoom())
            writeLine(run.pendingText + " at depth " + std::to_string(run.depth));
    }
}

void RunStory::instantiating(std::string_view name, Node* const* arguments, int count) {
    const std::uint32_t id = nameId(name);
    ++instantiations_[id];
    if (runs_.empty())
        return;
    Run& run = runs_.back();
    const bool told = options_.instantiations && hasRoom();
    std::string text;
    if (told) {
        text = stepText();
        text += ": ";
        text += count == 0 ? "work out " : "instantiate ";
        text += shownText(name);
        if (count != 0) {
            text += '(';
            for (int i = 0; i < count; ++i) {
                if (i > 0)
                    text += ',';
                text += termText(arguments[i], options_.width);
            }
            text += ')';
        }
    }
    if (isPreludeName(name)) {
        // Told, but the program's definition that used it is still the one running.
        if (told)
            writeLine(text + " at depth " + std::to_string(run.depth));
        return;
    }
    run.pending = true;
    run.pendingName = id;
    run.pendingText = std::move(text);
}

void RunStory::builtinCalled(const NodeRef& call) {
    if (callDepth_ == callsUnderWay_.size())
        callsUnderWay_.emplace_back();
    Call& kept = callsUnderWay_[callDepth_++];
    kept.count = 0;
    const Node* head = call.get();
    while (!isAtomNode(head) && kept.count < kMostArguments) {
        const Node* a = argumentOf(head);
        Argument& argument = kept.arguments[kept.count++];
        if (isAtomNode(a)) {
            argument.text.clear();
            appendAtomText(a, argument.text, options_.width);
        } else {
            argument.term = NodeRef(const_cast<Node*>(a));
        }
        head = functionOf(head);
    }
    while (!isAtomNode(head))
        head = functionOf(head);
    kept.name = nameId(atomTextOf(head));
    // Counted before the built-in runs: exit does not come back.
    ++calls_[kept.name].total;
}

std::string RunStory::callText(const Call& call) const {
    std::string text = names_[call.name];
    if (call.count == 0)
        return text;
    text += '(';
    for (int i = call.count - 1; i >= 0; --i) {
        const Argument& a = call.arguments[i];
        text += a.term.empty() ? a.text : termText(a.term.get(), options_.width);
        text += i > 0 ? ',' : ')';
    }
    if (text.size() > options_.width) {
        text.resize(options_.width);
        text += "...";
    }
    return text;
}

void RunStory::builtinAnswered(const NodeRef& result) {
    if (callDepth_ == 0)
        return;
    Call& call = callsUnderWay_[--callDepth_];
    const bool failed = isOneByteAtomOf(result.get(), 'Z');
    const bool first = failed && failures_ == 0;
    if (failed) {
        ++failures_;
        ++calls_[call.name].failed;
    }
    // The first "Z" is written even past the limit: it is usually the cause.
    if (first || ((failed || options_.calls) && hasRoom())) {
        std::string line = stepText();
        line += ": ";
        line += callText(call);
        line += " gave ";
        line += failed ? std::string("Z") : termText(result.get(), options_.width);
        line += ", in ";
        line += runningDefinition();
        if (first) {
            firstFailure_ = line;
            line += "  <- the first Z";
        }
        writeLine(line);
    }
    for (int i = 0; i < call.count; ++i)
        call.arguments[i].term = NodeRef();
}

void RunStory::writeProfile(const int* status) {
    std::fprintf(out_, "-- profile\n");
    if (status != nullptr)
        std::fprintf(out_, "exit status: %d\n", *status);
    else
        std::fprintf(out_, "exit status: set by the program's call of exit\n");
    std::fprintf(out_, "steps: %llu\n", static_cast<unsigned long long>(steps_));
    std::fprintf(out_, "peak live nodes: %lld\n", static_cast<long long>(peakNodeCount()));
    std::fprintf(out_, "first Z: %s\n", failures_ == 0 ? "none" : firstFailure_.c_str());

    // Each list, the largest count first and names in byte order among equals, cut at
    // kShown names.
    constexpr std::size_t kShown = 20;
    auto ranked = [this](auto countOf) {
        std::vector<std::uint32_t> ids;
        for (std::uint32_t id = 0; id < names_.size(); ++id) {
            if (countOf(id) != 0)
                ids.push_back(id);
        }
        std::sort(ids.begin(), ids.end(), [&](std::uint32_t a, std::uint32_t b) {
            return countOf(a) != countOf(b) ? countOf(a) > countOf(b) : names_[a] < names_[b];
        });
        return ids;
    };
    auto writeRest = [this](std::size_t shown, std::size_t all) {
        if (all > shown)
            std::fprintf(out_, "  ... and %zu more\n", all - shown);
    };

    std::uint64_t callTotal = 0;
    for (const Count& c : calls_)
        callTotal += c.total;
    std::fprintf(out_, "built-in calls: %llu, %llu of them answered Z\n",
                 static_cast<unsigned long long>(callTotal),
                 static_cast<unsigned long long>(failures_));
    const auto calls = ranked([this](std::uint32_t id) { return calls_[id].total; });
    for (std::size_t i = 0; i < calls.size() && i < kShown; ++i) {
        const Count& c = calls_[calls[i]];
        std::fprintf(out_, "%10llu  %s", static_cast<unsigned long long>(c.total),
                     names_[calls[i]].c_str());
        if (c.failed != 0)
            std::fprintf(out_, " (%llu answered Z)", static_cast<unsigned long long>(c.failed));
        std::fputc('\n', out_);
    }
    writeRest(std::min(calls.size(), kShown), calls.size());

    std::uint64_t instantiationTotal = 0;
    for (const std::uint64_t n : instantiations_)
        instantiationTotal += n;
    std::fprintf(out_, "instantiations: %llu\n",
                 static_cast<unsigned long long>(instantiationTotal));
    const auto hot = ranked([this](std::uint32_t id) { return instantiations_[id]; });
    for (std::size_t i = 0; i < hot.size() && i < kShown; ++i) {
        std::fprintf(out_, "%10llu  %s\n", static_cast<unsigned long long>(instantiations_[hot[i]]),
                     names_[hot[i]].c_str());
    }
    writeRest(std::min(hot.size(), kShown), hot.size());
}

} // namespace rill
