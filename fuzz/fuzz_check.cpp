// The input is a dictionary file. The check never fails, and whenever it says the drill can show
// every entry, the drill's read gives every entry a word and a meaning without a run-time error.
#include "dictionary/dictionarycheck.h"
#include "dictionary/dictionaryfile.h"
#include "tempdir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string &scratchFile()
{
    static const TempFolder folder("tamberlo-fuzz-check");
    static const std::string file = folder.file("d.tmb");
    return file;
}

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_check: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string &path = scratchFile();
    writeBytes(path, {reinterpret_cast<const char *>(data), size});
    long long errors = 0;
    tamberlo::DictionaryCheck check([&](const tamberlo::CheckFinding &f) {
        ::check(!f.reason.empty() && f.line >= 1, "a finding without a line or a reason");
        errors += f.warning ? 0 : 1;
    });
    tamberlo::checkDictionaryFile(path, check);
    ::check(errors == check.errors(), "findings and the count disagree");
    if (!check.showable())
        return 0;
    const std::int16_t n = tamberlo::countEntries(path);
    ::check(n == check.lines(), "the check read another number of lines than the drill counts");
    // First, last and a few between: reading every entry of a big file would starve the fuzzer.
    for (long long k = 1; k <= n; k = k < 8 ? k + 1 : k * 3) {
        for (const long long entry : {k, static_cast<long long>(n)}) {
            const auto pieces = tamberlo::readEntryPieces(path, static_cast<std::int16_t>(entry));
            ::check(pieces.size() >= 2, "showable, but an entry has no meaning");
        }
    }
    return 0;
}
