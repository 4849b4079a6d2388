#include "dictionary/wordlist.h"

#include "dictionary/cp932.h"
#include "dictionary/entryformat.h"
#include "dictionary/utf8.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <utility>

namespace tamberlo {

namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    });
    return out;
}

// Where the run of ASCII bytes from `from` ends, eight bytes at a time.
std::size_t asciiRunEnd(std::string_view s, std::size_t from)
{
    std::size_t i = from;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ull)
            break;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

constexpr std::string_view Bom8 = "\xEF\xBB\xBF";
constexpr std::string_view BomLe = "\xFF\xFE";
constexpr std::string_view BomBe = "\xFE\xFF";

// A "#key:value" line of a card program's header: the key is letters, digits, blanks, "_" or "-".
std::optional<std::pair<std::string, std::string>> headerLine(std::string_view line)
{
    if (line.size() < 3 || line[0] != '#')
        return std::nullopt;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 1)
        return std::nullopt;
    for (char c : line.substr(1, colon - 1))
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ' && c != '_' && c != '-')
            return std::nullopt;
    return std::make_pair(lower(line.substr(1, colon - 1)), lower(line.substr(colon + 1)));
}

// A first line longer than this decides the separator on what it holds so far.
constexpr std::size_t MaxPreambleBytes = 64 * 1024;

} // namespace

const char *encodingName(SourceEncoding encoding)
{
    switch (encoding) {
    case SourceEncoding::Utf8: return "UTF-8";
    case SourceEncoding::Utf16Le: return "UTF-16LE";
    case SourceEncoding::Utf16Be: return "UTF-16BE";
    case SourceEncoding::Cp932: return "CP932";
    }
    return "";
}

std::optional<SourceEncoding> encodingNamed(std::string_view name)
{
    const std::string n = lower(name);
    if (n == "utf-8" || n == "utf8")
        return SourceEncoding::Utf8;
    if (n == "utf-16le" || n == "utf16le")
        return SourceEncoding::Utf16Le;
    if (n == "utf-16be" || n == "utf16be")
        return SourceEncoding::Utf16Be;
    if (n == "cp932" || n == "shift_jis" || n == "sjis" || n == "windows-31j")
        return SourceEncoding::Cp932;
    return std::nullopt;
}

std::optional<Separator> separatorNamed(std::string_view name)
{
    const std::string n = lower(name);
    if (n == "<>")
        return Separator::Entry;
    if (n == "tab" || n == "\t")
        return Separator::Tab;
    if (n == "comma" || n == ",")
        return Separator::Comma;
    return std::nullopt;
}

void Utf8Validator::feed(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (m_need == 0) {
            if (b < 0x80) {
                i = asciiRunEnd(bytes, i) - 1;
                continue;
            }
            m_lo = 0x80;
            m_hi = 0xBF;
            if (b >= 0xC2 && b <= 0xDF) {
                m_need = 1;
                continue;
            }
            if (b >= 0xE0 && b <= 0xEF) {
                m_need = 2;
                m_lo = b == 0xE0 ? 0xA0 : 0x80;
                m_hi = b == 0xED ? 0x9F : 0xBF;
            } else if (b >= 0xF0 && b <= 0xF4) {
                m_need = 3;
                m_lo = b == 0xF0 ? 0x90 : 0x80;
                m_hi = b == 0xF4 ? 0x8F : 0xBF;
            } else {
                m_bad = true;
                continue;
            }
            m_sawWide = true;
            continue;
        }
        if (b < m_lo || b > m_hi) {
            m_bad = true;
            m_need = 0;
            continue;
        }
        --m_need;
        m_lo = 0x80;
        m_hi = 0xBF;
    }
}

void EncodingDetector::feed(std::string_view bytes)
{
    if (m_head.size() < 3)
        m_head += bytes.substr(0, 3 - m_head.size());
    m_utf8.feed(bytes);
}

SourceEncoding EncodingDetector::result() const
{
    const std::string_view head = m_head;
    if (head.starts_with(Bom8))
        return SourceEncoding::Utf8;
    if (head.starts_with(BomLe))
        return SourceEncoding::Utf16Le;
    if (head.starts_with(BomBe))
        return SourceEncoding::Utf16Be;
    return m_utf8.valid() ? SourceEncoding::Utf8 : SourceEncoding::Cp932;
}

void TextDecoder::feed(std::string_view bytes, std::string &out)
{
    if (m_carry.empty()) {
        if (!m_started && bytes.size() < 3) {
            m_carry.assign(bytes);
            return;
        }
        decode(bytes, out, false);
        return;
    }
    std::string joined = std::move(m_carry);
    m_carry.clear();
    joined += bytes;
    if (!m_started && joined.size() < 3) {
        m_carry = std::move(joined);
        return;
    }
    decode(joined, out, false);
}

void TextDecoder::finish(std::string &out)
{
    std::string rest = std::move(m_carry);
    m_carry.clear();
    decode(rest, out, true);
    if (m_highSurrogate != 0)
        utf8::append(out, utf8::Replacement);
    m_highSurrogate = 0;
}

void TextDecoder::decode(std::string_view s, std::string &out, bool last)
{
    if (!m_started) {
        m_started = true;
        const std::string_view bom = m_encoding == SourceEncoding::Utf8      ? Bom8
                                     : m_encoding == SourceEncoding::Utf16Le ? BomLe
                                     : m_encoding == SourceEncoding::Utf16Be ? BomBe
                                                                             : std::string_view();
        if (!bom.empty() && s.starts_with(bom))
            s.remove_prefix(bom.size());
    }
    const std::size_t n = s.size();
    switch (m_encoding) {
    case SourceEncoding::Utf8:
        for (std::size_t i = 0; i < n;) {
            const auto b = static_cast<unsigned char>(s[i]);
            if (b < 0x80) {
                const std::size_t j = asciiRunEnd(s, i);
                out.append(s.substr(i, j - i));
                i = j;
                continue;
            }
            const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
            if (!last && i + length > n) {
                m_carry.assign(s.substr(i));
                return;
            }
            utf8::append(out, utf8::next(s, i));
        }
        return;
    case SourceEncoding::Utf16Le:
    case SourceEncoding::Utf16Be: {
        const bool le = m_encoding == SourceEncoding::Utf16Le;
        std::size_t i = 0;
        for (; i + 1 < n; i += 2) {
            const auto lo = static_cast<unsigned char>(s[le ? i : i + 1]);
            const auto hi = static_cast<unsigned char>(s[le ? i + 1 : i]);
            const char32_t unit = static_cast<char32_t>(hi << 8 | lo);
            if (m_highSurrogate != 0) {
                const char32_t high = std::exchange(m_highSurrogate, 0);
                if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    utf8::append(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                    continue;
                }
                utf8::append(out, utf8::Replacement);
            }
            if (unit >= 0xD800 && unit <= 0xDBFF)
                m_highSurrogate = unit;
            else if (unit >= 0xDC00 && unit <= 0xDFFF)
                utf8::append(out, utf8::Replacement);
            else
                utf8::append(out, unit);
        }
        if (i < n) {
            if (last)
                utf8::append(out, utf8::Replacement);
            else
                m_carry.assign(s.substr(i));
        }
        return;
    }
    case SourceEncoding::Cp932: {
        // CR and LF are never the second byte of a character, so a chunk may end anywhere but
        // between a lead byte and the byte after it.
        std::size_t i = 0;
        while (i < n)
            i += isCp932Lead(static_cast<unsigned char>(s[i])) ? 2 : 1;
        std::size_t end = n;
        if (i > n && !last) {
            end = n - 1;
            m_carry.assign(s.substr(end));
        }
        out += decodeCp932(s.substr(0, end));
        return;
    }
    }
}

WordListParser::WordListParser(std::optional<Separator> separator, std::string encodingName, Sink sink)
    : m_separator(separator)
    , m_encodingName(std::move(encodingName))
    , m_sink(std::move(sink))
{
}

void WordListParser::feed(std::string_view utf8Text)
{
    if (m_inPreamble)
        feedPreamble(utf8Text);
    else
        take(utf8Text);
}

void WordListParser::feedPreamble(std::string_view text)
{
    for (std::size_t i = 0; i < text.size() && m_inPreamble; ++i) {
        const char c = text[i];
        if (m_preambleCr) {
            m_preambleCr = false;
            if (c == '\n')
                continue;
        }
        if (c != '\r' && c != '\n') {
            m_preamble += c;
            if (m_preamble.size() < MaxPreambleBytes)
                continue;
            decide(m_preamble);
            m_recordLine = m_line;
            take(std::exchange(m_preamble, {}));
            take(text.substr(i + 1));
            return;
        }
        m_preambleCr = c == '\r';
        const std::string line = std::exchange(m_preamble, {});
        if (line.empty()) {
            ++m_line;
            continue;
        }
        if (const auto header = headerLine(line)) {
            if (!m_separator && header->first == "separator")
                m_separator = separatorNamed(header->second);
            ++m_line;
            continue;
        }
        decide(line);
        m_recordLine = m_line;
        take(line);
        take(text.substr(i, 1));
        take(text.substr(i + 1));
        return;
    }
}

void WordListParser::decide(std::string_view line)
{
    m_inPreamble = false;
    if (m_separator)
        return;
    bool quoted = false;
    bool tab = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (!quoted && line.substr(i, 2) == EntrySeparator) {
            m_separator = Separator::Entry;
            return;
        } else if (!quoted && line[i] == '\t')
            tab = true;
    }
    m_separator = tab ? Separator::Tab : Separator::Comma;
}

void WordListParser::take(std::string_view s)
{
    if (!m_specialReady) {
        // Per quote state, the bytes that end a run of plain text.
        const Separator sep = separator();
        const auto sepChar = static_cast<unsigned char>(sep == Separator::Tab ? '\t' : sep == Separator::Comma ? ',' : '<');
        const bool quoting = sep != Separator::Entry;
        for (int state = 0; state < 4; ++state)
            for (int b = 0; b < 256; ++b) {
                bool special = b == '\r' || b == '\n';
                switch (static_cast<Quote>(state)) {
                case Quote::FieldStart: special = special || b == sepChar || (quoting && b == '"'); break;
                case Quote::Plain: special = special || b == sepChar; break;
                case Quote::Quoted: special = special || b == '"'; break;
                case Quote::QuoteInQuoted: special = true; break;
                }
                m_special[state][b] = special;
            }
        m_specialReady = true;
    }
    for (std::size_t i = 0; i < s.size();) {
        if (m_afterCr) {
            m_afterCr = false;
            if (s[i] == '\n') {
                ++i;
                continue;
            }
        }
        const bool *special = m_special[static_cast<int>(m_quote)];
        if (m_pendingLt || special[static_cast<unsigned char>(s[i])]) {
            takeChar(s.substr(i, 1));
            ++i;
            continue;
        }
        if (m_quote == Quote::FieldStart) {
            m_quote = Quote::Plain;
            special = m_special[static_cast<int>(m_quote)];
        }
        std::size_t j = i + 1;
        while (j < s.size() && !special[static_cast<unsigned char>(s[j])])
            ++j;
        const std::string_view run = s.substr(i, j - i);
        m_recordEmpty = false;
        keep(run);
        m_column += static_cast<long long>(utf8::characters(run));
        i = j;
    }
}

void WordListParser::takeChar(std::string_view ch)
{
    const char c = ch.front();
    if (c != '\r' && c != '\n') {
        handleChar(ch);
        ++m_column;
        return;
    }
    if (m_pendingLt) {
        m_pendingLt = false;
        keep("<");
    }
    lineBreak(ch);
}

void WordListParser::handleChar(std::string_view ch)
{
    const char c = ch.front();
    const Separator sep = separator();
    m_recordEmpty = false;
    current();
    if (sep == Separator::Entry) {
        if (m_pendingLt) {
            m_pendingLt = false;
            if (c == '>') {
                endField();
                return;
            }
            keep("<");
        }
        if (c == '<')
            m_pendingLt = true;
        else
            keep(ch);
        return;
    }
    const char sepChar = sep == Separator::Tab ? '\t' : ',';
    switch (m_quote) {
    case Quote::FieldStart:
        if (c == '"') {
            current().quoted = true;
            m_quote = Quote::Quoted;
        } else if (c == sepChar) {
            endField();
        } else {
            m_quote = Quote::Plain;
            keep(ch);
        }
        return;
    case Quote::Plain:
        if (c == sepChar)
            endField();
        else
            keep(ch);
        return;
    case Quote::Quoted:
        if (c == '"')
            m_quote = Quote::QuoteInQuoted;
        else
            keep(ch);
        return;
    case Quote::QuoteInQuoted:
        if (c == '"') {
            keep(ch);
            m_quote = Quote::Quoted;
        } else if (c == sepChar) {
            endField();
        } else {
            // Text after a closing quote is taken as it stands, as spreadsheets take it.
            keep(ch);
            m_quote = Quote::Plain;
        }
        return;
    }
}

void WordListParser::startField(std::size_t index, long long column)
{
    Field &field = m_field[index];
    field.text.clear();
    field.characters = 0;
    field.startColumn = column;
    field.quoted = false;
    field.holdsBreak = false;
    m_fieldCount = index + 1;
}

WordListParser::Field &WordListParser::current()
{
    if (m_fieldCount == 0)
        startField(0, m_column + 1);
    return m_field[m_fieldCount - 1];
}

void WordListParser::keep(std::string_view bytes)
{
    Field &field = current();
    if (m_fieldCount > 2)
        return;
    // Past the limit only the count goes on: the text is refused whole, so its tail is never needed.
    const std::size_t room = (MaxFieldCharacters + 1) * 4;
    if (field.text.size() < room)
        field.text.append(bytes.substr(0, room - field.text.size()));
    field.characters += utf8::characters(bytes);
}

void WordListParser::endField()
{
    current();
    // Fields after the meaning are read past but not kept.
    startField(std::min<std::size_t>(m_fieldCount, 2), m_column + 2);
    m_quote = Quote::FieldStart;
}

void WordListParser::lineBreak(std::string_view ch)
{
    if (m_quote == Quote::Quoted) {
        current().holdsBreak = true;
        keep(ch);
    } else {
        endRecord();
    }
    ++m_line;
    m_column = 0;
    m_afterCr = ch.front() == '\r';
    if (m_quote != Quote::Quoted)
        m_recordLine = m_line;
}

void WordListParser::endRecord()
{
    if (!m_recordEmpty)
        emit();
    m_fieldCount = 0;
    m_recordEmpty = true;
    m_quote = Quote::FieldStart;
    m_pendingLt = false;
}

void WordListParser::finish()
{
    if (m_inPreamble) {
        const std::string line = std::exchange(m_preamble, {});
        m_inPreamble = false;
        if (!line.empty() && !headerLine(line)) {
            decide(line);
            m_recordLine = m_line;
            take(line);
        }
    }
    if (m_pendingLt) {
        m_pendingLt = false;
        keep("<");
    }
    m_unclosedAtEnd = m_quote == Quote::Quoted;
    endRecord();
}

void WordListParser::emit()
{
    WordListEntry &entry = m_entry;
    entry.line = m_recordLine;
    entry.problem.clear();
    entry.wordBytes.clear();
    entry.meaningBytes.clear();
    if (m_fieldCount == 0)
        startField(0, 1);
    const auto column = [](const Field &field, std::size_t at) {
        return "（" + std::to_string(field.startColumn + (field.quoted ? 1 : 0) +
                                   static_cast<long long>(utf8::characters(std::string_view(field.text).substr(0, at)))) +
               "列目）";
    };
    auto problemOf = [&](const Field &field, const char *name) -> std::string {
        const std::string what = name;
        if (field.characters > MaxFieldCharacters)
            return what + "が長すぎます（" + std::to_string(field.characters) + "文字。" +
                   std::to_string(MaxFieldCharacters) + "文字まで）";
        if (field.holdsBreak)
            return what + "に改行があります";
        if (field.text.empty())
            return what + "が空です";
        if (const std::size_t at = field.text.find(EntrySeparator); at != std::string::npos)
            return what + "に「<>」があります" + column(field, at);
        if (const std::size_t at = field.text.find("\xEF\xBF\xBD"); at != std::string::npos)
            return what + "に" + m_encodingName + "として読めないバイトがあります" + column(field, at);
        if (const std::size_t at = field.text.find('\0'); at != std::string::npos)
            return what + "にNUL文字があります" + column(field, at);
        return {};
    };
    const char *separatorName = separator() == Separator::Tab     ? "タブ"
                                : separator() == Separator::Comma ? "「,」"
                                                                  : "「<>」";
    if (m_unclosedAtEnd) {
        entry.problem = "引用符「\"」が閉じられないままファイルが終わっています";
    } else if (m_fieldCount < 2) {
        entry.problem = std::string("意味がありません（区切りの") + separatorName + "がありません）";
    } else if (std::string p = problemOf(m_field[0], "語"); !p.empty()) {
        entry.problem = std::move(p);
    } else if (std::string q = problemOf(m_field[1], "意味"); !q.empty()) {
        entry.problem = std::move(q);
    }
    entry.word.assign(m_field[0].text);
    entry.meaning.assign(m_fieldCount >= 2 ? std::string_view(m_field[1].text) : std::string_view());
    if (entry.problem.empty()) {
        for (int k = 0; k < 2 && entry.problem.empty(); ++k) {
            const Field &field = m_field[k];
            Cp932Encoding encoded = encodeCp932(field.text);
            if (encoded.ok()) {
                (k == 0 ? entry.wordBytes : entry.meaningBytes).assign(encoded.bytes);
                continue;
            }
            // The first character it cannot hold, by code and as itself, and where it stands.
            const char32_t bad = encoded.unencodable.front();
            std::size_t at = 0;
            for (std::size_t i = 0; i < field.text.size();) {
                const std::size_t start = i;
                if (utf8::next(field.text, i) == bad) {
                    at = start;
                    break;
                }
            }
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad));
            std::string shown;
            utf8::append(shown, bad);
            entry.problem = std::string(k == 0 ? "語" : "意味") + "にコードページ932で表せない文字があります: " + code +
                            " " + shown + column(field, at);
        }
    }
    if (!entry.problem.empty()) {
        entry.wordBytes.clear();
        entry.meaningBytes.clear();
    }
    m_sink(entry);
}

std::vector<WordListEntry> parseWordList(std::string_view bytes, const WordListOptions &options)
{
    SourceEncoding encoding;
    if (options.encoding) {
        encoding = *options.encoding;
    } else {
        EncodingDetector detector;
        detector.feed(bytes);
        encoding = detector.result();
    }
    std::vector<WordListEntry> entries;
    WordListParser parser(options.separator, encodingName(encoding),
                          [&](const WordListEntry &entry) { entries.push_back(entry); });
    TextDecoder decoder(encoding);
    std::string text;
    decoder.feed(bytes, text);
    decoder.finish(text);
    parser.feed(text);
    parser.finish();
    return entries;
}

} // namespace tamberlo
