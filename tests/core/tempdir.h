#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

// A fresh directory per test, removed afterwards; also the working directory while it lives,
// since relative dictionary paths resolve against it.
class TempDir {
public:
    explicit TempDir(const std::filesystem::path &base = std::filesystem::temp_directory_path())
    {
        std::string pattern = (base / "tamberlo-core-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
        m_oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::current_path(m_oldCwd, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string file(std::string_view name) const { return (m_path / name).string(); }

    std::string write(std::string_view name, std::string_view bytes) const
    {
        const std::string path = file(name);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_oldCwd;
};

// Where fsync costs nothing, for tests that append thousands of times: /dev/shm when there is one.
inline std::filesystem::path memoryBackedBase()
{
    std::error_code ec;
    return std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                         : std::filesystem::temp_directory_path();
}

inline std::string fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Hex dump, so a byte mismatch reads as bytes in the failure message.
inline std::string hex(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}
