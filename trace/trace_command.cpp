#include "trace/trace_command.h"

#include "app/program_run.h"
#include "core/reducer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace rill {

namespace {

constexpr std::string_view kUsage =
    "Usage: rill-trace [-o FILE | -e] [-c] [-i] [-s] [-n LINES] [-w WIDTH] PROGRAM [ARG]...\n"
    "Runs PROGRAM as rill does and writes a trace of the run to rill.trace:\n"
    "every built-in call that answered Z, and a profile at the end.\n"
    "  -o FILE   write the trace to FILE\n"
    "  -e        write the trace to standard error\n"
    "  -c        trace every built-in call and its result\n"
    "  -i        trace every instantiation of a definition\n"
    "  -s        trace every machine step\n"
    "  -n LINES  stop tracing events after LINES lines (default 1000; 0: no limit)\n"
    "  -w WIDTH  cut each term to WIDTH bytes (default 80)\n";

void writeError(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// A whole decimal number from min to 10^9.
bool readCount(const char* text, std::uint64_t least, std::uint64_t& value) {
    if (*text == '\0')
        return false;
    std::uint64_t n = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || n > 1'000'000'000)
            return false;
        n = n * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    if (n < least || n > 1'000'000'000)
        return false;
    value = n;
    return true;
}

// The trace file, on a descriptor far above the ones a program's own files get, so that the
// program sees the descriptor numbers it would see under rill; closed on exec, so that the
// program's child processes do not inherit it.
std::FILE* openTraceFile(const std::string& path) {
    const int opened = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (opened < 0)
        return nullptr;
    constexpr int kFarDescriptor = 500;
    int fd = ::fcntl(opened, F_DUPFD_CLOEXEC, kFarDescriptor);
    if (fd < 0)
        fd = opened; // fewer descriptors allowed: keep the first one
    else
        ::close(opened);
    return ::fdopen(fd, "w");
}

} // namespace

bool parseTraceOptions(int argc, char** argv, TraceOptions& options, std::string& problem) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (word.size() < 2 || word[0] != '-')
            break;
        if (word == "-h" || word == "--help") {
            options.help = true;
            return true;
        }
        if (word == "-e") {
            options.toStandardError = true;
        } else if (word == "-c") {
            options.story.calls = true;
        } else if (word == "-i") {
            options.story.instantiations = true;
        } else if (word == "-s") {
            options.story.steps = true;
        } else if (word == "-o" || word == "-n" || word == "-w") {
            if (i + 1 >= argc) {
                problem = std::string(word) + " needs a value";
                return false;
            }
            const char* value = argv[++i];
            if (word == "-o") {
                if (*value == '\0') {
                    problem = "-o needs a file name";
                    return false;
                }
                options.traceFile = value;
            } else if (word == "-n") {
                if (!readCount(value, 0, options.story.lineLimit)) {
                    problem = std::string("-n wants a number of lines, not ") + value;
                    return false;
                }
            } else {
                std::uint64_t width = 0;
                if (!readCount(value, 8, width)) {
                    problem = std::string("-w wants a width of at least 8, not ") + value;
                    return false;
                }
                options.story.width = width;
            }
        } else {
            problem = std::string("unknown option ") + std::string(word);
            return false;
        }
    }
    if (i >= argc) {
        problem = "no program file given";
        return false;
    }
    options.program = i;
    return true;
}

int runTracer(int argc, char** argv) {
    TraceOptions options;
    std::string problem;
    if (!parseTraceOptions(argc, argv, options, problem)) {
        std::string text = "rill-trace: ";
        text += problem;
        text += '\n';
        text += kUsage;
        writeError(text);
        return kTraceUsageStatus;
    }
    if (options.help) {
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return 0;
    }
    std::FILE* out = stderr;
    if (!options.toStandardError) {
        out = openTraceFile(options.traceFile);
        if (out == nullptr) {
            std::string text = "rill-trace: cannot write the trace to ";
            text += options.traceFile;
            text += ": ";
            text += std::strerror(errno);
            text += '\n';
            writeError(text);
            return kTraceUsageStatus;
        }
    }
    std::string commandLine;
    for (int i = options.program; i < argc; ++i) {
        if (i > options.program)
            commandLine += ' ';
        commandLine += argv[i];
    }
    // The story is never destroyed: a program that calls exit ends the process inside the
    // run, and the profile is written on the way out.
    auto* story = new RunStory(out, options.story);
    story->start(commandLine);
    useMachine(Machine::plain);
    // rill's own command line: the word before the program file stands for rill's name.
    const int status = runProgram(argc - options.program + 1, argv + options.program - 1);
    story->finish(&status);
    if (out != stderr)
        std::fclose(out);
    return status;
}

} // namespace rill
