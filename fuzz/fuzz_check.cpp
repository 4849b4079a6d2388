// The input is a dictionary file. The check never fails, and whenever it says the drill can show
// every entry, the drill's read gives every entry a word and a meaning without a run-time error; what
// an export writes of it comes back by an import as the same text, every line ending in CR LF.
#include "dictionary/cp932.h"
#include "dictionary/dictionaryfile.h"
#include "fuzzcheck.h"
#include "wordlists/dictionarycheck.h"
#include "wordlists/dictionaryexport.h"
#include "wordlists/import.h"
#include "wordlists/source.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tamberlo::wordlists;
    const std::string path = scratch().write("d.tmb", {reinterpret_cast<const char *>(data), size});
    ProblemList problems;
    const CheckResult result = checkDictionary(path, problems);
    check(problems.count() == result.errors + result.warnings, "findings and the counts disagree");
    const ExportResult exported = exportDictionary(path, scratch().file("out.tsv"), false, false);
    if (result.errors > 0)
        return check(exported.status != ExportResult::Done, "exported what the drill cannot show"), 0;
    const std::int16_t n = tamberlo::countEntries(path);
    check(n == result.lines, "the check read another number of lines than the drill counts");
    // First, last and a few between: reading every entry of a big file would starve the fuzzer.
    for (long long k = 1; k <= n; k = k < 8 ? k + 1 : k * 3)
        for (const long long entry : {k, static_cast<long long>(n)})
            check(tamberlo::readEntryPieces(path, static_cast<std::int16_t>(entry)).size() >= 2,
                  "showable, but an entry has no meaning");
    if (exported.status != ExportResult::Done)
        return 0;
    // Exported whole, the dictionary comes back the same, its open last line closed.
    const std::string again = scratch().file("again.tmb");
    std::remove(again.c_str());
    Source source;
    check(source.open(scratch().file("out.tsv")).empty(), "the export cannot be opened");
    std::string refusal;
    const auto reader = readerFor(source, {}, refusal);
    check(reader && importList(source, *reader, again, {}).status == ImportResult::Done, "the export does not import");
    std::string lines;
    tamberlo::readLines(path, tamberlo::MaxEntries, [&](std::string_view bytes) { lines += bytes; }, [&] { lines += "\r\n"; });
    // Code page 932 gives some characters two codes; the text is what must come back.
    check(tamberlo::decodeCp932(fileBytes(again)) == tamberlo::decodeCp932(lines), "export and import changed the text");
    return 0;
}
