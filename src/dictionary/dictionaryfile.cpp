#include "dictionaryfile.h"

#include "cp932.h"
#include "int16.h"
#include "runtimeerror.h"
#include "systemreason.h"
#include "utf8.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tamberlo {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr std::string_view LineEnd = "\r\n";

[[noreturn]] void throwSystem(ErrorKind kind, const std::string &path, int err)
{
    throw RuntimeError(kind, path, 0, systemReason(err));
}

class File {
public:
    explicit File(int fd) : m_fd(fd) {}
    ~File()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    File(File &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Repeats a system call that a signal interrupted before it did anything.
template <typename Call>
auto retryOnEintr(Call call)
{
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

int openPath(const std::string &path, int flags, mode_t mode = 0)
{
    if (path.find('\0') != std::string::npos) { // the kernel would see a shorter, different name
        errno = EINVAL;
        return -1;
    }
    return retryOnEintr([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
}

// A pipe or a device could block, never end, or take an entry and keep nothing: only regular files
// are read or written.
void refuseUnlessRegular(const struct stat &st, const std::string &path)
{
    if (S_ISDIR(st.st_mode))
        throwSystem(ErrorKind::FileAccess, path, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw RuntimeError(ErrorKind::FileAccess, path, 0, NotRegularFileReason);
}

File openForReading(const std::string &path)
{
    // O_NONBLOCK: opening a named pipe must not wait for a writer before we can turn it down.
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
    refuseUnlessRegular(st, path);
    // The descriptor stays non-blocking: a regular file whose reads would wait (a /proc file reached
    // through a link) fails with EAGAIN instead of freezing the program.
    return file;
}

// Reads a file front to back in large blocks: finding line ends is a memchr over each block, and
// only the wanted line is ever copied or decoded.
class BlockReader {
public:
    BlockReader(const File &file, const std::string &path) : m_file(file), m_path(path) {}

    // Refills the block when it is used up; false at end of file.
    bool available()
    {
        if (m_pos < m_len)
            return true;
        const ssize_t n = retryOnEintr([&] { return ::read(m_file.fd(), m_block->data(), m_block->size()); });
        if (n < 0) // EIO, EAGAIN, ...
            throwSystem(ErrorKind::FileAccess, m_path, errno);
        m_pos = 0;
        m_len = static_cast<std::size_t>(n);
        return m_len > 0;
    }

    const char *begin() const { return m_block->data() + m_pos; }
    const char *end() const { return m_block->data() + m_len; }
    char peek() const { return m_block->data()[m_pos]; }
    void skipTo(const char *p) { m_pos = static_cast<std::size_t>(p - m_block->data()); }
    void skipAll() { m_pos = m_len; }

private:
    static constexpr std::size_t BlockSize = 64 * 1024;
    const File &m_file;
    const std::string &m_path;
    std::unique_ptr<std::array<char, BlockSize>> m_block = std::make_unique<std::array<char, BlockSize>>();
    std::size_t m_pos = 0;
    std::size_t m_len = 0;
};

const char *findCr(const char *from, const char *to)
{
    return static_cast<const char *>(std::memchr(from, CR, static_cast<std::size_t>(to - from)));
}

[[noreturn]] void throwTooManyLines(const std::string &path)
{
    throw RuntimeError(ErrorKind::Overflow, path, MaxEntries + 1L, "辞書の行数が32767を超えています");
}

struct LineTally {
    long long lines = 0;   // more than the limit given when counting stopped early
    bool endsOpen = false; // text after the last line end, which a new line must not be glued to
};

// Counts lines by the line rule, stopping once there are more than `limit`.
LineTally tallyLines(BlockReader &reader, long long limit)
{
    long long lineEnds = 0;
    bool empty = true;
    char last = 0;
    char beforeLast = 0;
    while (reader.available()) {
        empty = false;
        const char *from = reader.begin();
        const char *end = reader.end();
        // Every CR ends exactly one line, whether an LF follows or not.
        for (const char *cr = findCr(from, end); cr; cr = findCr(cr + 1, end))
            ++lineEnds;
        if (lineEnds > limit)
            return {lineEnds, false};
        beforeLast = end - from >= 2 ? end[-2] : last;
        last = end[-1];
        reader.skipAll();
    }
    // The LF of a final CR LF is part of that line end.
    const bool endsOpen = !empty && last != CR && !(last == LF && beforeLast == CR);
    return {lineEnds + (endsOpen ? 1 : 0), endsOpen};
}

bool isRegularFile(const char *path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// '*' is any run of characters, '?' exactly one character (a whole UTF-8 sequence, as a user typing
// a name means it); nothing else is special, and a leading '.' needs no explicit match.
bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            utf8::next(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool dictionaryExists(const std::string &path)
{
    if (path.find('\0') != std::string::npos)
        return false;
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string_view name = std::string_view(path).substr(nameStart);
    if (name.find_first_of("*?") == std::string_view::npos)
        return isRegularFile(path.c_str());

    // Keep the leading '/' of a file in the root directory.
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return false;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent *entry = ::readdir(dir.get())) {
        if (!wildcardMatch(name, entry->d_name))
            continue;
        struct stat st;
        // d_type is only a hint (DT_UNKNOWN on some file systems, and links must be followed).
        if (::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
            return true;
    }
    return false;
}

CreateResult createEmptyDictionary(const std::string &path)
{
    // O_EXCL: a name that exists is never truncated, whatever happened since the caller last looked.
    const int fd = openPath(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        ::close(fd);
        return CreateResult::Created;
    }
    const int err = errno;
    if (err == EEXIST) {
        struct stat st;
        const bool found = ::stat(path.c_str(), &st) == 0;
        if (found && S_ISREG(st.st_mode))
            return CreateResult::AlreadyExists;
        // A directory, or a name that exists but is no file (a dangling link, a device).
        throwSystem(ErrorKind::FileAccess, path, found && S_ISDIR(st.st_mode) ? EISDIR : EEXIST);
    }
    throwSystem(ErrorKind::FileAccess, path, err);
}

std::int16_t countEntries(const std::string &path)
{
    const File file = openForReading(path);
    BlockReader reader(file, path);
    const long long lines = tallyLines(reader, MaxEntries).lines;
    if (lines > MaxEntries)
        throwTooManyLines(path);
    return static_cast<std::int16_t>(lines);
}

std::string readEntry(const std::string &path, std::int16_t n)
{
    if (n < 1)
        throw RuntimeError(ErrorKind::SubscriptOutOfRange, path, n, "行番号は1から始まります");
    const File file = openForReading(path);
    BlockReader reader(file, path);
    auto pastEnd = [&] {
        return RuntimeError(ErrorKind::InputPastEndOfFile, path, n,
                            std::to_string(n) + "行目を読もうとしましたが、ファイルの行はそれより少なくなっています");
    };

    // The LF right after a CR belongs to that line end, even when the CR closed the previous block.
    bool afterCr = false;
    auto skipLfOfCrLf = [&] {
        if (afterCr && reader.peek() == LF)
            reader.skipTo(reader.begin() + 1);
        afterCr = false;
    };

    for (int ends = 0; ends < n - 1;) {
        if (!reader.available())
            throw pastEnd();
        skipLfOfCrLf();
        const char *cr = findCr(reader.begin(), reader.end());
        if (!cr) {
            reader.skipAll();
            continue;
        }
        reader.skipTo(cr + 1);
        afterCr = true;
        ++ends;
    }

    std::string line;
    bool ended = false;
    while (!ended && reader.available()) {
        skipLfOfCrLf();
        const char *cr = findCr(reader.begin(), reader.end());
        line.append(reader.begin(), cr ? cr : reader.end());
        ended = cr != nullptr;
        reader.skipAll();
    }
    // At end of file only text makes a line: a final line end is not followed by an empty line.
    if (!ended && line.empty())
        throw pastEnd();
    return decodeCp932(line);
}

namespace {

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

} // namespace

AppendResult appendEntry(const std::string &path, const std::string &word, const std::string &meaning)
{
    // Encoded apart: a broken sequence at the end of the word must not pair up with the meaning.
    const Cp932Encoding encodedWord = encodeCp932(word);
    const Cp932Encoding encodedMeaning = encodeCp932(meaning);
    if (!encodedWord.ok() || !encodedMeaning.ok()) {
        std::string detail = "コードページ932で表せない文字があります:";
        for (const auto *encoding : {&encodedWord, &encodedMeaning}) {
            for (char32_t c : encoding->unencodable) {
                char code[16];
                std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(c));
                detail += code;
            }
        }
        throw RuntimeError(ErrorKind::FileAccess, path, 0, detail);
    }

    // Looked at before opening too, so that opening never waits for a pipe's reader or wakes a device.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        refuseUnlessRegular(st, path);
    // Read access as well: the count and the last line's end are read from the file itself.
    const int fd = openPath(path, O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK, 0666);
    if (fd < 0)
        throwSystem(ErrorKind::FileAccess, path, errno);
    const File file(fd);
    // Every append, in this program or another instance, holds the lock from the line-end check and
    // the count to the end of the write; the lock goes with the descriptor.
    if (retryOnEintr([&] { return ::flock(fd, LOCK_EX); }) != 0 || ::fstat(fd, &st) != 0)
        throwSystem(ErrorKind::FileAccess, path, errno);
    refuseUnlessRegular(st, path);
    const off_t sizeAtLock = st.st_size;

    BlockReader reader(file, path);
    const LineTally tally = tallyLines(reader, MaxEntries - 1);
    if (tally.lines >= MaxEntries)
        return AppendResult::DictionaryFull;

    std::string line;
    if (tally.endsOpen) // without this the new entry would be glued onto the old last line
        line += LineEnd;
    line += encodedWord.bytes;
    line += EntrySeparator;
    line += encodedMeaning.bytes;
    line += LineEnd;

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
    if (err != 0) {
        std::string reason = systemReason(err);
        if (!takeBack(fd, sizeAtLock, end - static_cast<off_t>(written), end))
            reason += "（書き込んだ分を取り消せませんでした）";
        throw RuntimeError(ErrorKind::FileAccess, path, 0, reason);
    }
    return AppendResult::Appended;
}

std::vector<std::string> splitEntry(const std::string &line)
{
    std::vector<std::string> pieces;
    if (line.empty())
        return pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = line.find(EntrySeparator, start)) != std::string::npos; start = at + EntrySeparator.size())
        pieces.push_back(line.substr(start, at - start));
    pieces.push_back(line.substr(start));
    return pieces;
}

} // namespace tamberlo
