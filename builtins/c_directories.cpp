#include "builtins/c_directories.h"

#include <cerrno>
#include <dirent.h>

namespace rill {

namespace {

// opendir path: the directory stream, or 0 with the error number "no such entry" when the
// address is 0 or the path is empty.
CResult openDirectory(const BridgeArgs& a) {
    const char* path = static_cast<const char*>(a.p(1));
    if (path == nullptr || *path == '\0') {
        errno = ENOENT;
        return static_cast<const void*>(nullptr);
    }
    return ::opendir(path);
}

// readdir stream: the address of the platform's own entry record, 0 at the end. A null
// stream fails like a closed one instead of being followed.
CResult readDirectory(const BridgeArgs& a) {
    DIR* stream = static_cast<DIR*>(a.p(1));
    if (stream == nullptr) {
        errno = EBADF;
        return static_cast<const void*>(nullptr);
    }
    return ::readdir(stream);
}

// closedir stream: 0, or -1 when it fails.
CResult closeDirectory(const BridgeArgs& a) {
    DIR* stream = static_cast<DIR*>(a.p(1));
    if (stream == nullptr) {
        errno = EBADF;
        return -1;
    }
    return ::closedir(stream);
}

// The directory wrappers, one row each: name, argument kinds, result kind, call.
const BridgeRow kDirectoryRows[] = {
    {"opendir", "P", 'P', openDirectory},
    {"readdir", "P", 'P', readDirectory},
    {"closedir", "P", 'N', closeDirectory},
    {"dirent", sizeof(struct dirent)}, // the size of the directory-entry record
};

} // namespace

std::span<const BridgeRow> directoryRows() {
    return kDirectoryRows;
}

} // namespace rill
