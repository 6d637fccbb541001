#include "app/program_run.h"

#include "core/assertion.h"
#include "core/error_report.h"

#include <cstdio>
#include <string>

namespace rill {

namespace {

constexpr int kReportStatus = 128; // any report but "Empty"
constexpr int kUsageStatus = 1;

void writeError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

int reportUsage() {
    writeError("Error.\n Type: Usage\nUsage: rill file arg0 arg1 arg2 ...\n\\/\n");
    return kUsageStatus;
}

int reportStart(const char* path) {
    writeError("Error.\n Type: Start\n Name: \"" + escapeName(path) +
               "\"\nCould not read program file.\n\\/\n");
    return kReportStatus;
}

int reportFailure(const ErrorReport& report) {
    printReport(report);
    return kReportStatus;
}

} // namespace

int runProgram(int argc, char** argv) {
    // Files are untranslated on this platform and sockets need no start-up.
    RILL_ASSERT(argc >= 1);
    if (argc == 1)
        return reportUsage();
    const char* path = argv[1];
    std::FILE* probe = std::fopen(path, "rb");
    if (probe == nullptr)
        return reportStart(path);
    std::fclose(probe);
    return reportFailure(makeReport("Stage", "", "Programs cannot be run yet."));
}

} // namespace rill
