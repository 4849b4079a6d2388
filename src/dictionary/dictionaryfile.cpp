#include "dictionary/dictionaryfile.h"

#include "dictionary/blockreader.h"
#include "dictionary/cp932.h"
#include "dictionary/entrysplitter.h"
#include "dictionary/newentry.h"
#include "dictionary/shownpiece.h"
#include "dictionary/linerule.h"
#include "dictionary/posixfile.h"
#include "dictionary/runtimeerror.h"
#include "dictionary/systemreason.h"

#include <algorithm>
#include <thread>
#include <unordered_set>
#include <utility>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tamberlo {

namespace {

using PairSink = std::function<void(std::string_view, std::string_view)>;

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
    std::string finish()
    {
        // EINVAL: a file system that cannot sync; the write itself went through.
        if (m_err == 0 && ::fsync(m_fd) != 0 && errno != EINVAL)
            m_err = errno;
        if (m_err == 0)
            return {};
        const std::string reason = systemReason(m_err);
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

// Walks the lines from where the reader stands, handing each entry's first two pieces to `pair`, and
// notes where the last line end is: the mark of this look.
LineTally walkPairs(BlockReader &reader, std::size_t keep, const PairSink &pair, DictionaryMark &mark)
{
    EntrySplitter splitter(2, keep);
    long long ends[2] = {0, 0}; // offsets just past the last two lines' ends
    const LineTally tally = walkLines(reader, MaxEntries, [&](std::string_view bytes) { splitter.take(bytes); },
                                      [&] {
                                          const std::vector<std::string> pieces = splitter.finish();
                                          if (pieces.size() >= 2)
                                              pair(pieces[0], pieces[1]);
                                          ends[0] = std::exchange(ends[1], reader.offset());
                                      });
    mark.lines += tally.lines;
    // The open last line ended with the file, not with a CR.
    mark.lastLineEnd += ends[tally.endsOpen ? 0 : 1];
    mark.linesBefore += tally.lines - (tally.endsOpen ? 1 : 0);
    return tally;
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

DictionaryMark readEntryPairs(const std::string &path, std::size_t keep, const PairSink &pair)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return {};
    const File file = openForReading(path);
    if (::fstat(file.fd(), &st) != 0)
        throwSystem(ErrorKind::FileAccess, path, errno);
    DictionaryMark mark{st.st_dev, st.st_ino, st.st_size};
    BlockReader reader(file.fd());
    walkPairs(reader, keep, pair, mark);
    if (reader.error() != 0)
        throwSystem(ErrorKind::FileAccess, path, reader.error());
    return mark;
}

AppendResult appendEntry(const std::string &path, const std::string &word, const std::string &meaning)
{
    // Encoded apart: a broken sequence at the end of the word must not pair up with the meaning.
    Cp932Encoding encodedWord = encodeCp932(word);
    Cp932Encoding encodedMeaning = encodeCp932(meaning);
    if (!encodedWord.ok() || !encodedMeaning.ok())
        return notWritten(unencodableReason(encodedWord, encodedMeaning));
    std::vector<EntryBytes> entry{{std::move(encodedWord.bytes), std::move(encodedMeaning.bytes)}};
    return appendEntries(path, entry);
}

AppendResult appendEntries(const std::string &path, std::vector<EntryBytes> &entries, const DictionaryMark *since)
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

    long long lines = 0;
    bool endsOpen = false;
    if (!since) {
        BlockReader reader(fd);
        const LineTally tally = tallyLines(reader, MaxEntries);
        if (reader.error() != 0)
            return notWritten(systemReason(reader.error()));
        lines = tally.lines;
        endsOpen = tally.endsOpen;
    } else {
        // From the last line end the earlier look saw, its CR included, so that an LF after it is
        // still part of that line end: the CR reads as one empty line more.
        DictionaryMark mark;
        const bool same = st.st_dev == since->device && st.st_ino == since->inode && st.st_size >= since->size;
        if (same && since->lastLineEnd > 0) {
            mark.lastLineEnd = since->lastLineEnd - 1;
            mark.linesBefore = mark.lines = since->linesBefore - 1;
        }
        std::size_t longest = 0;
        for (const EntryBytes &entry : entries)
            longest = std::max({longest, entry.word.size(), entry.meaning.size()});
        std::unordered_set<std::string> arrived;
        if (::lseek(fd, mark.lastLineEnd, SEEK_SET) < 0)
            return notWritten(systemReason(errno));
        BlockReader reader(fd);
        const LineTally tally = walkPairs(reader, longest + 1, [&](std::string_view word, std::string_view meaning) {
            arrived.insert(composeEntryLine(word, meaning));
        }, mark);
        if (reader.error() != 0)
            return notWritten(systemReason(reader.error()));
        lines = mark.lines;
        endsOpen = tally.endsOpen;
        std::erase_if(entries, [&](const EntryBytes &entry) { return arrived.contains(composeEntryLine(entry.word, entry.meaning)); });
    }
    if (lines > MaxEntries)
        return {AppendOutcome::DictionaryFull, {}, 0};
    if (entries.empty())
        return {AppendOutcome::Appended, {}};
    if (static_cast<long long>(entries.size()) > MaxEntries - lines)
        return {AppendOutcome::DictionaryFull, {}, MaxEntries - lines};

    // Without a line end first, the new entries would be glued onto an open last line.
    std::string pending(endsOpen ? LineEnd : "");
    EndWriter writer(fd, st.st_size);
    constexpr std::size_t chunk = 1 << 20;
    bool ok = true;
    for (const EntryBytes &entry : entries) {
        appendEntryLine(pending, entry.word, entry.meaning);
        if (ok && pending.size() >= chunk) {
            ok = writer.write(pending);
            pending.clear();
        }
    }
    if (ok)
        writer.write(pending);
    if (std::string reason = writer.finish(); !reason.empty())
        return notWritten(std::move(reason));
    return {AppendOutcome::Appended, {}};
}

} // namespace tamberlo
