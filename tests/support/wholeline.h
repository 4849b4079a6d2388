#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The plain whole-line reading that the program's streamed reading is checked against: the whole
// file in memory, cut into lines byte by byte, a line split with find. Test code only; standard C++.
namespace tamberlo {

// The file's lines by the line rule: a line ends at CR LF or a lone CR; text after the last line
// end is one more line.
std::vector<std::string> wholeLines(std::string_view bytes);

// Line n (1-based) of the file, decoded to UTF-8. InputPastEndOfFile when there are fewer lines,
// SubscriptOutOfRange for n < 1, FileNotFound when it cannot be opened.
std::string readEntry(const std::string &path, std::int16_t n);

// The line split at every "<>": piece 0 is the word, piece 1 the meaning. An empty line gives no pieces.
std::vector<std::string> splitEntry(const std::string &line);

// What the drill must show of a line (UTF-8): the first two of its pieces, each cut by textPrefix.
std::vector<std::string> shownPieces(const std::string &line);

} // namespace tamberlo
