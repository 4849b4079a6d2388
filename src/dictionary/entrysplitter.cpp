#include "entrysplitter.h"

#include "dictionaryfile.h"

#include <algorithm>

namespace tamberlo {

void EntrySplitter::take(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_pieces.empty())
        m_pieces.emplace_back();
    if (m_pendingLt) {
        m_pendingLt = false;
        if (bytes.front() == EntrySeparator[1]) {
            endPiece();
            bytes.remove_prefix(1);
        } else {
            keep(EntrySeparator.substr(0, 1));
        }
    }
    while (!m_done) {
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
    return std::move(m_pieces);
}

void EntrySplitter::keep(std::string_view bytes)
{
    std::string &piece = m_pieces.back();
    piece.append(bytes.substr(0, m_keep - std::min(m_keep, piece.size())));
}

void EntrySplitter::endPiece()
{
    if (m_pieces.size() == m_maxPieces)
        m_done = true;
    else
        m_pieces.emplace_back();
}

} // namespace tamberlo
