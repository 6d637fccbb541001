// Arbitrary texts loaded from inside a running program. The host program has a constant, a
// cyclic constant, a once-name, a definition with parameters and a constant that holds what
// a load answered, so that loaded texts can reach them all; the fuzzed text is loaded once as
// a block, what it answers is applied to arguments, and it is loaded again from inside a
// load. Every load must leave the definitions and once-names as it found them.
#include "builtins/calling_protocol.h"
#include "core/definition_table.h"
#include "core/node_store.h"
#include "core/reducer.h"
#include "front/definition_intake.h"
#include "fuzz/fuzz_run.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace rill;

constexpr const char* kHost = "K(0),"
                              "kk\\5,"
                              "cc\\cc,"
                              "oo()\\plus(kk,1),"
                              "ff\\x\\y\\plus(x,y),"
                              "gg\\load([hh(1),hh\\x\\y\\x]),"
                              "seq\\a\\b\\b";

std::vector<std::string> tableKeys() {
    std::vector<std::string> keys;
    for (const auto& [key, value] : definitionTable())
        keys.push_back(key);
    return keys;
}

NodeRef loadOf(const std::string& text) {
    return apply(makeAtom("load"), makeAtom(blockText(text)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(fuzz::takeInAndCheck(kHost));
    const std::vector<std::string> keys = tableKeys();
    const std::set<std::string> once(onceNames().begin(), onceNames().end());

    run_bounds::start(fuzz::kSteps, fuzz::kNodes, fuzz::kAtomBytes);
    // Whatever the load answers is a value of the host's reduction: applying it to arguments
    // must go on as with any other value.
    NodeRef answer = normalize(loadOf(text));
    FUZZ_CHECK(tableKeys() == keys);
    const unsigned char head = firstByte(answer);
    FUZZ_CHECK(head != ')' && head != ']');
    (void)normalize(apply(answer, makeInteger(5), makeAtom("kk")));
    (void)normalize(apply(makeAtom("seq"), makeAtom("gg"), loadOf(text)));
    // The text loaded from inside a load of its own.
    (void)normalize(loadOf("load([" + text + "])"));
    run_bounds::lift();
    FUZZ_CHECK(tableKeys() == keys);
    FUZZ_CHECK(std::set<std::string>(onceNames().begin(), onceNames().end()) == once);
    return 0;
}
