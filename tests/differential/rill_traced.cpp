// rill_traced: a test tool that runs rill programs on a chosen machine and records their
// built-in calls, so that the fast machine can be compared with the plain one.
//
//   rill_traced fast|plain [--trace FILE] [--rename addresses|none] [file arg0 arg1 ...]
//       Runs the program exactly as rill does (the words from "file" on are rill's command
//       line), on the machine named, writing one line per built-in call to FILE. Addresses,
//       which differ from run to run, are written by their order of first appearance unless
//       told otherwise.
//
//   rill_traced generated [--seed S] [--count N] [--steps N] [--keep DIR] [--verbose]
//       Makes N random programs from seed S and compares the machines on every one that the
//       plain machine finishes within the steps.
#include "tests/differential/generated_check.h"
#include "tests/differential/traced_run.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: rill_traced fast|plain [--trace FILE] [--rename addresses|none] "
                 "[file args...]\n"
                 "       rill_traced generated [--seed S] [--count N] [--steps N] [--keep DIR] "
                 "[--verbose]\n");
    return 2;
}

int generated(int argc, char** argv) {
    rill::generated::CheckSettings settings;
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--verbose") {
            settings.verbose = true;
            continue;
        }
        if (i + 1 >= argc)
            return usage();
        const char* value = argv[++i];
        if (option == "--seed")
            settings.seed = std::strtoull(value, nullptr, 10);
        else if (option == "--count")
            settings.count = std::atoi(value);
        else if (option == "--steps")
            settings.steps = std::atol(value);
        else if (option == "--keep")
            settings.keep = value;
        else
            return usage();
    }
    return rill::generated::checkGeneratedPrograms(settings);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    const std::string_view mode = argv[1];
    if (mode == "generated")
        return generated(argc, argv);
    const char* trace = nullptr;
    rill::trace::Renaming renaming = rill::trace::Renaming::addresses;
    int i = 2;
    for (; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--trace")
            trace = argv[i + 1];
        else if (option == "--rename" && std::string_view(argv[i + 1]) == "addresses")
            renaming = rill::trace::Renaming::addresses;
        else if (option == "--rename" && std::string_view(argv[i + 1]) == "none")
            renaming = rill::trace::Renaming::none;
        else if (option == "--rename")
            return usage();
        else
            break;
    }
    // rill's own argv: the word before the file stands for the program name.
    return rill::trace::runTraced(mode, trace, renaming, argc - i + 1, argv + i - 1);
}
