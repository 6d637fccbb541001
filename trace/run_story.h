// The story of one traced run: what the plain machine did, told as lines of a trace and as a
// profile at the end. It watches the machine's steps, the definitions it instantiates and
// the built-ins it calls, through the hooks the core offers to tools, and changes nothing
// the program can see.
#pragma once

#include "core/reducer.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rill {

// What the trace tells beyond the built-in calls that answered "Z" and the profile.
struct StoryOptions {
    bool calls = false;             // every built-in call with its result
    bool instantiations = false;    // every definition instantiated, with its arguments
    bool steps = false;             // every machine step, with its focus
    std::uint64_t lineLimit = 1000; // lines of events at most (0: no limit)
    std::size_t width = 80;         // bytes of one term's text at most
};

class RunStory final : public PlainMachineWatcher {
public:
    // Tells the story to `out`, which stays open for as long as the story does.
    RunStory(std::FILE* out, const StoryOptions& options);
    // Hooks this story into the machine and the built-ins; one story at a time.
    void start(const std::string& commandLine);
    // Unhooks it and writes the profile, once; `status` is the exit status when known.
    void finish(const int* status);

    void runStarted(const Node* machine) override;
    void stepping(const Node* machine) override;
    void stepped(const Node* before, const Node* after) override;
    void runEnded() override;

    // The hooks' entries (the core calls plain functions).
    void builtinCalled(const NodeRef& call);
    void builtinAnswered(const NodeRef& result);
    void instantiating(std::string_view name, Node* const* arguments, int count);

private:
    // A definition whose instantiated body is being worked on under a continuation of the
    // given depth: the innermost one is "running".
    struct Active {
        std::int64_t depth;
        std::uint32_t name;
    };
    // One machine: the depth of its continuation (frames on it) and its active definitions.
    struct Run {
        std::int64_t depth = 0;
        std::vector<Active> active;
        bool pending = false; // an instantiation was seen during the step being taken
        std::uint32_t pendingName = 0;
        std::string pendingText; // its event line, when instantiations are traced
    };
    // What is kept of a built-in call until its result comes: the built-in's name, each atom
    // argument as text (the built-in may change an atom it holds the only reference to), and
    // a reference to each other argument. Calls nest: load runs a machine of its own.
    static constexpr int kMostArguments = 8; // no built-in takes more than seven
    struct Argument {
        std::string text; // an atom's, its capacity kept from call to call
        NodeRef term;     // any other argument
    };
    struct Call {
        std::uint32_t name = 0;
        int count = 0;
        Argument arguments[kMostArguments]; // the last argument first
    };
    std::string callText(const Call& call) const;

    struct Count {
        std::uint64_t total = 0;
        std::uint64_t failed = 0; // built-in calls that answered "Z"
    };

    std::uint32_t nameId(std::string_view name);
    const std::string& runningDefinition() const;
    // "step N", N the step being taken.
    std::string stepText() const;
    // True while lines may still be written; the first time it is not, says so.
    bool hasRoom();
    void writeLine(const std::string& line);
    void writeProfile(const int* status);

    std::FILE* out_;
    StoryOptions options_;
    bool finished_ = false;
    std::uint64_t steps_ = 0;
    std::uint64_t lines_ = 0;
    bool cut_ = false;
    std::vector<Run> runs_;
    // Names by number: definitions (instantiations) and built-ins (calls) each count by id.
    std::unordered_map<std::string, std::uint32_t> ids_;
    std::vector<std::string> names_;
    std::vector<std::uint64_t> instantiations_;
    std::vector<Count> calls_;
    std::vector<Call> callsUnderWay_; // kept, with their texts' capacity, between calls
    std::size_t callDepth_ = 0;       // the calls under way now
    std::uint64_t failures_ = 0;
    std::string firstFailure_; // where the first "Z" came from, for the profile
};

} // namespace rill
