// The process entry of rill: the command line goes to the program run.
#include "app/program_run.h"

int main(int argc, char** argv) {
    return rill::runProgram(argc, argv);
}
