// The check of generated programs: each runs on the plain machine with a step bound first;
// one that reaches its normal form within the bound then runs on both machines, as rill runs
// it, and the two runs must give the same output, reports, exit status and built-in calls.
// A generated program that draws any report but Value or Cycle is a fault of the generator.
#pragma once

#include <cstdint>
#include <string>

namespace rill::generated {

struct CheckSettings {
    std::uint64_t seed = 1; // program k is generateProgram(seed + k)
    int count = 300;        // programs to make
    long steps = 200000;    // the plain machine's bound
    std::string keep;       // a directory for the programs the machines disagree on
    bool verbose = false;   // say what became of every program
};

// Runs the check and gives the process exit status: 0 when every compared program agreed.
int checkGeneratedPrograms(const CheckSettings& settings);

} // namespace rill::generated
