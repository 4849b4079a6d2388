#pragma once

#include "wordlists/record.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What the drill would make of a dictionary, line by line: every line it cannot show as its author
// meant. A line of any length costs the same memory.
namespace tamberlo::wordlists {

// One line as the drill reads it.
struct CheckedLine {
    long long number = 0;
    std::size_t pieces = 0;             // split at "<>"; none for a blank line
    std::size_t characters[2] = {0, 0}; // of the word and the meaning
    std::size_t lfColumn = 0;           // of the first LF, NUL and byte not valid in code page 932; 0 for none
    std::size_t nulColumn = 0;
    std::size_t invalidColumn = 0;
    bool utf8 = false;                  // valid UTF-8 with a character of three bytes or more: saved as UTF-8
    std::vector<std::string> text;      // word and meaning, decoded, when kept
};

// Reads a dictionary by the drill's line rule, each line to `onLine`, keeping the text of its word
// and meaning when asked. False when the file goes on past 32767 lines: the drill opens none of it.
// Throws RuntimeError as countEntries does.
bool readCheckedLines(const std::string &path, bool keepText, const std::function<void(const CheckedLine &)> &onLine);

enum class Finding {
    // The drill cannot show the entry (or the dictionary) as meant.
    BlankLine, NoSeparator, LfLineEnds, NulByte, Utf8Text, InvalidBytes, TooManyLines,
    // Shown, but not whole or not as typed.
    ExtraSeparator, EmptyPiece, LongPiece,
};

struct CheckFinding {
    Finding kind;
    std::string reason;         // Japanese, UTF-8
    std::size_t characters = 0; // LongPiece: the piece's length
    bool warning() const { return kind >= Finding::ExtraSeparator; }
};

// What is wrong with a line, in order. LF line ends are said once a file: while `lfSaid` is false.
std::vector<CheckFinding> findings(const CheckedLine &line, bool &lfSaid);
CheckFinding tooManyLines(); // at line 32768

struct CheckResult {
    long long lines = 0;
    long long errors = 0;
    long long warnings = 0;
};

// Every finding of the dictionary, warnings marked as such, into `problems`.
CheckResult checkDictionary(const std::string &path, ProblemList &problems);

} // namespace tamberlo::wordlists
