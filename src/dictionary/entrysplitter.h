#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamberlo {

// Splits a line's bytes at every "<>" as they come in, in chunks cut anywhere, keeping only the
// first `pieces` pieces and of each only its first `keep` bytes: however long the line, the cost
// stays the same. Code page 932 has no double-byte character with a "<" or ">" byte, so this splits
// the text where splitting the decoded line would.
class EntrySplitter {
public:
    EntrySplitter(std::size_t pieces, std::size_t keep) : m_maxPieces(pieces), m_keep(keep) {}

    void take(std::string_view bytes);
    // The pieces' kept bytes, as splitEntry gives the pieces; none for an empty line.
    std::vector<std::string> finish();

private:
    void keep(std::string_view bytes);
    void endPiece();

    std::size_t m_maxPieces;
    std::size_t m_keep;
    std::vector<std::string> m_pieces;
    bool m_done = false;      // every piece wanted has ended
    bool m_pendingLt = false; // the last chunk ended in a "<" that the next may make a separator
};

} // namespace tamberlo
