#include "dictionary/dictionaryfile.h"

#include "dictionary/blockreader.h"
#include "dictionary/cp932.h"
#include "dictionary/entryformat.h"
#include "dictionary/linerule.h"
#include "dictionary/posixfile.h"
#include "dictionary/runtimeerror.h"
#include "dictionary/systemreason.h"

#include <thread>
#include <utility>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tamberlo {

namespace {

[[noreturn]] void throwSystem(ErrorKind kind, const std::string &path, int err)
{
    throw RuntimeError(kind, path, 0, systemReason(err));
}

File openForReading(const std::string &path)
{
    // O_NONBLOCK: opening a named pipe must not wait for a writer before we can turn it down, and a
    // regular file whose reads would wait (a /proc file reached through a link) fails with EAGAIN
    // instead of freezing the program.
    const int fd = openPath(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        // ENOTDIR: a folder in the path is a file, so the path names no file either.
        const bool missing = err == ENOENT || err == ENOTDIR;
        throwSystem(missing ? ErrorKind::FileNotFound : ErrorKind::FileAccess, path, err);
    }
    File file(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        throwSystem(ErrorKind::FileAccess, path, errno);
    if (const std::string refusal = notRegularReason(st); !refusal.empty())
        throw RuntimeError(ErrorKind::FileAccess, path, 0, refusal);
    return file;
}

// Hands the bytes of line n to take; throws as readEntryPieces says.
void scanEntry(const std::string &path, std::int16_t n, std::size_t blockSize,
               const std::function<void(std::string_view)> &take)
{
    if (n < 1)
        throw RuntimeError(ErrorKind::SubscriptOutOfRange, path, n, "行番号は1から始まります");
    const File file = openForReading(path);
    BlockReader reader(file.fd(), blockSize);
    const bool found = scanNthLine(reader, n, take);
    if (reader.error() != 0)
        throwSystem(ErrorKind::FileAccess, path, reader.error());
    if (!found)
        throw RuntimeError(ErrorKind::InputPastEndOfFile, path, n,
                           std::to_string(n) + "行目を読もうとしましたが、ファイルの行はそれより少なくなっています");
}

AppendResult notWritten(std::string reason)
{
    return {AppendOutcome::NotWritten, std::move(reason)};
}

// Takes back the bytes this append wrote, [start, end), and nothing else: only while they are still the
// end of the file and lie above the size it had when the lock was taken, so that another writer's
// entries stay and the file never grows. True when the file is as it was.
bool takeBack(int fd, off_t sizeAtLock, off_t start, off_t end)
{
    if (end <= start)
        return true;
    struct stat now;
    if (start < sizeAtLock || ::fstat(fd, &now) != 0 || now.st_size != end)
        return false;
    return retryOnEintr([&] { return ::ftruncate(fd, start); }) == 0;
}

// Writes bytes at the end of the file, then flushes them; what went wrong is taken back, all of it.
class EndWriter {
public:
    EndWriter(int fd, off_t sizeAtLock) : m_fd(fd), m_sizeAtLock(sizeAtLock), m_start(sizeAtLock), m_end(sizeAtLock) {}

    bool write(std::string_view bytes)
    {
        // O_APPEND puts each write at the end; the offset after it says where that end was.
        std::size_t written = 0;
        while (m_err == 0 && written < bytes.size()) {
            const ssize_t n = retryOnEintr([&] { return ::write(m_fd, bytes.data() + written, bytes.size() - written); });
            if (n <= 0) {
                // A write cut short is tried on, so a full disk is reported as such (ENOSPC) and not as a stop.
                m_err = n < 0 ? errno : EIO;
                break;
            }
            written += static_cast<std::size_t>(n);
            m_end = ::lseek(m_fd, 0, SEEK_CUR);
            if (!m_wrote)
                m_start = m_end - n;
            m_wrote = true;
        }
        return m_err == 0;
    }

    // Empty once flushed, or why not once what was written has been taken back.
    std::string finish(const std::string &failure = {})
    {
        // EINVAL: a file system that cannot sync; the write itself went through.
        if (m_err == 0 && failure.empty() && ::fsync(m_fd) != 0 && errno != EINVAL)
            m_err = errno;
        if (m_err == 0 && failure.empty())
            return {};
        const std::string reason = failure.empty() ? systemReason(m_err) : failure;
        if (m_wrote && !takeBack(m_fd, m_sizeAtLock, m_start, m_end))
            return reason + "（書き込んだ分を取り消せませんでした）";
        return reason;
    }

private:
    int m_fd;
    off_t m_sizeAtLock;
    off_t m_start;
    off_t m_end;
    bool m_wrote = false;
    int m_err = 0;
};

// The one entry of appendEntry, already encoded.
class SingleEntry : public EntryBatch {
public:
    SingleEntry(std::string word, std::string meaning) : m_word(std::move(word)), m_meaning(std::move(meaning)) {}
    long long count(long long) override { return 1; }
    bool next(std::string &word, std::string &meaning) override
    {
        if (m_given)
            return false;
        m_given = true;
        word = m_word;
        meaning = m_meaning;
        return true;
    }

private:
    std::string m_word;
    std::string m_meaning;
    bool m_given = false;
};

// The line count, handing each entry's first two pieces to the batch on the way when it wants them.
LineTally tallyEntries(BlockReader &reader, EntryBatch &batch)
{
    const std::size_t keep = batch.existingBytes();
    if (keep == 0)
        return tallyLines(reader, MaxEntries);
    EntrySplitter splitter(2, keep);
    return walkLines(reader, MaxEntries, [&](std::string_view bytes) { splitter.take(bytes); },
                     [&] {
                         const std::vector<std::string> pieces = std::exchange(splitter, EntrySplitter(2, keep)).finish();
                         if (pieces.size() >= 2)
                             batch.existing(pieces[0], pieces[1]);
                     });
}

} // namespace

CreateResult createEmptyDictionary(const std::string &path)
{
    // O_EXCL: a name that exists is never truncated, whatever happened since the caller last looked.
    const int fd = openPath(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        ::close(fd);
        return {CreateOutcome::Created, {}};
    }
    const int err = errno;
    if (err != EEXIST)
        return {CreateOutcome::NotCreated, systemReason(err)};
    struct stat st;
    const bool found = ::stat(path.c_str(), &st) == 0;
    if (found && S_ISREG(st.st_mode))
        return {CreateOutcome::AlreadyExists, {}};
    // A directory, or a name that exists but is no file (a dangling link, a device).
    return {CreateOutcome::NotCreated, systemReason(found && S_ISDIR(st.st_mode) ? EISDIR : EEXIST)};
}

std::int16_t countEntries(const std::string &path)
{
    const File file = openForReading(path);
    BlockReader reader(file.fd());
    const long long lines = tallyLines(reader, MaxEntries).lines;
    if (reader.error() != 0)
        throwSystem(ErrorKind::FileAccess, path, reader.error());
    if (lines > MaxEntries)
        throw RuntimeError(ErrorKind::Overflow, path, MaxEntries + 1L, "辞書の行数が32767を超えています");
    return static_cast<std::int16_t>(lines);
}

long long readLines(const std::string &path, long long limit, const std::function<void(std::string_view)> &take,
                    const std::function<void()> &lineEnd)
{
    const File file = openForReading(path);
    BlockReader reader(file.fd());
    const long long lines = walkLines(reader, limit, take, lineEnd).lines;
    if (reader.error() != 0)
        throwSystem(ErrorKind::FileAccess, path, reader.error());
    return lines;
}

std::vector<std::string> readEntryPieces(const std::string &path, std::int16_t n, std::size_t blockSize)
{
    // A character of code page 932 is at most two bytes: this many hold the characters textPrefix
    // looks at, ShownCharacters and one more to tell whether it cuts, whole.
    constexpr std::size_t keptBytes = 2 * (ShownCharacters + 1);
    EntrySplitter splitter(2, keptBytes);
    scanEntry(path, n, blockSize, [&](std::string_view bytes) { splitter.take(bytes); });
    std::vector<std::string> pieces = splitter.finish();
    for (std::string &piece : pieces)
        piece = textPrefix(decodeCp932(piece));
    return pieces;
}

AppendResult retryWhileLocked(const std::function<AppendResult()> &append)
{
    const auto start = std::chrono::steady_clock::now();
    AppendResult result = append();
    while (result.outcome == AppendOutcome::Locked) {
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        const auto next = nextLockTry(waited);
        if (!next)
            break;
        std::this_thread::sleep_for(*next);
        result = append();
    }
    return result;
}

void EntryBatch::existing(std::string_view, std::string_view) {}

AppendResult appendEntry(const std::string &path, const std::string &word, const std::string &meaning)
{
    // Encoded apart: a broken sequence at the end of the word must not pair up with the meaning.
    Cp932Encoding encodedWord = encodeCp932(word);
    Cp932Encoding encodedMeaning = encodeCp932(meaning);
    if (!encodedWord.ok() || !encodedMeaning.ok())
        return notWritten(unencodableReason(encodedWord, encodedMeaning));
    SingleEntry entry(std::move(encodedWord.bytes), std::move(encodedMeaning.bytes));
    return appendEntries(path, entry);
}

AppendResult appendEntries(const std::string &path, EntryBatch &batch)
{
    // Looked at before opening too, so that opening never waits for a pipe's reader or wakes a device.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        if (std::string refusal = notRegularReason(st); !refusal.empty())
            return notWritten(std::move(refusal));
    // Read access as well: the count and the last line's end are read from the file itself.
    const int fd = openPath(path, O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK, 0666);
    if (fd < 0)
        return notWritten(systemReason(errno));
    const File file(fd);
    // Every append, in this program or another instance, holds the lock from the line-end check and
    // the count to the end of the write; the lock goes with the descriptor. Never waited for in the
    // kernel: the caller decides how long to go on trying.
    if (retryOnEintr([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
        if (errno == EWOULDBLOCK)
            return {AppendOutcome::Locked, lockHeldReason()};
        return notWritten(systemReason(errno));
    }
    if (::fstat(fd, &st) != 0)
        return notWritten(systemReason(errno));
    if (std::string refusal = notRegularReason(st); !refusal.empty())
        return notWritten(std::move(refusal));

    BlockReader reader(fd);
    const LineTally tally = tallyEntries(reader, batch);
    if (reader.error() != 0)
        return notWritten(systemReason(reader.error()));
    if (tally.lines > MaxEntries)
        return {AppendOutcome::DictionaryFull, {}, 0};
    const long long count = batch.count(MaxEntries - tally.lines);
    if (count < 0)
        return notWritten(batch.failure());
    if (count == 0)
        return {AppendOutcome::Appended, {}};
    if (count > MaxEntries - tally.lines)
        return {AppendOutcome::DictionaryFull, {}, MaxEntries - tally.lines};

    // Without a line end first, the new entries would be glued onto an open last line.
    std::string pending(tally.endsOpen ? LineEnd : "");
    EndWriter writer(fd, st.st_size);
    constexpr std::size_t chunk = 1 << 20;
    long long given = 0;
    std::string word;
    std::string meaning;
    bool ok = true;
    while (ok && given <= count && batch.next(word, meaning)) {
        ++given;
        pending += composeEntryLine(word, meaning);
        if (pending.size() >= chunk) {
            ok = writer.write(pending);
            pending.clear();
        }
    }
    if (ok)
        writer.write(pending);
    std::string failure = batch.failure();
    if (failure.empty() && given != count)
        failure = "取り込む項目の数が数えたときと違います（読んでいる間に変わりました）";
    if (std::string reason = writer.finish(failure); !reason.empty())
        return notWritten(std::move(reason));
    return {AppendOutcome::Appended, {}};
}

} // namespace tamberlo
