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

struct AppendResult;
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
// Characters code page 932 cannot hold are the caller's to refuse beforehand (see cp932.h); here
// they are NotWritten.
AppendResult appendEntry(const std::string &path, const std::string &word, const std::string &meaning);

// What an append of many entries asks of its caller while it holds the lock, in this order: the
// dictionary's entries (when wanted), how many it will write, then each of them.
class EntryBatch {
public:
    virtual ~EntryBatch() = default;
    // Above zero: existing() is given each entry of the dictionary that splits into two pieces or
    // more, its first two pieces in code page 932 bytes, each cut to at most this many bytes.
    virtual std::size_t existingBytes() const { return 0; }
    virtual void existing(std::string_view word, std::string_view meaning);
    // How many entries next() will give; below zero when the batch cannot say (see failure()). Once
    // past `room`, the most the dictionary can take, counting may stop: nothing will be written.
    virtual long long count(long long room) = 0;
    // The next entry's word and meaning in code page 932; false when there are no more or on failure.
    virtual bool next(std::string &word, std::string &meaning) = 0;
    // Why count() or next() could not go on, or empty.
    virtual std::string failure() const { return {}; }
};

// Appends the batch as appendEntry appends one entry: one lock, one line-end check and count, then
// every entry with one flush; all or nothing. DictionaryFull, writing nothing, when the entries would
// take the file past 32767 lines (room says how many fit); Appended without writing when the batch
// has none. A batch that fails or gives other than count() entries is taken back as NotWritten.
AppendResult appendEntries(const std::string &path, EntryBatch &batch);

} // namespace tamberlo
