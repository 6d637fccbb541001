// Random well-formed rill programs, for running through both machines.
//
// A program prints as it goes (numbers, renderings of values, fixed texts) and exits with an
// integer, so that the order and number of its effects show. Its definitions are functions of
// one to three parameters (some recursive on a guarded counter), constants (evaluated once),
// once-names (evaluated at every use) and, now and then, a Prelude letter defined anew.
// Terms mix numbers, operators, lets, pair lets, lambdas, partial applications and Prelude
// combinators; terms that are never needed may be anything at all.
//
// Nothing guarantees that a program ends: the caller bounds the run.
#pragma once

#include <cstdint>
#include <string>

namespace rill::generated {

// The program of a seed: the same seed gives the same text on every platform.
std::string generateProgram(std::uint64_t seed);

} // namespace rill::generated
