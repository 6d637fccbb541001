#include "core/error_report.h"

#include "core/report_display.h"

#include <cstdio>

namespace rill {

namespace {

// Writes the text to standard error, after whatever the program wrote to standard output.
void writeToStandardError(const std::string& text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace

ErrorReport makeReport(std::string type, std::string name, std::string message) {
    ErrorReport report;
    report.type = std::move(type);
    report.name = std::move(name);
    report.message = std::move(message);
    return report;
}

std::string format(const ErrorReport& report) {
    if (isEmpty(report))
        return "No errors.\n";
    std::string text = "Error.\n Type: " + report.type + "\n";
    if (!report.name.empty())
        text += " Name: " + report.name + "\n";
    text += report.message + "\n";
    text += "\\/\n";
    return text;
}

void printReport(const ErrorReport& report) {
    writeToStandardError("\033[m" + display(format(report)));
}

void printPlainReport(const ErrorReport& report) {
    writeToStandardError(format(report));
}

std::string escapeName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F || b == '[' || b == ']') {
            escaped += '[';
            escaped += kHex[b >> 4];
            escaped += kHex[b & 15];
            escaped += ']';
        } else {
            escaped += c;
        }
    }
    return escaped;
}

} // namespace rill
