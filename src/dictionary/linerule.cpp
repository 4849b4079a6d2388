#include "dictionary/linerule.h"

#include "dictionary/blockreader.h"

#include <cstring>

namespace tamberlo {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

const char *findCr(const char *from, const char *to)
{
    return static_cast<const char *>(std::memchr(from, CR, static_cast<std::size_t>(to - from)));
}

} // namespace

LineTally tallyLines(BlockReader &reader, long long limit)
{
    long long lineEnds = 0;
    bool empty = true;
    char last = 0;
    char beforeLast = 0;
    while (reader.available()) {
        empty = false;
        const char *from = reader.begin();
        const char *end = reader.end();
        // Every CR ends exactly one line, whether an LF follows or not.
        for (const char *cr = findCr(from, end); cr; cr = findCr(cr + 1, end))
            ++lineEnds;
        if (lineEnds > limit)
            return LineTally{lineEnds}; // past the limit, the end is nobody's concern
        beforeLast = end - from >= 2 ? end[-2] : last;
        last = end[-1];
        reader.skipAll();
    }
    // The LF of a final CR LF is part of that line end.
    const bool endsOpen = !empty && last != CR && !(last == LF && beforeLast == CR);
    return {lineEnds + (endsOpen ? 1 : 0), endsOpen};
}

bool scanNthLine(BlockReader &reader, long long n, const std::function<void(std::string_view)> &take)
{
    // The LF right after a CR belongs to that line end, even when the CR closed the previous block.
    bool afterCr = false;
    auto skipLfOfCrLf = [&] {
        if (afterCr && reader.peek() == LF)
            reader.skipTo(reader.begin() + 1);
        afterCr = false;
    };

    for (long long ends = 0; ends < n - 1;) {
        if (!reader.available())
            return false;
        skipLfOfCrLf();
        const char *cr = findCr(reader.begin(), reader.end());
        if (!cr) {
            reader.skipAll();
            continue;
        }
        reader.skipTo(cr + 1);
        afterCr = true;
        ++ends;
    }

    bool text = false;
    bool ended = false;
    while (!ended && reader.available()) {
        skipLfOfCrLf();
        const char *cr = findCr(reader.begin(), reader.end());
        const char *stop = cr ? cr : reader.end();
        if (stop != reader.begin()) {
            take({reader.begin(), static_cast<std::size_t>(stop - reader.begin())});
            text = true;
        }
        ended = cr != nullptr;
        reader.skipAll();
    }
    // At end of file only text makes a line: a final line end is not followed by an empty line.
    return ended || (text && reader.error() == 0);
}

LineTally walkLines(BlockReader &reader, long long limit, const std::function<void(std::string_view)> &take,
                    const std::function<void()> &lineEnd)
{
    LineTally tally;
    bool afterCr = false;
    while (tally.lines <= limit && reader.available()) {
        if (afterCr && reader.peek() == LF)
            reader.skipTo(reader.begin() + 1);
        afterCr = false;
        if (!reader.available())
            break;
        const char *cr = findCr(reader.begin(), reader.end());
        const char *stop = cr ? cr : reader.end();
        if (stop != reader.begin()) {
            take({reader.begin(), static_cast<std::size_t>(stop - reader.begin())});
            tally.endsOpen = true;
        }
        if (!cr) {
            reader.skipAll();
            continue;
        }
        reader.skipTo(cr + 1);
        afterCr = true;
        tally.endsOpen = false;
        ++tally.lines;
        lineEnd();
    }
    if (tally.endsOpen && tally.lines <= limit) {
        ++tally.lines;
        lineEnd();
    }
    return tally;
}

} // namespace tamberlo
