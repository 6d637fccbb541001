#include "check/command_line.h"

#include "check/diagnostics.h"
#include "check/empty_operands.h"
#include "check/error_findings.h"
#include "check/program_model.h"
#include "check/warning_findings.h"
#include "core/diagnostic_log.h"
#include "core/error_report.h"
#include "core/out_of_memory.h"
#include "front/definition_intake.h"
#include "front/source_text.h"
#include "middle/program_checks.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <sys/stat.h>

namespace rill {

namespace {

constexpr std::string_view kUsage = "Usage: rill-check [-w] [-Wno-NAME]... FILE\n"
                                    "Checks a rill program without running it. Warnings:";

// Writes the text to standard error as it is.
void writeError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// The usage lines, ending in the names of the warnings that -Wno- can turn off.
std::string usageText() {
    std::string text(kUsage);
    for (const std::string_view name : warningNames())
        text.append(" ").append(name);
    return text + "\n";
}

// The whole file, or nothing when it cannot be opened or read (a directory).
std::optional<std::string> readFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    std::string text;
    char buffer[1 << 16];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) != 0)
        text.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return std::nullopt;
    return text;
}

// Whether the file starts with a "#!" line, that line, and whether the file may be executed.
ScriptFacts scriptFactsOf(const std::string& path, const std::string& text) {
    ScriptFacts facts;
    if (!text.starts_with("#!"))
        return facts;
    facts.hasScriptLine = true;
    facts.line = text.substr(0, text.find('\n'));
    struct stat status;
    facts.executable =
        ::stat(path.c_str(), &status) == 0 && (status.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    return facts;
}

// rill's own first report for the text, the log of the checks left alone.
ErrorReport rillReport(const CodeText& text) {
    loadPrelude();
    if (ErrorReport r = takeInProgram(text); !isEmpty(r))
        return r;
    return checkProgram();
}

} // namespace

bool parseCheckOptions(int argc, char** argv, CheckOptions& options, std::string& problem) {
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (!optionsEnd && word == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && (word == "-h" || word == "--help")) {
            options.help = true;
        } else if (!optionsEnd && word == "-w") {
            options.noWarnings = true;
        } else if (!optionsEnd && word.starts_with("-Wno-")) {
            const std::string_view name = word.substr(5);
            if (!isWarningName(name)) {
                problem = "no warning is named `" + std::string(name) + "`";
                return false;
            }
            options.silenced.emplace(name);
        } else if (!optionsEnd && word.size() > 1 && word[0] == '-') {
            problem = "unknown option " + std::string(word);
            return false;
        } else if (options.path.empty()) {
            options.path = word;
        } else {
            problem = "only one file can be checked at a time";
            return false;
        }
    }
    if (options.path.empty() && !options.help) {
        problem = "no file named";
        return false;
    }
    return true;
}

int runChecker(int argc, char** argv) {
    endRunWhenNewFails();
    CheckOptions options;
    std::string problem;
    if (!parseCheckOptions(argc, argv, options, problem)) {
        writeError("rill-check: " + problem + "\n" + usageText());
        return kCheckErrors;
    }
    if (options.help) {
        const std::string text = usageText();
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kCheckClean;
    }
    const std::optional<std::string> file = readFile(options.path);
    if (!file) {
        writeError("rill-check: cannot read " + options.path + "\n");
        return kCheckErrors;
    }
    const ScriptFacts script = scriptFactsOf(options.path, *file);
    CodeText text = *file;
    blankScriptLine(text);
    setLogEnabled(false);

    const ProgramModel model = buildModel(text);
    NameFacts facts;
    if (model.parsed)
        facts = findNameFacts(model);
    const auto empty = findEmptyOperands(model);
    std::vector<Diagnostic> findings = model.errors;
    for (Diagnostic& d : findCheckErrors(model, facts, empty))
        findings.push_back(std::move(d));
    // rill's own report is always among the errors, placed as well as it can be when no
    // finding stands for it.
    if (const ErrorReport r = rillReport(text); !isEmpty(r) && !coversReport(findings, r))
        findings.push_back(reportAsDiagnostic(model, r));

    if (!options.noWarnings) {
        std::vector<Diagnostic> warnings = findWarnings(model, facts, empty, script);
        const std::vector<QuietMarker> markers = findQuietMarkers(model, warnings);
        for (Diagnostic& w : warnings)
            if (options.silenced.count(w.tag) == 0 && !isQuieted(markers, w))
                findings.push_back(std::move(w));
    }

    sortByPlace(findings);
    const LineMap lines(*file);
    std::size_t errors = 0;
    std::string out;
    for (const Diagnostic& d : findings) {
        errors += d.severity == Severity::error ? 1 : 0;
        out += renderDiagnostic(options.path, lines, d);
    }
    if (!findings.empty())
        out += summaryLine(errors, findings.size() - errors);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    if (errors != 0)
        return kCheckErrors;
    return findings.empty() ? kCheckClean : kCheckWarnings;
}

} // namespace rill
