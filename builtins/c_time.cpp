#include "builtins/c_time.h"

#include <ctime>

namespace rill {

NodeRef builtin_time_t(NodeRef) {
    return makeInteger(sizeof(std::time_t));
}

} // namespace rill
