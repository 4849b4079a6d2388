// The input is a word list. Whatever the bytes: every entry the import writes reads back through the
// drill's read with exactly the word and meaning the parser gave; the dictionary as it was stays the
// start of the file; a line the parser refuses is never written; past the limit nothing is.
#include "dictionary/dictionaryfile.h"
#include "dictionary/entryformat.h"
#include "tempdir.h"
#include "dictionary/wordlistimport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const TempFolder &scratch()
{
    static const TempFolder folder("tamberlo-fuzz-import");
    return folder;
}

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_import: %s\n", what);
        std::abort();
    }
}

const std::string Before = "dog<>\x8C\xA2\r\nopen last line";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::vector<tamberlo::WordListEntry> entries = tamberlo::parseWordList(bytes);

    // What should be written: every entry without a problem that the dictionary does not hold yet.
    std::vector<const tamberlo::WordListEntry *> expected;
    for (const auto &entry : entries) {
        check(entry.problem.empty() == !entry.wordBytes.empty(), "a refused entry has bytes, or a good one none");
        if (entry.problem.empty() && !(entry.word == "dog" && entry.meaning == "犬"))
            expected.push_back(&entry);
    }

    const std::string list = scratch().write("list", bytes);
    const std::string path = scratch().write("d.tmb", Before);
    const int fd = ::open(list.c_str(), O_RDONLY);
    int error = 0;
    tamberlo::ImportBatch batch(fd, tamberlo::detectEncoding(fd, error), std::nullopt);
    const tamberlo::AppendResult result = tamberlo::appendEntries(path, batch);
    ::close(fd);
    const std::string after = fileBytes(path);

    const long long room = tamberlo::MaxEntries - 2;
    if (static_cast<long long>(expected.size()) > room) {
        check(result.outcome == tamberlo::AppendOutcome::DictionaryFull && result.room == room, "past the limit not refused");
        check(after == Before, "written past the limit");
        return 0;
    }
    check(result.outcome == tamberlo::AppendOutcome::Appended, "not appended");
    check(after.compare(0, Before.size(), Before) == 0, "the dictionary as it was is not the start of it");
    check(tamberlo::countEntries(path) == static_cast<std::int16_t>(2 + expected.size()), "not one line per entry");
    // First, last and a few between: reading every entry of a big list would starve the fuzzer.
    for (std::size_t k = 1; k <= expected.size(); k = k < 8 ? k + 1 : k * 3) {
        for (const std::size_t n : {k, expected.size()}) {
            const auto pieces = tamberlo::readEntryPieces(path, static_cast<std::int16_t>(2 + n));
            const auto &entry = *expected[n - 1];
            check(pieces.size() == 2, "an entry does not read back as word and meaning");
            check(pieces[0] == tamberlo::textPrefix(entry.word) && pieces[1] == tamberlo::textPrefix(entry.meaning),
                  "an entry reads back other than parsed");
        }
    }
    return 0;
}
