#pragma once

#include "dictionary/blockreader.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include <sys/types.h>

// Operations on a dictionary file: one entry per line, word "<>" meaning, code page 932, CR LF.
// Every operation opens, works and closes; nothing is cached. Paths are file-system bytes, texts
// are UTF-8, reasons are Japanese (systemreason.h).
// Two kinds of failure: creating and appending report what the user is told about and the program
// goes on from as a result; reading throws RuntimeError, which ends the program.
namespace tamberlo {

inline constexpr std::int16_t MaxEntries = 32767;

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

// Every line of the file by the line rule, for a pass over the whole file: its bytes in order (a
// block's worth at most at a time), then lineEnd. Stops once more than `limit` lines have been read;
// returns the number read. Fails as countEntries does.
long long readLines(const std::string &path, long long limit, const std::function<void(std::string_view)> &take,
                    const std::function<void()> &lineEnd);

enum class AppendOutcome { Appended, DictionaryFull, Locked, NotWritten };

struct AppendResult {
    AppendOutcome outcome;
    std::string reason; // why NotWritten or Locked
    long long room = 0; // when DictionaryFull: how many entries the dictionary could still take
};

// How an append that finds the lock held is tried again: every LockRetryInterval, until LockPatience
// has passed since the first try. Another instance of this program holds the lock only for its
// write and flush, so a longer hold is a stranger's or a stuck one.
inline constexpr std::chrono::milliseconds LockRetryInterval{5};
inline constexpr std::chrono::milliseconds LockPatience{2000};

// When to try a Locked append again, `waited` after the first try; nullopt once it is time to give up.
constexpr std::optional<std::chrono::milliseconds> nextLockTry(std::chrono::milliseconds waited)
{
    return waited < LockPatience ? std::optional(LockRetryInterval) : std::nullopt;
}

// Calls `append` until it is not Locked or nextLockTry gives up, sleeping between tries: for a
// caller without an event loop.
AppendResult retryWhileLocked(const std::function<AppendResult()> &append);

// Appends word "<>" meaning CR LF and flushes it to disk; if the file's last line lacks a line end,
// CR LF is written first. Other appends (another instance of the program, say) are shut out by an
// exclusive flock from the line-end check and the count to the end of the write; readers take no
// lock and read a half-written last line by the line rule. The lock is tried once, never waited for:
// held elsewhere, the append is Locked with lockHeldReason() and writes nothing. DictionaryFull, writing nothing, when the
// file as it is holds 32767 lines or more. Anything that is not a regular file is refused at once.
// A failed write is taken back, as far as its bytes are still the file's end.
// Not promised: a kill -9 in the middle of one write() of a line longer than a page can leave part
// of that line (the windows' field limits keep lines far shorter).
// Characters code page 932 cannot hold are the caller's to refuse beforehand (see newentry.h); here
// they are NotWritten.
AppendResult appendEntry(const std::string &path, const std::string &word, const std::string &meaning);

// An entry's word and meaning in code page 932.
struct EntryBytes {
    std::string word;
    std::string meaning;
    bool operator==(const EntryBytes &) const = default;
};

// Where a look at a dictionary ended, so that a later one reads only what was appended since.
struct DictionaryMark {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    off_t lastLineEnd = 0;   // just past the last CR, or 0
    long long linesBefore = 0; // the lines that CR ends
    long long lines = 0;       // every line, the open last one included
};

// Hands each entry of the file that splits into two pieces or more to `pair`, its first two pieces
// cut to `keep` bytes each, and says where the look ended; stops past 32767 lines. A missing file
// is an empty one. Throws RuntimeError as countEntries does for any other failure.
DictionaryMark readEntryPairs(const std::string &path, std::size_t keep,
                              const std::function<void(std::string_view word, std::string_view meaning)> &pair);

// Appends the entries as appendEntry appends one: one lock, one line-end check and count, one write
// and flush, one take-back; all or nothing. Given the mark of an earlier look, the count reads only
// what other writers appended since (the whole file when it was replaced or cut), and pairs found
// there are dropped from `entries` first. DictionaryFull, writing nothing, when the entries would
// take the file past 32767 lines (room says how many fit); Appended without writing when there are none.
AppendResult appendEntries(const std::string &path, std::vector<EntryBytes> &entries,
                           const DictionaryMark *since = nullptr);

} // namespace tamberlo
