#pragma once

#include <functional>
#include <string_view>

// The line rule, the one place that reads line ends: a line ends at CR LF or at a lone CR; a lone LF
// is text; bytes after the last line end make one more line.
namespace tamberlo {

class BlockReader;

inline constexpr std::string_view LineEnd = "\r\n";

struct LineTally {
    long long lines = 0;   // more than the limit given when counting stopped early
    bool endsOpen = false; // text after the last line end, which a new line must not be glued to
};

// Counts the lines from the reader's position to the end, stopping once there are more than `limit`.
// A failed read ends the count early; the reader's error() says so.
LineTally tallyLines(BlockReader &reader, long long limit);

// Hands the bytes of line n (1-based), without its line end, to `take` in order, a block's worth at
// most at a time, so that a caller keeps only what it needs of a long line. False when there are
// fewer lines or a read failed (the reader's error() tells which).
bool scanNthLine(BlockReader &reader, long long n, const std::function<void(std::string_view)> &take);

// Hands every line's bytes, without its line end, to `take` in order (a block's worth at most at a
// time) and calls `lineEnd` after each line, stopping once there are more than `limit` lines.
LineTally walkLines(BlockReader &reader, long long limit, const std::function<void(std::string_view)> &take,
                    const std::function<void()> &lineEnd);

} // namespace tamberlo
