#include "core/error_report.h"

#include "core/assertion.h"

#include <cstdio>

namespace rill {

namespace {

// Whether appendLog writes at all.
bool logEnabled = true;

// Shown characters of the green class: bytes 0x7F to 0xA0 by their offset from 0x7F, and
// the bytes 0xFF, 0x00 to 0x1F by (byte + 1) mod 256.
constexpr std::string_view kHighShown = "~!@#$%^&*<>-|+/=\\.`'\":;?0123456789";
constexpr std::string_view kControlShown = "]JABCDEFGHI,KLMNOPQRSTUVWXYZ(){}[_";

int colourClassOf(unsigned char b) {
    if (b == 0x0A || (b >= 0x20 && b <= 0x7E))
        return 3;
    if (b >= 0xA1 && b <= 0xFE)
        return 1;
    return 2;
}

char shownCharacter(unsigned char b) {
    if (b == 0x0A || (b >= 0x20 && b <= 0x7E))
        return static_cast<char>(b);
    if (b >= 0xA1 && b <= 0xFE)
        return static_cast<char>(b - 0x80);
    if (b >= 0x7F && b <= 0xA0)
        return kHighShown[b - 0x7F];
    return kControlShown[(b + 1) % 256];
}

constexpr const char* kSwitch[4] = {"", "\033[31m", "\033[32m", "\033[m"};

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

std::string display(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    int current = 3;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        const int cls = colourClassOf(b);
        if (cls != current) {
            shown += kSwitch[cls];
            current = cls;
        }
        shown += shownCharacter(b);
    }
    if (current != 3)
        shown += kSwitch[3];
    return shown;
}

void printReport(const ErrorReport& report) {
    std::fflush(stdout);
    const std::string text = "\033[m" + display(format(report));
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
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

unsigned char decodeShown(int colourClass, unsigned char shown) {
    if (shown == ' ' || shown == '\n')
        return shown;
    if (colourClass == 3)
        return shown;
    if (colourClass == 1 && shown >= 0x21 && shown <= 0x7E)
        return static_cast<unsigned char>(shown + 0x80);
    if (colourClass == 2) {
        const unsigned char upper = (shown >= 'a' && shown <= 'z') ? shown - 'a' + 'A' : shown;
        if (const auto at = kHighShown.find(static_cast<char>(upper)); at != kHighShown.npos)
            return static_cast<unsigned char>(0x7F + at);
        if (const auto at = kControlShown.find(static_cast<char>(upper)); at != kControlShown.npos)
            return static_cast<unsigned char>((at + 255) % 256);
    }
    fatal("nopqchar");
}

void fatal(std::string_view message) {
    std::fputs("REDVFAIL: ", stdout);
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
    RILL_ASSERT(false);
    __builtin_unreachable();
}

void setLogEnabled(bool enabled) {
    logEnabled = enabled;
}

void appendLog(std::string_view text) {
    if (!logEnabled)
        return;
    std::FILE* log = std::fopen(kLogPath, "ab");
    if (log == nullptr)
        return;
    std::size_t written = 0;
    while (written < text.size()) {
        const std::size_t n = std::fwrite(text.data() + written, 1, text.size() - written, log);
        if (n == 0)
            break;
        written += n;
    }
    // A log on a full disk fails to close; like a log that cannot be opened, it loses the line
    // and the run goes on.
    std::fclose(log);
}

} // namespace rill
