#pragma once

#include <cstddef>
#include <memory>

namespace tamberlo {

inline constexpr std::size_t ReadBlockSize = 64 * 1024;

// Reads a descriptor front to back in large blocks, so that finding line ends is a memchr over each
// block and only a wanted line is ever copied. A descriptor left non-blocking fails with EAGAIN
// where a read would wait.
class BlockReader {
public:
    // Tests choose small blocks, so that block edges fall everywhere.
    explicit BlockReader(int fd, std::size_t blockSize = ReadBlockSize)
        : m_fd(fd), m_size(blockSize), m_block(std::make_unique_for_overwrite<char[]>(blockSize))
    {
    }

    // Refills the block when it is used up; false at end of file or when a read fails (see error()).
    bool available();
    // The errno of the failed read, or 0.
    int error() const { return m_error; }

    // Bytes of the descriptor read past: where begin() stands, counted from where reading started.
    long long offset() const { return m_base + static_cast<long long>(m_pos); }
    const char *begin() const { return m_block.get() + m_pos; }
    const char *end() const { return m_block.get() + m_len; }
    char peek() const { return m_block[m_pos]; }
    void skipTo(const char *p) { m_pos = static_cast<std::size_t>(p - m_block.get()); }
    void skipAll() { m_pos = m_len; }

private:
    int m_fd;
    std::size_t m_size;
    int m_error = 0;
    std::unique_ptr<char[]> m_block;
    long long m_base = 0; // offset() of the block's first byte
    std::size_t m_pos = 0;
    std::size_t m_len = 0;
};

} // namespace tamberlo
