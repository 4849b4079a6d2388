#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a line splits into pieces: at every "<>", piece 0 the word, piece 1 the meaning, any further
// piece unused. The one place that reads the separator, for the drill, the tool and their checks.
namespace tamberlo {

inline constexpr std::string_view EntrySeparator = "<>";

// Splits a line as it comes in, in chunks cut anywhere, keeping only the first `pieces` pieces and of
// each only its first `keep` bytes: however long the line, the cost stays the same. `each`, when
// given, sees every run of every piece with its index. Neither code page 932 nor UTF-8 has a
// multi-byte character holding a "<" or ">" byte, so this splits bytes where splitting the decoded
// text would, and splits decoded text alike.
class EntrySplitter {
public:
    using Each = std::function<void(std::size_t piece, std::string_view run)>;
    EntrySplitter(std::size_t pieces, std::size_t keep, Each each = {})
        : m_maxPieces(pieces), m_keep(keep), m_each(std::move(each)) {}

    void take(std::string_view bytes);
    // Ends the line: the kept pieces, none for an empty line; then the splitter is ready for the next.
    std::vector<std::string> finish();
    // Pieces of the line so far, those past the kept ones included.
    std::size_t count() const { return m_count; }

private:
    void keep(std::string_view bytes);
    void endPiece();

    std::size_t m_maxPieces;
    std::size_t m_keep;
    Each m_each;
    std::vector<std::string> m_pieces;
    std::size_t m_count = 0;
    bool m_pendingLt = false; // the last chunk ended in a "<" that the next may make a separator
};

} // namespace tamberlo
