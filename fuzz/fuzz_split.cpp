// splitEntry against its definition: the pieces joined with "<>" give the line back, no piece holds
// "<>", and only the empty line has no pieces.
#include "dictionaryfile.h"
#include "entryformat.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    const auto pieces = tamberlo::splitEntry(line);
    bool ok = line.empty() ? pieces.empty() : !pieces.empty();
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            joined += tamberlo::EntrySeparator;
        joined += pieces[i];
        ok = ok && pieces[i].find(tamberlo::EntrySeparator) == std::string::npos;
    }
    if (!ok || joined != line) {
        std::fprintf(stderr, "fuzz_split: pieces do not make up the line\n");
        std::abort();
    }
    return 0;
}
