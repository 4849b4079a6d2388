#include "dictionary/blockreader.h"

#include "dictionary/posixfile.h"

#include <unistd.h>

namespace tamberlo {

bool BlockReader::available()
{
    if (m_pos < m_len)
        return true;
    if (m_error != 0)
        return false;
    m_base += static_cast<long long>(m_len);
    const ssize_t n = retryOnEintr([&] { return ::read(m_fd, m_block.get(), m_size); });
    m_pos = 0;
    m_len = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (n < 0) // EIO, EAGAIN, ...
        m_error = errno;
    return m_len > 0;
}

} // namespace tamberlo
