#include "dictionary/posixfile.h"

#include "dictionary/systemreason.h"

#include <fcntl.h>
#include <unistd.h>

namespace tamberlo {

File::~File()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int openPath(const std::string &path, int flags, mode_t mode)
{
    if (path.find('\0') != std::string::npos) { // the kernel would see a shorter, different name
        errno = EINVAL;
        return -1;
    }
    return retryOnEintr([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
}

std::string notRegularReason(const struct stat &st)
{
    if (S_ISREG(st.st_mode))
        return {};
    return S_ISDIR(st.st_mode) ? systemReason(EISDIR) : NotRegularFileReason;
}

} // namespace tamberlo
