// The errors: every report rill gives for a program, found wherever it applies in the file
// (rill stops at the first) and placed at the bracket, comma, name or binder at fault.
#pragma once

#include "check/diagnostics.h"
#include "check/empty_operands.h"
#include "check/program_model.h"
#include "core/error_report.h"

#include <unordered_map>
#include <vector>

namespace rill {

// The errors of the program checks: Funky binders, Alive names (with a suggestion for each
// undefined name and an explanation for an empty operand), Place and Arity; the intake's
// errors are in the model already.
std::vector<Diagnostic> findCheckErrors(const ProgramModel& model, const NameFacts& facts,
                                        const std::unordered_map<const Node*, EmptyOperand>& empty);

// True when one of the errors stands for rill's report: the same type, and for an undefined
// name the same name.
bool coversReport(const std::vector<Diagnostic>& errors, const ErrorReport& report);

// rill's own report, placed as well as it can be, for a report no finding stands for.
Diagnostic reportAsDiagnostic(const ProgramModel& model, const ErrorReport& report);

} // namespace rill
