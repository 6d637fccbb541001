// rill_traced: a test tool that runs rill programs on a chosen machine and records their
// built-in calls, so that the fast machine can be compared with the plain one.
//
//   rill_traced fast|plain [--trace FILE] [--rename addresses|none] [file arg0 arg1 ...]
//       Runs the program exactly as rill does (the words from "file" on are rill's command
//       line), on the machine named, writing one line per built-in call to FILE. Addresses,
//       which differ from run to run, are written by their order of first appearance unless
//       told otherwise.

#include "tests/differential/traced_run.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: rill_traced fast|plain [--trace FILE] [--rename addresses|none] "
                 "[file args...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    const std::string_view mode = argv[1];
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
