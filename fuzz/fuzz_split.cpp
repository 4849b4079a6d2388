// The drill's splitter, fed a line in chunks, against the plain whole-line split: the same pieces,
// as many as asked for, each cut to the bytes asked for. The whole-line split itself against its
// definition: its pieces joined with "<>" give the line back, and no piece holds "<>".
#include "fuzzcheck.h"
#include "dictionary/entrysplitter.h"
#include "wholeline.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    // Two bytes of settings: the chunk size, and how many pieces of how many bytes to keep.
    const std::size_t chunk = 1 + data[0] % 16;
    const std::size_t wanted = 1 + data[1] % 4;
    const std::size_t keep = data[1] / 4;
    const std::string line(reinterpret_cast<const char *>(data) + 2, size - 2);

    const auto pieces = tamberlo::splitEntry(line);
    check(line.empty() == pieces.empty(), "only the empty line has no pieces");
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            joined += tamberlo::EntrySeparator;
        joined += pieces[i];
        check(pieces[i].find(tamberlo::EntrySeparator) == std::string::npos, "a piece holds the separator");
    }
    check(joined == line, "the pieces do not make up the line");

    tamberlo::EntrySplitter splitter(wanted, keep);
    for (std::size_t at = 0; at < line.size(); at += chunk)
        splitter.take(std::string_view(line).substr(at, chunk));
    auto expected = pieces;
    if (expected.size() > wanted)
        expected.resize(wanted);
    for (std::string &piece : expected)
        piece.resize(std::min(piece.size(), keep));
    check(splitter.finish() == expected, "streamed pieces differ from the whole line's");
    // Every run of every piece, to whoever looks.
    std::vector<std::string> runs;
    tamberlo::EntrySplitter each(0, 0, [&](std::size_t piece, std::string_view run) {
        runs.resize(std::max(runs.size(), piece + 1));
        runs[piece] += run;
    });
    for (std::size_t at = 0; at < line.size(); at += chunk)
        each.take(std::string_view(line).substr(at, chunk));
    check(each.count() == pieces.size(), "pieces miscounted");
    check(each.finish().empty(), "pieces kept where none were asked for");
    runs.resize(pieces.size());
    check(runs == pieces, "the runs do not make up the pieces");
    return 0;
}
