// Arbitrary bytes through the front end and the checks: the bracket check, normalisation,
// parsing and intake of every part, and the program checks with their rewriting.
#include "front/bracket_checks.h"
#include "front/source_text.h"
#include "fuzz/fuzz_run.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Normalisation must stop at the end of any text, balanced or not.
    (void)rill::normaliseSpacing(text);
    (void)rill::checkBrackets(text);
    (void)rill::fuzz::takeInAndCheck(text);
    return 0;
}
