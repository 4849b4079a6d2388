#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "dictionary/wordlist.h"

// What the drill would make of a dictionary, line by line: every line it cannot show as its author
// meant. Takes each line's bytes as the line rule splits them (see readLines); keeps nothing of a
// line but counts, so a line of any length costs the same memory.
namespace tamberlo {

enum class Finding {
    // The drill cannot show the entry (or the dictionary) as meant.
    BlankLine,
    NoSeparator,
    LfLineEnds,
    Utf8Text,
    InvalidBytes,
    NulByte,
    TooManyLines,
    // Shown, but not whole or not as typed.
    LongPiece,
    ExtraSeparator,
    EmptyPiece,
};

struct CheckFinding {
    long long line = 0;
    Finding kind = Finding::BlankLine;
    bool warning = false;
    std::string reason;      // Japanese, UTF-8
    std::size_t characters = 0; // LongPiece: the longer piece's length in characters
};

class DictionaryCheck {
public:
    using Sink = std::function<void(const CheckFinding &)>;
    explicit DictionaryCheck(Sink sink) : m_sink(std::move(sink)) {}

    // Bytes of the current line, without its line end, in chunks cut anywhere.
    void take(std::string_view bytes);
    void endLine();
    // The file goes on past the 32767th line: the drill opens none of it.
    void tooManyLines();

    long long lines() const { return m_lines; }
    long long errors() const { return m_errors; }
    long long warnings() const { return m_warnings; }
    // True when the drill can show every entry.
    bool showable() const { return m_errors == 0; }

private:
    void report(Finding kind, std::string reason, std::size_t characters = 0);
    void decodeSoFar(std::string_view bytes, bool last);

    Sink m_sink;
    long long m_lines = 0;
    long long m_errors = 0;
    long long m_warnings = 0;
    bool m_lfReported = false;

    // The current line.
    std::size_t m_bytes = 0;
    std::size_t m_characters = 0;
    std::size_t m_pieces = 1;
    std::size_t m_pieceCharacters[2] = {0, 0};
    bool m_pendingLead = false;
    bool m_pendingLt = false;
    std::size_t m_lfColumn = 0;
    std::size_t m_nulColumn = 0;
    std::size_t m_invalidColumn = 0;
    std::size_t m_decodedCharacters = 0;
    std::string m_carry; // a lead byte whose second byte is in the next chunk
    Utf8Validator m_utf8;
};

// Reads a dictionary file into the check by the drill's line rule; more than 32767 lines end the
// reading with TooManyLines. Throws RuntimeError as countEntries does.
void checkDictionaryFile(const std::string &path, DictionaryCheck &check);

} // namespace tamberlo
