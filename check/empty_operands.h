// Empty operands: an infix operator with nothing on one side, which reads as the name "}" that
// nothing defines (so «-5» is not minus five).
#pragma once

#include "check/program_model.h"

#include <cstddef>
#include <string>
#include <unordered_map>

namespace rill {

// One operator with an empty operand: where the operator stands, the definition it is in
// (its index, or the entry), and a one-line explanation.
struct EmptyOperand {
    std::size_t offset;
    bool inEntry;
    std::size_t definition;
    std::string explanation;
};

// The empty operands of the entry and of every definition the table holds, by the "}" atom
// that stands for the missing operand.
std::unordered_map<const Node*, EmptyOperand> findEmptyOperands(const ProgramModel& model);

} // namespace rill
