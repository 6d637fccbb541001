#include "builtins/c_directories.h"

#include <dirent.h>

namespace rill {

NodeRef builtin_dirent(NodeRef) {
    return makeInteger(sizeof(struct dirent));
}

} // namespace rill
