#include "wordlists/delimitedtext.h"

#include "dictionary/entrysplitter.h"
#include "dictionary/systemreason.h"
#include "dictionary/utf8.h"
#include "wordlists/cardtext.h"

#include <algorithm>
#include <cctype>
#include <unistd.h>
#include <utility>

namespace tamberlo::wordlists {

namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// By Encoding: UTF-8, UTF-16LE, UTF-16BE; code page 932 has none.
constexpr std::string_view ByteOrderMarks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", ""};

// "#key:value", a line of a card program's header: the key is letters, digits, blanks, "_" or "-".
std::optional<std::pair<std::string, std::string>> headerLine(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (!line.starts_with('#') || colon == std::string_view::npos || colon < 2)
        return std::nullopt;
    const std::string_view key = line.substr(1, colon - 1);
    if (!std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isalnum(c) || c == ' ' || c == '_' || c == '-'; }))
        return std::nullopt;
    return std::pair(lower(key), lower(line.substr(colon + 1)));
}

// A first line longer than this decides the separator on what it holds so far.
constexpr std::size_t MaxPreambleBytes = 64 * 1024;

// Decoded text in, records out; the text may be cut anywhere.
class Parser {
public:
    Parser(const ReadOptions &options, const char *encoding, RecordSink &sink)
        : m_options(options), m_separator(options.separator), m_sink(sink), m_fields(options.keptFields),
          m_splitter(0, 0, [this](std::size_t piece, std::string_view run) { takePiece(piece, run); })
    {
        m_record.encoding = encoding;
    }

    void feed(std::string_view text)
    {
        // Until the separator is known, whole lines: blank ones and a card program's header are skipped.
        for (std::size_t i = 0; m_inPreamble && i < text.size(); ++i) {
            const char c = text[i];
            if (std::exchange(m_preambleCr, false) && c == '\n')
                continue;
            const bool lineEnd = c == '\r' || c == '\n';
            if (!lineEnd && (m_preamble += c).size() < MaxPreambleBytes)
                continue;
            const auto header = headerLine(m_preamble);
            if (lineEnd && (m_preamble.empty() || header)) {
                if (header && header->first == "separator" && !m_separator)
                    m_separator = separatorNamed(header->second);
                if (header && header->first == "html" && (m_html = header->second == "true"))
                    for (Field &field : m_fields)
                        field.room = CardFieldRoom;
                m_preambleCr = c == '\r';
                m_preamble.clear();
                ++m_line;
                continue;
            }
            decide();
            text.remove_prefix(i + (lineEnd ? 0 : 1));
        }
        if (!m_inPreamble)
            feedRecords(text);
    }

    void finish()
    {
        if (m_inPreamble && (m_preamble.empty() || headerLine(m_preamble)))
            return;
        if (m_inPreamble)
            decide();
        m_unclosed = m_quote == Quote::Quoted;
        endRecord();
    }

private:
    enum class Quote { FieldStart, Plain, Quoted, QuoteInQuoted };

    // The first line that is no header decides the separator: "<>" outside quotes, else a tab, else a comma.
    void decide()
    {
        m_inPreamble = false;
        bool quoted = false;
        bool tab = false;
        for (std::size_t i = 0; i < m_preamble.size() && !m_separator; ++i) {
            quoted = quoted != (m_preamble[i] == '"');
            if (!quoted && std::string_view(m_preamble).substr(i).starts_with(EntrySeparator))
                m_separator = Separator::Entry;
            tab = tab || (!quoted && m_preamble[i] == '\t');
        }
        m_separator = m_separator.value_or(tab ? Separator::Tab : Separator::Comma);
        m_recordLine = m_line;
        m_fields.front().clear(1);
        feedRecords(std::exchange(m_preamble, {}));
    }

    void feedRecords(std::string_view s)
    {
        const bool entries = *m_separator == Separator::Entry;
        const char separator = *m_separator == Separator::Tab ? '\t' : ',';
        for (std::size_t i = 0; i < s.size();) {
            if (std::exchange(m_afterCr, false) && s[i] == '\n') {
                ++i;
                continue;
            }
            if (entries || m_quote == Quote::Plain || m_quote == Quote::Quoted) {
                const char stopAt = entries ? '\r' : m_quote == Quote::Quoted ? '"' : separator;
                const auto stop = std::find_if(s.begin() + static_cast<std::ptrdiff_t>(i), s.end(),
                                               [&](char c) { return c == stopAt || c == '\r' || c == '\n'; });
                const std::string_view run = s.substr(i, static_cast<std::size_t>(stop - s.begin()) - i);
                if (entries && !run.empty())
                    m_splitter.take(run); // counts its columns itself
                else if (!entries)
                    keep(run), m_column += static_cast<long long>(utf8::characters(run));
                m_recordEmpty = m_recordEmpty && run.empty();
                if ((i += run.size()) == s.size())
                    break;
            }
            const char c = s[i++];
            if (c == '\r' || c == '\n') {
                lineBreak(c);
                continue;
            }
            if (m_quote == Quote::Quoted) {
                m_quote = Quote::QuoteInQuoted;
            } else if (c == separator) {
                m_recordEmpty = false;
                if (++m_field < m_fields.size())
                    m_fields[m_field].clear(m_column + 2);
                m_quote = Quote::FieldStart;
            } else if (c == '"' && m_quote == Quote::FieldStart) {
                m_recordEmpty = false;
                if (m_field < m_fields.size())
                    ++m_fields[m_field].column;
                m_quote = Quote::Quoted;
            } else if (c == '"') { // "" inside quotes
                keep("\"");
                m_quote = Quote::Quoted;
            } else { // text after a closing quote, or a field's first character
                m_quote = Quote::Plain;
                --i;
                continue;
            }
            ++m_column;
        }
    }

    // Each piece's first character stands past the runs before it and one "<>" per piece.
    void takePiece(std::size_t piece, std::string_view run)
    {
        for (; m_field < piece; ++m_field)
            if (m_field + 1 < m_fields.size())
                m_fields[m_field + 1].clear(m_column + 1 + 2 * static_cast<long long>(m_field + 1));
        keep(run);
        m_column += static_cast<long long>(utf8::characters(run));
    }

    void keep(std::string_view run)
    {
        if (m_field < m_fields.size())
            m_fields[m_field].append(run);
    }

    void lineBreak(char c)
    {
        if (m_quote == Quote::Quoted)
            keep(std::string_view(&c, 1));
        else
            endRecord();
        ++m_line;
        m_column = 0;
        m_afterCr = c == '\r';
        if (m_quote != Quote::Quoted)
            m_recordLine = m_line;
    }

    void endRecord()
    {
        const bool entries = *m_separator == Separator::Entry;
        const std::size_t count = entries ? m_splitter.count() : m_field + 1;
        for (; entries && m_field + 1 < std::min(count, m_fields.size()); ++m_field)
            m_fields[m_field + 1].clear(); // empty pieces at the end
        m_splitter.finish();
        if (!m_recordEmpty && !(m_options.header && !std::exchange(m_headerSkipped, true))) {
            const char *name = *m_separator == Separator::Tab ? "タブ" : entries ? "「<>」" : "「,」";
            m_record.location = m_recordLine;
            m_record.problem = m_unclosed ? "引用符「\"」が閉じられないままファイルが終わっています"
                               : count < 2 ? std::string("意味がありません（区切りの") + name + "がありません）"
                                           : std::string();
            m_record.fields.assign(m_fields.begin(), m_fields.begin() + static_cast<std::ptrdiff_t>(std::min(count, m_fields.size())));
            if (m_html)
                std::for_each(m_record.fields.begin(), m_record.fields.end(), cleanCardField);
            m_sink.take(m_record);
        }
        m_field = 0;
        m_fields.front().clear(1);
        m_recordEmpty = true;
        m_quote = Quote::FieldStart;
    }

    ReadOptions m_options;
    std::optional<Separator> m_separator;
    RecordSink &m_sink;
    std::vector<Field> m_fields;
    EntrySplitter m_splitter; // the fields of a "<>" list
    Record m_record;
    bool m_inPreamble = true;
    std::string m_preamble; // the line before the separator is known
    bool m_preambleCr = false;
    bool m_headerSkipped = false;
    bool m_html = false; // "#html:true": fields are a card program's markup
    long long m_line = 1;
    long long m_column = 0; // characters of the current line so far
    bool m_afterCr = false;
    long long m_recordLine = 1;
    std::size_t m_field = 0; // the field being read
    bool m_recordEmpty = true;
    bool m_unclosed = false;
    Quote m_quote = Quote::FieldStart;
};

} // namespace

std::optional<Separator> separatorNamed(std::string_view name)
{
    const std::string n = lower(name);
    return n == "<>" ? std::optional(Separator::Entry)
           : n == "tab" || n == "\t" ? std::optional(Separator::Tab)
           : n == "comma" || n == "," ? std::optional(Separator::Comma)
                                      : std::nullopt;
}

std::optional<Encoding> utf16WithoutMark(std::string_view head)
{
    // Every other byte NUL: the odd ones for little endian ASCII, the even ones for big.
    std::size_t nul[2] = {0, 0};
    for (std::size_t i = 0; i < head.size(); ++i)
        nul[i % 2] += head[i] == '\0';
    if ((nul[0] > 0) == (nul[1] > 0) || (nul[0] + nul[1]) * 64 < head.size()) // a stray NUL or two is binary data
        return std::nullopt;
    return nul[1] > 0 ? Encoding::Utf16Le : Encoding::Utf16Be;
}

std::string DelimitedText::read(RecordSink &sink)
{
    std::string head(4096, '\0');
    if (const ssize_t n = ::pread(m_fd, head.data(), head.size(), 0); n >= 0)
        head.resize(static_cast<std::size_t>(n));
    else
        return systemReason(errno);
    std::optional<Encoding> encoding = m_options.encoding;
    for (const Encoding marked : {Encoding::Utf8, Encoding::Utf16Le, Encoding::Utf16Be})
        if (!encoding && head.starts_with(ByteOrderMarks[static_cast<int>(marked)]))
            encoding = marked;
    encoding = encoding ? encoding : utf16WithoutMark(head);
    // UTF-8 is only supposed until a byte proves it wrong: then all of it is code page 932.
    bool supposed = !encoding;
    for (Encoding reading = encoding.value_or(Encoding::Utf8);; reading = Encoding::Cp932, supposed = false) {
        // A byte order mark of the encoding read is no text of the list.
        const std::string_view mark = ByteOrderMarks[static_cast<int>(reading)];
        if (::lseek(m_fd, !mark.empty() && head.starts_with(mark) ? static_cast<off_t>(mark.size()) : 0, SEEK_SET) < 0)
            return systemReason(errno);
        BlockReader reader(m_fd, m_blockSize);
        TextDecoder decoder(reading);
        Parser parser(m_options, encodingName(reading), sink);
        std::string text;
        for (; !(supposed && decoder.sawInvalid()) && reader.available(); reader.skipAll()) {
            text.clear();
            decoder.feed({reader.begin(), static_cast<std::size_t>(reader.end() - reader.begin())}, text);
            parser.feed(text);
        }
        if (reader.error() != 0)
            return systemReason(reader.error());
        text.clear();
        decoder.finish(text);
        if (!(supposed && decoder.sawInvalid())) {
            parser.feed(text);
            parser.finish();
            return {};
        }
        sink.startOver();
    }
}

} // namespace tamberlo::wordlists
