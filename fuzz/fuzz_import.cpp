// The input is a word list. Whatever the bytes: every entry the import writes reads back through the
// drill's read with exactly the word and meaning the reader gave, in order; the dictionary as it was
// stays the start of the file; nothing the check refuses is written, nothing at all from a source
// that cannot be read.
#include "dictionary/dictionaryfile.h"
#include "dictionary/shownpiece.h"
#include "fuzzcheck.h"
#include "wordlists/import.h"
#include "wordlists/import.h"
#include "wordlists/source.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tamberlo::wordlists;

// The entries the check lets through, as the reader gave them.
class Expected final : public RecordSink {
public:
    std::vector<std::pair<std::string, std::string>> entries;

    void take(const Record &record) override
    {
        tamberlo::EntryBytes bytes;
        if (record.problem.empty() && record.fields.size() >= 2 && checkEntry(record.fields[0], record.fields[1], record.encoding, bytes).empty() &&
            !(record.fields[0].text == "dog" && record.fields[1].text == "犬"))
            entries.emplace_back(record.fields[0].text, record.fields[1].text);
    }
    void startOver() override { entries.clear(); }
};

const std::string Before = "dog<>\x8C\xA2\r\nopen last line";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string list = scratch().write("list", {reinterpret_cast<const char *>(data), size});
    const std::string path = scratch().write("d.tmb", Before);
    Source source;
    check(source.open(list).empty(), "the list cannot be opened");
    std::string refusal;
    const auto reader = readerFor(source, {}, refusal);
    if (!reader)
        return check(!refusal.empty(), "refused without a reason"), 0;
    Expected expected;
    const std::string failure = reader->read(expected);
    ImportOptions options;
    options.skipBad = true;
    const ImportResult result = importList(source, *reader, path, options);
    // Another program's file that cannot be read (a broken package, malformed XML): nothing written.
    if (!failure.empty())
        return check(result.status == ImportResult::SourceUnreadable && fileBytes(path) == Before, "written from a source that cannot be read"), 0;
    check(result.status == ImportResult::Done && result.added == static_cast<long long>(expected.entries.size()),
          "not every good entry added");
    check(fileBytes(path).starts_with(Before), "the dictionary as it was is not the start of it");
    const std::size_t n = expected.entries.size();
    check(tamberlo::countEntries(path) == static_cast<std::int16_t>(2 + n), "not one line per entry");
    // First, last and a few between: reading every entry of a big list would starve the fuzzer.
    for (std::size_t k = 1; k <= n; k = k < 8 ? k + 1 : k * 3)
        for (const std::size_t at : {k, n}) {
            const auto pieces = tamberlo::readEntryPieces(path, static_cast<std::int16_t>(2 + at));
            const auto &[word, meaning] = expected.entries[at - 1];
            check(pieces.size() == 2 && pieces[0] == tamberlo::textPrefix(word) && pieces[1] == tamberlo::textPrefix(meaning),
                  "an entry reads back other than read");
        }
    return 0;
}
