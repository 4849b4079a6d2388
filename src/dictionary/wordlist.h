#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Word lists made elsewhere (a spreadsheet's CSV, a card program's tab-separated export, a list in
// the dictionary's own "<>" form), in UTF-8, UTF-16 or code page 932: bytes in, entries out.
// Nothing here touches a file; each class takes its input in chunks cut anywhere.
namespace tamberlo {

enum class SourceEncoding { Utf8, Utf16Le, Utf16Be, Cp932 };
enum class Separator { Entry, Tab, Comma };

// The longest word or meaning taken, in characters: the drill shows 80, and a field far longer is a
// column that went astray (a stray quote swallowing lines), not a meaning.
inline constexpr std::size_t MaxFieldCharacters = 256;

const char *encodingName(SourceEncoding encoding);
std::optional<SourceEncoding> encodingNamed(std::string_view name);
std::optional<Separator> separatorNamed(std::string_view name);

// Whether bytes are valid UTF-8, fed in chunks cut anywhere.
class Utf8Validator {
public:
    void feed(std::string_view bytes);
    bool valid() const { return !m_bad && m_need == 0; }
    // A character of three bytes or more has been seen (Japanese text is).
    bool sawWide() const { return m_sawWide; }

private:
    int m_need = 0;
    unsigned char m_lo = 0x80;
    unsigned char m_hi = 0xBF;
    bool m_bad = false;
    bool m_sawWide = false;
};

// A byte order mark (UTF-8, UTF-16LE, UTF-16BE) at the start; else UTF-8 when every byte is valid
// UTF-8; else code page 932, as Japanese spreadsheets save CSV.
class EncodingDetector {
public:
    void feed(std::string_view bytes);
    SourceEncoding result() const;

private:
    std::string m_head;
    Utf8Validator m_utf8;
};

// The text as UTF-8, a byte order mark at the start left out. Whatever is not valid in the encoding
// becomes U+FFFD, which no dictionary can hold, so such a line is refused.
class TextDecoder {
public:
    explicit TextDecoder(SourceEncoding encoding) : m_encoding(encoding) {}
    void feed(std::string_view bytes, std::string &out);
    void finish(std::string &out);

private:
    void decode(std::string_view bytes, std::string &out, bool last);

    SourceEncoding m_encoding;
    std::string m_carry;      // an incomplete character at the end of the last chunk
    bool m_started = false;   // the byte order mark has been looked for
    char32_t m_highSurrogate = 0;
};

// One entry of the list: the source line it starts on, word and meaning in UTF-8 and in code page
// 932, or why it cannot become an entry.
struct WordListEntry {
    long long line = 0;
    std::string word;
    std::string meaning;
    std::string wordBytes;
    std::string meaningBytes;
    std::string problem; // empty when the entry can be written
};

// Splits UTF-8 text into entries. Line ends: LF, CR LF or CR; blank lines are skipped. With Tab and
// Comma, a field that starts with a double quote is quoted as RFC 4180 has it ("" for a quote; line
// ends and separators inside). Leading "#key:value" lines (a card program's header) are skipped, and
// "#separator:tab" or ":comma" among them is taken. Without a separator given, the first other line
// decides: "<>" outside quotes, else a tab, else a comma. The first field is the word, the second the
// meaning, any further one is ignored.
class WordListParser {
public:
    using Sink = std::function<void(const WordListEntry &)>;
    WordListParser(std::optional<Separator> separator, std::string encodingName, Sink sink);
    void feed(std::string_view utf8);
    void finish();
    // The separator in use: the one given, or the one detected (Comma until decided).
    Separator separator() const { return m_separator.value_or(Separator::Comma); }

private:
    struct Field {
        std::string text;
        std::size_t characters = 0;
        long long startColumn = 0;
        bool quoted = false;
        bool holdsBreak = false;
    };
    void startField(std::size_t index, long long column);

    void feedPreamble(std::string_view utf8);
    void decide(std::string_view line);
    void take(std::string_view utf8);
    void takeChar(std::string_view ch);
    void handleChar(std::string_view ch);
    Field &current();
    void keep(std::string_view ch);
    void endField();
    void lineBreak(std::string_view ch);
    void endRecord();
    void emit();

    std::optional<Separator> m_separator;
    std::string m_encodingName;
    Sink m_sink;

    bool m_inPreamble = true;
    std::string m_preamble; // the lines before the separator is known
    bool m_preambleCr = false;

    long long m_line = 1;
    long long m_column = 0; // characters of the current source line so far
    bool m_afterCr = false;

    // The record being read.
    long long m_recordLine = 1;
    Field m_field[3]; // word, meaning, and one for any further field, read past but not kept
    std::size_t m_fieldCount = 0;
    WordListEntry m_entry; // reused, so that a list of millions of lines costs no allocation per line
    bool m_recordEmpty = true;
    enum class Quote { FieldStart, Plain, Quoted, QuoteInQuoted } m_quote = Quote::FieldStart;
    bool m_pendingLt = false; // "<" that a ">" may make a separator
    bool m_unclosedAtEnd = false;
    bool m_specialReady = false;
    bool m_special[4][256] = {};
};

// Every entry of a whole list: detection, decoding and parsing at once (for tests and fuzzing).
struct WordListOptions {
    std::optional<SourceEncoding> encoding;
    std::optional<Separator> separator;
};
std::vector<WordListEntry> parseWordList(std::string_view bytes, const WordListOptions &options = {});

} // namespace tamberlo
