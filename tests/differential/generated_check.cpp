#include "tests/differential/generated_check.h"

#include "tests/differential/program_generator.h"
#include "tests/differential/traced_run.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rill::generated {

namespace {

// Guards only: a run that takes this long, or writes this much, has gone wrong.
constexpr unsigned kRunSeconds = 120;
constexpr rlim_t kOutputBytes = rlim_t{64} << 20;
// The exit status of a bounded run that found no normal form within the bound.
constexpr int kBoundPassed = 3;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// What one run left behind.
struct Outcome {
    std::string status; // "exit N" or "signal N"
    std::string out, err, trace;
};

// Runs the body in a child process of its own, with standard output and error going to
// files in the directory, and gives back what it left. The child starts from the state of
// this process, which never runs a program itself: so each run starts afresh, as rill does.
Outcome runChild(const std::string& dir, const std::function<int()>& body) {
    std::fflush(stdout);
    std::fflush(stderr);
    const std::string out = dir + "/out", err = dir + "/err", trace = dir + "/trace";
    std::remove(trace.c_str());
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || o < 0 || e < 0 || dup2(in, 0) < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0)
            _exit(2);
        alarm(kRunSeconds);
        // A program that prints without end is stopped at this size.
        const rlimit fileSize{kOutputBytes, kOutputBytes};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        std::exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                                       : "signal " + std::to_string(WTERMSIG(status));
    outcome.out = readFile(out);
    outcome.err = readFile(err);
    outcome.trace = readFile(trace);
    return outcome;
}

// The report type named in a report ("Value" for " Type: Value"), or "" for none.
std::string reportType(const std::string& err) {
    const std::string key = " Type: ";
    const std::size_t at = err.find(key);
    if (at == std::string::npos)
        return "";
    const std::size_t from = at + key.size();
    return err.substr(from, err.find('\n', from) - from);
}

// How a run ended, in short: its report type, or whether it exited with 0.
std::string ending(const Outcome& run) {
    if (const std::string type = reportType(run.err); !type.empty())
        return type;
    if (run.status == "exit 0")
        return "exit 0";
    return run.status.starts_with("exit") ? "other exits" : run.status;
}

// The first line where two texts differ, both sides, for the failure message.
std::string firstDifference(const std::string& a, const std::string& b) {
    std::istringstream sa(a), sb(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool ha = static_cast<bool>(std::getline(sa, la));
        const bool hb = static_cast<bool>(std::getline(sb, lb));
        if (!ha && !hb)
            return "  (they differ only in the last newline)\n";
        if (!ha || !hb || la != lb)
            return "  line " + std::to_string(line) + ":\n    fast:  " + (ha ? la : "(none)") +
                   "\n    plain: " + (hb ? lb : "(none)") + "\n";
    }
}

} // namespace

int checkGeneratedPrograms(const CheckSettings& settings) {
    std::string pattern = std::filesystem::temp_directory_path() / "rill-generated-XXXXXX";
    const char* made = mkdtemp(pattern.data());
    if (made == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string dir = made;
    const std::string path = dir + "/program.rill";
    const std::string trace = dir + "/trace";

    int compared = 0, unbounded = 0, disagreements = 0, illFormed = 0;
    std::map<std::string, int> endings; // how the compared programs ended
    for (int k = 0; k < settings.count; ++k) {
        const std::uint64_t seed = settings.seed + static_cast<std::uint64_t>(k);
        const std::string program = generateProgram(seed);
        writeFile(path, program);

        // A run that passes the bound, or the guards, is left out; one that fails in another
        // way is compared like any other.
        const Outcome bounded = runChild(dir, [&] {
            return trace::endsWithin(path.c_str(), settings.steps) ? 0 : kBoundPassed;
        });
        if (bounded.status == "exit " + std::to_string(kBoundPassed) ||
            bounded.status == "signal " + std::to_string(SIGALRM) ||
            bounded.status == "signal " + std::to_string(SIGXFSZ)) {
            ++unbounded;
            if (settings.verbose)
                std::printf("seed %llu: no normal form within %ld steps (%s)\n",
                            static_cast<unsigned long long>(seed), settings.steps,
                            bounded.status.c_str());
            continue;
        }
        auto run = [&](const char* machine) {
            return runChild(dir, [&] {
                char rill[] = "rill";
                char* argv[] = {rill, const_cast<char*>(path.c_str()), nullptr};
                return trace::runTraced(machine, trace.c_str(), trace::Renaming::addresses, 2,
                                        argv);
            });
        };
        const Outcome fast = run("fast");
        const Outcome plain = run("plain");
        ++compared;
        ++endings[ending(plain)];
        if (settings.verbose)
            std::printf("seed %llu: %s\n", static_cast<unsigned long long>(seed),
                        ending(plain).c_str());

        std::string problems;
        if (fast.status != plain.status)
            problems += "exit status: fast " + fast.status + ", plain " + plain.status + "\n";
        if (fast.out != plain.out)
            problems += "standard output differs:\n" + firstDifference(fast.out, plain.out);
        if (fast.err != plain.err)
            problems += "standard error differs:\n" + firstDifference(fast.err, plain.err);
        if (fast.trace != plain.trace)
            problems += "built-in calls differ:\n" + firstDifference(fast.trace, plain.trace);
        if (!problems.empty()) {
            ++disagreements;
            std::printf("seed %llu: the machines disagree\n%s--- program\n%s---\n",
                        static_cast<unsigned long long>(seed), problems.c_str(), program.c_str());
            if (!settings.keep.empty())
                writeFile(settings.keep + "/seed_" + std::to_string(seed) + ".rill", program);
        }
        if (const std::string type = reportType(plain.err);
            !type.empty() && type != "Value" && type != "Cycle") {
            ++illFormed;
            std::printf("seed %llu: the generated program draws a report\n%s--- program\n%s---\n",
                        static_cast<unsigned long long>(seed), plain.err.c_str(), program.c_str());
        }
    }
    std::filesystem::remove_all(dir);

    std::printf("%d programs from seed %llu: %d compared, %d without a normal form within %ld "
                "steps; %d disagreements, %d ill-formed\n",
                settings.count, static_cast<unsigned long long>(settings.seed), compared, unbounded,
                settings.steps, disagreements, illFormed);
    std::printf("endings:");
    for (const auto& [ending, n] : endings)
        std::printf(" %s %d;", ending.c_str(), n);
    std::printf("\n");
    return disagreements == 0 && illFormed == 0 ? 0 : 1;
}

} // namespace rill::generated
