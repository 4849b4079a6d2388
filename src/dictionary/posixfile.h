#pragma once

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <utility>

// POSIX file handling, for the dictionary operations and the word lists that read and write files too.
namespace tamberlo {

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

// An open descriptor, closed when it goes out of scope (and with it any flock it holds).
class File {
public:
    explicit File(int fd) : m_fd(fd) {}
    ~File();
    File(File &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// open(2) with O_CLOEXEC: a descriptor, or -1 with errno set (EINVAL for a name holding a NUL byte).
int openPath(const std::string &path, int flags, mode_t mode = 0);

// Why this is nothing to keep a dictionary in, or empty for a regular file: a pipe or a device could
// block, never end, or take an entry and keep nothing.
std::string notRegularReason(const struct stat &st);

} // namespace tamberlo
