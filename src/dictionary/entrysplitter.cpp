#include "dictionary/entrysplitter.h"

#include <algorithm>
#include <utility>

namespace tamberlo {

void EntrySplitter::take(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_count == 0)
        endPiece();
    if (m_pendingLt) {
        m_pendingLt = false;
        if (bytes.front() == EntrySeparator[1]) {
            endPiece();
            bytes.remove_prefix(1);
        } else {
            keep(EntrySeparator.substr(0, 1));
        }
    }
    // Once the kept pieces are complete and nobody looks at the rest, the rest is passed over.
    while (!(m_count > m_maxPieces && !m_each)) {
        const std::size_t at = bytes.find(EntrySeparator);
        if (at == std::string_view::npos) {
            m_pendingLt = !bytes.empty() && bytes.back() == EntrySeparator[0];
            keep(bytes.substr(0, bytes.size() - (m_pendingLt ? 1 : 0)));
            return;
        }
        keep(bytes.substr(0, at));
        endPiece();
        bytes.remove_prefix(at + EntrySeparator.size());
    }
}

std::vector<std::string> EntrySplitter::finish()
{
    if (m_pendingLt) // the line's last byte
        keep(EntrySeparator.substr(0, 1));
    m_pendingLt = false;
    m_count = 0;
    return std::exchange(m_pieces, {});
}

void EntrySplitter::keep(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_each)
        m_each(m_count - 1, bytes);
    if (m_count <= m_maxPieces) {
        std::string &piece = m_pieces.back();
        piece.append(bytes.substr(0, m_keep - std::min(m_keep, piece.size())));
    }
}

void EntrySplitter::endPiece()
{
    if (++m_count <= m_maxPieces)
        m_pieces.emplace_back();
}

} // namespace tamberlo
