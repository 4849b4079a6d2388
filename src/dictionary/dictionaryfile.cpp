#include "dictionaryfile.h"

#include "blockreader.h"
#include "cp932.h"
#include "entryformat.h"
#include "linerule.h"
#include "posixfile.h"
#include "runtimeerror.h"
#include "systemreason.h"

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

// Writes all of line at the end of the file and flushes it: empty, or why not once what was written
// has been taken back.
std::string writeAtEnd(int fd, std::string_view line, off_t sizeAtLock)
{
    // O_APPEND puts each write at the end; the offset after it says where that end was.
    std::size_t written = 0;
    off_t end = sizeAtLock;
    int err = 0;
    while (written < line.size()) {
        const ssize_t n = retryOnEintr([&] { return ::write(fd, line.data() + written, line.size() - written); });
        if (n <= 0) {
            // A write cut short is tried on, so a full disk is reported as such (ENOSPC) and not as a stop.
            err = n < 0 ? errno : EIO;
            break;
        }
        written += static_cast<std::size_t>(n);
        end = ::lseek(fd, 0, SEEK_CUR);
    }
    // EINVAL: a file system that cannot sync; the write itself went through.
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (err == 0)
        return {};
    if (!takeBack(fd, sizeAtLock, end - static_cast<off_t>(written), end))
        return systemReason(err) + "（書き込んだ分を取り消せませんでした）";
    return systemReason(err);
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

AppendResult appendEntry(const std::string &path, const std::string &word, const std::string &meaning)
{
    // Encoded apart: a broken sequence at the end of the word must not pair up with the meaning.
    const Cp932Encoding encodedWord = encodeCp932(word);
    const Cp932Encoding encodedMeaning = encodeCp932(meaning);
    if (!encodedWord.ok() || !encodedMeaning.ok())
        return notWritten(unencodableReason(encodedWord, encodedMeaning));

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
    const LineTally tally = tallyLines(reader, MaxEntries - 1);
    if (reader.error() != 0)
        return notWritten(systemReason(reader.error()));
    if (tally.lines >= MaxEntries)
        return {AppendOutcome::DictionaryFull, {}};

    // Without a line end first, the new entry would be glued onto an open last line.
    const std::string line =
        std::string(tally.endsOpen ? LineEnd : "") + composeEntryLine(encodedWord.bytes, encodedMeaning.bytes);
    if (std::string reason = writeAtEnd(fd, line, st.st_size); !reason.empty())
        return notWritten(std::move(reason));
    return {AppendOutcome::Appended, {}};
}

} // namespace tamberlo
