#include "wordlists/dictionarycheck.h"

#include "dictionary/dictionaryfile.h"
#include "dictionary/entrysplitter.h"
#include "dictionary/shownpiece.h"
#include "dictionary/textdecoder.h"
#include "dictionary/utf8.h"
#include "wordlists/record.h"

#include <algorithm>
#include <utility>

namespace tamberlo::wordlists {

namespace {

// The line decoded as the drill decodes it, and once more as UTF-8 to tell a file saved as such.
class LineReader {
public:
    LineReader(bool keepText, const std::function<void(const CheckedLine &)> &onLine)
        : m_onLine(onLine), m_splitter(keepText ? 2 : 0, (MaxFieldCharacters + 1) * 4, [this](std::size_t piece, std::string_view run) {
              if (piece < 2)
                  m_line.characters[piece] += utf8::characters(run);
          })
    {
    }

    void take(std::string_view bytes)
    {
        m_text.clear();
        m_cp932.feed(bytes, m_text);
        scan();
        if (!m_utf8.sawInvalid()) {
            m_text.clear();
            m_utf8.feed(bytes, m_text);
            m_wide = m_wide || std::any_of(m_text.begin(), m_text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
        }
    }

    void endLine()
    {
        m_text.clear();
        m_cp932.finish(m_text);
        scan();
        m_utf8.finish(m_text);
        m_line.utf8 = m_wide && !m_utf8.sawInvalid();
        m_line.pieces = m_splitter.count();
        m_line.text = m_splitter.finish();
        ++m_line.number;
        m_onLine(m_line);
        const long long number = m_line.number;
        m_line = CheckedLine();
        m_line.number = number;
        m_cp932 = TextDecoder(Encoding::Cp932);
        m_utf8 = TextDecoder(Encoding::Utf8);
        m_decoded = 0;
        m_wide = false;
    }

private:
    // Columns count characters of the decoded line, from 1.
    void scan()
    {
        const auto note = [&](std::size_t &column, std::string_view what) {
            const std::size_t at = m_text.find(what);
            if (column == 0 && at != std::string::npos)
                column = m_decoded + utf8::characters(std::string_view(m_text).substr(0, at)) + 1;
        };
        note(m_line.lfColumn, "\n");
        note(m_line.nulColumn, std::string_view("\0", 1));
        note(m_line.invalidColumn, "\xEF\xBF\xBD");
        m_decoded += utf8::characters(m_text);
        m_splitter.take(m_text);
    }

    const std::function<void(const CheckedLine &)> &m_onLine;
    EntrySplitter m_splitter;
    TextDecoder m_cp932{Encoding::Cp932};
    TextDecoder m_utf8{Encoding::Utf8};
    CheckedLine m_line;
    std::string m_text;
    std::size_t m_decoded = 0;
    bool m_wide = false;
};

std::string column(std::size_t at) { return std::to_string(at) + "列目"; }

} // namespace

bool readCheckedLines(const std::string &path, bool keepText, const std::function<void(const CheckedLine &)> &onLine)
{
    LineReader reader(keepText, onLine);
    return readLines(path, MaxEntries, [&](std::string_view bytes) { reader.take(bytes); }, [&] { reader.endLine(); }) <=
           MaxEntries;
}

std::vector<CheckFinding> findings(const CheckedLine &line, bool &lfSaid)
{
    if (line.pieces == 0)
        return {{Finding::BlankLine, "空行です（暗記はここで止まります）"}};
    std::vector<CheckFinding> found;
    if (line.pieces < 2)
        found.push_back({Finding::NoSeparator, "「<>」がありません（暗記はここで止まります）"});
    if (line.lfColumn != 0 && !std::exchange(lfSaid, true))
        found.push_back({Finding::LfLineEnds,
                         "LFだけの改行があります（" + column(line.lfColumn) +
                             "）: 暗記はCR LFかCRでしか行を分けないので、LFで分けた行はひとつの項目として読まれます"
                             "（LFだけで保存したファイルなら、ファイル全体がひとつの項目です）。"
                             "tamberlo-dict import で新しい辞書に取り込めます"});
    if (line.nulColumn != 0)
        found.push_back({Finding::NulByte, "NULバイトがあります（" + column(line.nulColumn) + "。UTF-16で保存したファイルかもしれません）"});
    if (line.utf8)
        found.push_back({Finding::Utf8Text, "UTF-8で書かれています（辞書はコードページ932です。tamberlo-dict import で変換できます）"});
    else if (line.invalidColumn != 0)
        found.push_back({Finding::InvalidBytes, "コードページ932として正しくないバイトがあります（" + column(line.invalidColumn) + "）"});
    if (line.lfColumn != 0 || line.pieces < 2)
        return found;
    if (line.pieces >= 3)
        found.push_back({Finding::ExtraSeparator, "「<>」が2つ以上あります（暗記では2つ目の「<>」から後は表示されません）"});
    const char *names[] = {"語", "意味"};
    for (int k = 0; k < 2; ++k) {
        const std::string name = names[k];
        const std::size_t n = line.characters[k];
        const std::string shown = std::to_string(ShownCharacters);
        if (n == 0)
            found.push_back({Finding::EmptyPiece, name + "が空です"});
        else if (n > ShownCharacters)
            found.push_back({Finding::LongPiece, name + "が" + shown + "文字を超えています（" + std::to_string(n) +
                                                     "文字。暗記では" + shown + "文字までしか表示されません）", n});
    }
    return found;
}

CheckFinding tooManyLines()
{
    return {Finding::TooManyLines, "32767行を超えています（暗記はこの辞書を開けません）"};
}

CheckResult checkDictionary(const std::string &path, ProblemList &problems)
{
    CheckResult result;
    bool lfSaid = false;
    const auto add = [&](long long line, const CheckFinding &finding) {
        ++(finding.warning() ? result.warnings : result.errors);
        problems.add(line, (finding.warning() ? "警告: " : "") + finding.reason);
    };
    const bool whole = readCheckedLines(path, false, [&](const CheckedLine &line) {
        result.lines = line.number;
        for (const CheckFinding &finding : findings(line, lfSaid))
            add(line.number, finding);
    });
    if (!whole)
        add(MaxEntries + 1, tooManyLines());
    return result;
}

} // namespace tamberlo::wordlists
