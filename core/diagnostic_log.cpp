#include "core/diagnostic_log.h"

#include <cstdio>

namespace rill {

namespace {

// Whether appendLog writes at all.
bool logEnabled = true;

} // namespace

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
