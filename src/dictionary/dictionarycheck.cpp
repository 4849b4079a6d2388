#include "dictionary/dictionarycheck.h"

#include "dictionary/cp932.h"
#include "dictionary/dictionaryfile.h"
#include "dictionary/entryformat.h"
#include "dictionary/utf8.h"

#include <algorithm>
#include <utility>

namespace tamberlo {

namespace {

bool isTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

std::string column(std::size_t at) { return std::to_string(at) + "列目"; }

} // namespace

void DictionaryCheck::take(std::string_view bytes)
{
    if (m_invalidColumn == 0)
        decodeSoFar(bytes, false);
    m_utf8.feed(bytes);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        ++m_bytes;
        if (m_pendingLead) {
            m_pendingLead = false;
            if (isTrail(b))
                continue;
        }
        ++m_characters;
        if (m_pieces <= 2)
            ++m_pieceCharacters[m_pieces - 1];
        if (b == '\n' && m_lfColumn == 0)
            m_lfColumn = m_characters;
        if (b == 0 && m_nulColumn == 0)
            m_nulColumn = m_characters;
        if (isCp932Lead(b)) {
            m_pendingLead = true;
        } else if (b == '>' && m_pendingLt) {
            if (m_pieces <= 2)
                m_pieceCharacters[m_pieces - 1] -= 2;
            ++m_pieces;
            m_pendingLt = false;
            continue;
        }
        m_pendingLt = b == '<';
    }
}

// Decodes as the drill does, up to the first byte that is not code page 932.
void DictionaryCheck::decodeSoFar(std::string_view bytes, bool last)
{
    if (m_carry.empty() && std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        m_decodedCharacters += bytes.size();
        return;
    }
    std::string joined = std::exchange(m_carry, {});
    joined += bytes;
    std::size_t i = 0;
    while (i < joined.size())
        i += isCp932Lead(static_cast<unsigned char>(joined[i])) ? 2 : 1;
    std::size_t end = joined.size();
    if (i > end && !last) {
        --end;
        m_carry = joined.substr(end);
    }
    const std::string text = decodeCp932(std::string_view(joined).substr(0, end));
    const std::size_t bad = text.find("\xEF\xBF\xBD");
    if (bad != std::string::npos) {
        m_invalidColumn = m_decodedCharacters + utf8::characters(std::string_view(text).substr(0, bad)) + 1;
        m_carry.clear();
        return;
    }
    m_decodedCharacters += utf8::characters(text);
}

void DictionaryCheck::report(Finding kind, std::string reason, std::size_t characters)
{
    const bool warning = kind == Finding::LongPiece || kind == Finding::ExtraSeparator || kind == Finding::EmptyPiece;
    ++(warning ? m_warnings : m_errors);
    m_sink({m_lines, kind, warning, std::move(reason), characters});
}

void DictionaryCheck::endLine()
{
    ++m_lines;
    if (m_invalidColumn == 0 && !m_carry.empty())
        decodeSoFar({}, true);
    if (m_bytes == 0) {
        report(Finding::BlankLine, "空行です（暗記はここで止まります）");
    } else {
        if (m_pieces < 2)
            report(Finding::NoSeparator, "「<>」がありません（暗記はここで止まります）");
        if (m_lfColumn != 0 && !m_lfReported) {
            m_lfReported = true;
            report(Finding::LfLineEnds,
                   "LFだけの改行があります（" + column(m_lfColumn) +
                       "）: 暗記はCR LFかCRでしか行を分けないので、LFで分けた行はひとつの項目として読まれます"
                       "（LFだけで保存したファイルなら、ファイル全体がひとつの項目です）。"
                       "tamberlo-dict import で新しい辞書に取り込めます");
        }
        if (m_nulColumn != 0)
            report(Finding::NulByte, "NULバイトがあります（" + column(m_nulColumn) + "。UTF-16で保存したファイルかもしれません）");
        if (m_utf8.valid() && m_utf8.sawWide())
            report(Finding::Utf8Text, "UTF-8で書かれています（辞書はコードページ932です。tamberlo-dict import で変換できます）");
        else if (m_invalidColumn != 0)
            report(Finding::InvalidBytes, "コードページ932として正しくないバイトがあります（" + column(m_invalidColumn) + "）");
        if (m_lfColumn == 0 && m_pieces >= 2) {
            if (m_pieces >= 3)
                report(Finding::ExtraSeparator, "「<>」が2つ以上あります（暗記では2つ目の「<>」から後は表示されません）");
            const char *names[] = {"語", "意味"};
            for (int k = 0; k < 2; ++k) {
                const std::size_t n = m_pieceCharacters[k];
                if (n == 0)
                    report(Finding::EmptyPiece, std::string(names[k]) + "が空です");
                else if (n > ShownCharacters)
                    report(Finding::LongPiece,
                           std::string(names[k]) + "が" + std::to_string(ShownCharacters) + "文字を超えています（" +
                               std::to_string(n) + "文字。暗記では" + std::to_string(ShownCharacters) +
                               "文字までしか表示されません）",
                           n);
            }
        }
    }
    m_bytes = 0;
    m_characters = 0;
    m_pieces = 1;
    m_pieceCharacters[0] = m_pieceCharacters[1] = 0;
    m_pendingLead = m_pendingLt = false;
    m_lfColumn = m_nulColumn = m_invalidColumn = 0;
    m_decodedCharacters = 0;
    m_carry.clear();
    m_utf8 = Utf8Validator();
}

void DictionaryCheck::tooManyLines()
{
    report(Finding::TooManyLines, "32767行を超えています（暗記はこの辞書を開けません）");
}

void checkDictionaryFile(const std::string &path, DictionaryCheck &check)
{
    if (readLines(path, MaxEntries, [&](std::string_view bytes) { check.take(bytes); }, [&] { check.endLine(); }) >
        MaxEntries)
        check.tooManyLines();
}

} // namespace tamberlo
