#include "dictionaryfile.h"

#include "cp932.h"
#include "int16.h"
#include "runtimeerror.h"
#include "utf8.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tamberlo {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr std::string_view LineEnd = "\r\n";

// strerror_r comes in a GNU and an XSI flavour; take whichever this libc has.
[[maybe_unused]] std::string reasonFrom(int rc, const char *buffer)
{
    return rc == 0 ? std::string(buffer) : "errno " + std::to_string(rc);
}
[[maybe_unused]] std::string reasonFrom(const char *text, const char *) { return text; }

std::string systemReason(int err)
{
    char buffer[256] = {};
    return reasonFrom(strerror_r(err, buffer, sizeof buffer), buffer);
}

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

int openPath(const std::string &path, int flags, mode_t mode = 0)
{
    if (path.find('\0') != std::string::npos) { // the kernel would see a shorter, different name
        errno = EINVAL;
        return -1;
    }
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
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
    // A pipe or a device such as /dev/zero could block or never end: only regular files are read.
    if (S_ISDIR(st.st_mode))
        throwSystem(ErrorKind::FileAccess, path, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw RuntimeError(ErrorKind::FileAccess, path, 0, "通常のファイルではありません");
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
        ssize_t n;
        do
            n = ::read(m_file.fd(), m_block->data(), m_block->size());
        while (n < 0 && errno == EINTR);
        if (n < 0) // EISDIR for a directory, EIO, ...
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
        if (lineEnds > MaxEntries)
            throwTooManyLines(path);
        beforeLast = end - from >= 2 ? end[-2] : last;
        last = end[-1];
        reader.skipAll();
    }
    // Bytes after the last line end make one more line; the LF of a final CR LF is part of that end.
    const bool unterminated = !empty && last != CR && !(last == LF && beforeLast == CR);
    const long long lines = lineEnds + (unterminated ? 1 : 0);
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

void appendEntry(const std::string &path, const std::string &word, const std::string &meaning)
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

    // Read access as well: whether the last line has its line end is read from the file itself.
    const int fd = openPath(path, O_RDWR | O_APPEND | O_CREAT, 0666);
    if (fd < 0)
        throwSystem(ErrorKind::FileAccess, path, errno);
    const File file(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        throwSystem(ErrorKind::FileAccess, path, errno);
    const bool regular = S_ISREG(st.st_mode);
    const off_t originalSize = regular ? st.st_size : 0;

    std::string line;
    if (originalSize > 0) {
        char tail[2] = {};
        const off_t tailSize = originalSize >= 2 ? 2 : 1;
        const ssize_t got = ::pread(fd, tail, static_cast<std::size_t>(tailSize), originalSize - tailSize);
        if (got != tailSize)
            throwSystem(ErrorKind::FileAccess, path, got < 0 ? errno : EIO);
        const char last = tail[tailSize - 1];
        const char beforeLast = tailSize == 2 ? tail[0] : 0;
        // Without this the new entry would be glued onto the old last line.
        if (last != CR && !(last == LF && beforeLast == CR))
            line += LineEnd;
    }
    line += encodedWord.bytes;
    line += EntrySeparator;
    line += encodedMeaning.bytes;
    line += LineEnd;

    // Anything short of the whole line is undone, so the file is exactly as it was.
    auto undo = [&](int err, std::string detail) {
        if (regular && ::ftruncate(fd, originalSize) != 0)
            detail += " (元の長さに戻せませんでした: " + systemReason(errno) + ")";
        throw RuntimeError(ErrorKind::FileAccess, path, 0, err ? systemReason(err) + detail : detail);
    };
    ssize_t written;
    do
        written = ::write(fd, line.data(), line.size());
    while (written < 0 && errno == EINTR);
    if (written < 0)
        undo(errno, {});
    if (static_cast<std::size_t>(written) != line.size())
        undo(0, "書き込みが途中で止まりました (" + std::to_string(written) + " / " + std::to_string(line.size()) + " バイト)");
    // EINVAL: a device or pipe that has nothing to sync; the write itself went through.
    if (::fsync(fd) != 0 && errno != EINVAL)
        undo(errno, {});
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
