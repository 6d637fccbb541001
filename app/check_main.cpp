// The process entry of rill-check: the command line goes to the checker.
#include "check/command_line.h"

int main(int argc, char** argv) {
    return rill::runChecker(argc, argv);
}
