#pragma once

#include "blockreader.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Operations on a dictionary file: one entry per line, word "<>" meaning, code page 932, CR LF.
// Every operation opens, works and closes; nothing is cached. Paths are file-system bytes, texts
// are UTF-8, reasons are Japanese (systemreason.h).
// Two kinds of failure: creating and appending report what the user is told about and the program
// goes on from as a result; reading throws RuntimeError, which ends the program.
namespace tamberlo {

enum class CreateOutcome { Created, AlreadyExists, NotCreated };

struct CreateResult {
    CreateOutcome outcome;
    std::string reason; // why NotCreated: a missing folder, no permission, a directory of that name...
};

// Creates a new, empty file; never truncates an existing one.
CreateResult createEmptyDictionary(const std::string &path);

// Number of lines: a line ends at CR LF or a lone CR; text after the last line end is one more line.
// FileNotFound when missing, Overflow above 32767 lines, FileAccess when it cannot be read.
std::int16_t countEntries(const std::string &path);

// What the drill shows of entry n (1-based): its line, without the line end, split at every "<>",
// only the first two pieces (word and meaning), each decoded and cut as textPrefix cuts it. An empty
// line gives no pieces. Of a line however long, only the bytes those two prefixes need are kept.
// FileNotFound when missing, InputPastEndOfFile when the file has fewer than n lines,
// SubscriptOutOfRange for n < 1, FileAccess when it cannot be read.
std::vector<std::string> readEntryPieces(const std::string &path, std::int16_t n,
                                         std::size_t blockSize = ReadBlockSize);

enum class AppendOutcome { Appended, DictionaryFull, Locked, NotWritten };

struct AppendResult {
    AppendOutcome outcome;
    std::string reason; // why NotWritten or Locked
};

// How long a caller goes on trying an append that finds the lock held. Another instance of this
// program holds it well under a millisecond, so a longer hold is a stranger's or a stuck one.
inline constexpr std::chrono::milliseconds LockPatience{2000};

// Appends word "<>" meaning CR LF and flushes it to disk; if the file's last line lacks a line end,
// CR LF is written first. Other appends (another instance of the program, say) are shut out by an
// exclusive flock from the line-end check and the count to the end of the write; readers take no
// lock and read a half-written last line by the line rule. The lock is tried once, never waited for:
// held elsewhere, the append is Locked with lockHeldReason() and writes nothing. DictionaryFull, writing nothing, when the
// file as it is holds 32767 lines or more. Anything that is not a regular file is refused at once.
// A failed write is taken back, as far as its bytes are still the file's end.
// Not promised: a kill -9 in the middle of one write() of a line longer than a page can leave part
// of that line (the windows' field limits keep lines far shorter).
// Characters code page 932 cannot hold are the caller's to refuse beforehand (see cp932.h); here
// they are NotWritten.
AppendResult appendEntry(const std::string &path, const std::string &word, const std::string &meaning);

} // namespace tamberlo
