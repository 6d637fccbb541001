// The command line of rill-check: its options, and the whole check of one file from reading
// it to printing every finding and choosing the exit status.
#pragma once

#include <set>
#include <string>

namespace rill {

// What the command line asks for.
struct CheckOptions {
    std::string path;
    std::set<std::string> silenced; // warnings turned off by -Wno-NAME
    bool noWarnings = false;        // -w: every warning off
    bool help = false;
};

// Reads the command line into options; false, with a message, when it cannot be understood.
bool parseCheckOptions(int argc, char** argv, CheckOptions& options, std::string& problem);

// Exit statuses: no findings, warnings only, errors (or a command line or file that cannot be
// used).
inline constexpr int kCheckClean = 0;
inline constexpr int kCheckWarnings = 1;
inline constexpr int kCheckErrors = 2;

// Runs rill-check: the findings go to standard output, problems with the command line or
// the file to standard error. Gives the exit status.
int runChecker(int argc, char** argv);

} // namespace rill
