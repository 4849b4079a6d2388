#include "dictionary/entryformat.h"

#include "dictionary/cp932.h"
#include "dictionary/linerule.h"
#include "dictionary/runtimeerror.h"
#include "dictionary/utf8.h"

#include <algorithm>
#include <cstdio>

namespace tamberlo {

namespace {
bool storable(const std::string &text)
{
    return text.find_first_of("\r\n") == std::string::npos && encodeCp932(text).ok();
}
} // namespace

std::string composeEntryLine(std::string_view word, std::string_view meaning)
{
    std::string line;
    line.reserve(word.size() + EntrySeparator.size() + meaning.size() + LineEnd.size());
    line += word;
    line += EntrySeparator;
    line += meaning;
    line += LineEnd;
    return line;
}

EntryCheck checkNewEntry(const std::string &word, const std::string &meaning)
{
    if (word.find(EntrySeparator) != std::string::npos || meaning.find(EntrySeparator) != std::string::npos)
        return EntryCheck::HoldsSeparator;
    if (!storable(word) || !storable(meaning))
        return EntryCheck::NotStorable;
    return EntryCheck::Ok;
}

std::string unencodableReason(const Cp932Encoding &word, const Cp932Encoding &meaning)
{
    std::string reason = "コードページ932で表せない文字があります:";
    for (const auto *encoding : {&word, &meaning}) {
        for (char32_t c : encoding->unencodable) {
            char code[16];
            std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(c));
            reason += code;
        }
    }
    return reason;
}

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

std::string textPrefix(std::string_view utf8Text, std::size_t maxCharacters)
{
    std::size_t end = 0;
    for (std::size_t count = 0; end < utf8Text.size() && count < maxCharacters; ++count)
        utf8::next(utf8Text, end);
    if (end == utf8Text.size())
        return std::string(utf8Text);
    return std::string(utf8Text.substr(0, end)) + "…";
}

const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index, const std::string &path,
                              std::int16_t entryNumber)
{
    if (index >= pieces.size())
        throw RuntimeError(ErrorKind::SubscriptOutOfRange, path, entryNumber,
                           pieces.empty() ? std::string("空行です（「<>」がありません）")
                                          : "「<>」がありません: " + textPrefix(pieces.front()));
    return pieces[index];
}

} // namespace tamberlo
