#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The entry format: one line holds the word, "<>", the meaning; what may go into a new entry, how a
// line splits into pieces, and how much of a piece is shown. Bytes of the file or UTF-8 as named.
namespace tamberlo {

struct Cp932Encoding;

inline constexpr std::int16_t MaxEntries = 32767;
inline constexpr std::string_view EntrySeparator = "<>";

// The bytes a new entry adds to the file: word "<>" meaning CR LF, both already in code page 932.
std::string composeEntryLine(std::string_view word, std::string_view meaning);

enum class EntryCheck {
    Ok,
    HoldsSeparator,  // "<>" would split the pair into other fields on reading
    NotStorable,     // a line break, or a character code page 932 cannot hold
};

// Whether word and meaning (UTF-8) can be appended and read back exactly as typed. Whether the
// dictionary has room is the append's to say, from the file as it is then.
EntryCheck checkNewEntry(const std::string &word, const std::string &meaning);

// Why an entry could not be stored: the characters code page 932 cannot hold, as U+ codes.
std::string unencodableReason(const Cp932Encoding &word, const Cp932Encoding &meaning);

// Splits a line's bytes at every "<>" (piece 0 the word, piece 1 the meaning) as they come in, in
// chunks cut anywhere, keeping only the first `pieces` pieces and of each only its first `keep`
// bytes: however long the line, the cost stays the same. Code page 932 has no double-byte character with a "<" or ">" byte, so this splits
// the text where splitting the decoded line would.
class EntrySplitter {
public:
    EntrySplitter(std::size_t pieces, std::size_t keep) : m_maxPieces(pieces), m_keep(keep) {}

    void take(std::string_view bytes);
    // The pieces' kept bytes; none for an empty line.
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

// As much of a file's text as a message or a label ever shows: a hostile megabyte line must not
// take seconds to lay out or push a box's OK button off the screen.
inline constexpr std::size_t ShownCharacters = 80;

// The text itself when it has at most maxCharacters characters, else its first maxCharacters
// characters and "…". Cuts only between whole UTF-8 characters.
std::string textPrefix(std::string_view utf8Text, std::size_t maxCharacters = ShownCharacters);

// Piece `index` of a split entry; a missing piece is a subscript error naming the file, the entry and
// what is wrong with its line (no pieces: a blank line; one: the line holds no "<>" and is that piece).
const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index, const std::string &path,
                              std::int16_t entryNumber);

} // namespace tamberlo
