// The run of one program: command line, front end, checks, reduction, exit status.
#pragma once

namespace rill {

// Runs the program named on the command line and gives the process exit status.
int runProgram(int argc, char** argv);

} // namespace rill
