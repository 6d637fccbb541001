// Bounds on a run, for the fuzzing build only (RILL_FUZZ_BOUNDS): a fuzzed program must end
// quickly and small whatever it does. A run that passes its machine steps, its live nodes or
// the length of one atom's text is cut short: every machine still running drops its
// continuation and answers "Z", so the run ends at once, through the ordinary paths. The
// interpreter proper has no such bounds and compiles none of this.
#pragma once

#ifdef RILL_FUZZ_BOUNDS

#include <cstddef>
#include <cstdint>

namespace rill::run_bounds {

// Unbounded until a run starts with bounds.
struct Bounds {
    std::uint64_t stepsLeft = ~std::uint64_t{0};
    std::int64_t liveNodes = 0; // blocks of the node store now in use
    std::int64_t mostNodes = std::int64_t{1} << 60;
    std::size_t longestAtom = ~std::size_t{0};
    bool reached = false;
};
inline Bounds bounds;

// Starts a bounded run.
inline void start(std::uint64_t steps, std::int64_t nodes, std::size_t atomBytes) {
    bounds.stepsLeft = steps;
    bounds.mostNodes = bounds.liveNodes + nodes;
    bounds.longestAtom = atomBytes;
    bounds.reached = false;
}
// Lifts the bounds (between runs).
inline void lift() {
    start(~std::uint64_t{0} >> 1, std::int64_t{1} << 60, ~std::size_t{0});
}
// One machine step; true when the run must stop.
inline bool stepReached() {
    if (bounds.stepsLeft == 0)
        bounds.reached = true;
    else
        --bounds.stepsLeft;
    return bounds.reached;
}
inline void nodeMade() {
    if (++bounds.liveNodes > bounds.mostNodes)
        bounds.reached = true;
}
inline void nodeFreed() {
    --bounds.liveNodes;
}
inline void atomMade(std::size_t bytes) {
    if (bytes > bounds.longestAtom)
        bounds.reached = true;
}
inline bool reached() {
    return bounds.reached;
}

} // namespace rill::run_bounds

#endif
