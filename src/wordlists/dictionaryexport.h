#pragma once

#include "wordlists/dictionarycheck.h"
#include "wordlists/record.h"

#include <string>

namespace tamberlo::wordlists {

// Whether a line comes out of an export whole and goes back in by an import unchanged: one word and
// one meaning, neither empty nor longer than an import takes, and nothing the drill cannot show.
bool exportable(const CheckedLine &line);

struct ExportResult {
    enum Status { Done, Blocked, TooManyLines, DictionaryUnusable, OutputFailed } status = Done;
    std::string reason;   // why DictionaryUnusable or OutputFailed
    ProblemList problems; // the lines that cannot be exported, and why
    long long blocked = 0; // lines
    long long written = 0;
};

// Writes the dictionary's entries as UTF-8 lines of two fields, tab- or comma-separated, quoted as
// RFC 4180 has it where a field would not come back whole; to standard output for "" or "-", else
// to a file written beside `output` and renamed over it once complete, so that a failed export
// never leaves half a file. All or nothing: with a line that is not exportable nothing is written,
// unless skipBad. A dictionary past 32767 lines is never exported.
ExportResult exportDictionary(const std::string &dictionary, const std::string &output, bool csv, bool skipBad);

} // namespace tamberlo::wordlists
