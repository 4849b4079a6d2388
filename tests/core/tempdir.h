#pragma once

// Shared by the core tests, the benchmark and the fuzz reader: standard C++ and POSIX only.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

inline void writeBytes(const std::string &path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

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

// A fresh folder in the system's temporary directory, removed with all it holds.
class TempFolder {
public:
    explicit TempFolder(std::string_view prefix,
                        const std::filesystem::path &base = std::filesystem::temp_directory_path())
    {
        std::string pattern = (base / prefix).string() + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    std::string file(std::string_view name) const { return (m_path / name).string(); }

    std::string write(std::string_view name, std::string_view bytes) const
    {
        const std::string path = file(name);
        writeBytes(path, bytes);
        return path;
    }

private:
    std::filesystem::path m_path;
};

// A core test's folder is also the working directory while it lives, since relative dictionary
// paths resolve against it.
class TempDir : public TempFolder {
public:
    explicit TempDir(const std::filesystem::path &base = std::filesystem::temp_directory_path())
        : TempFolder("tamberlo-core", base)
        , m_oldCwd(std::filesystem::current_path())
    {
        std::filesystem::current_path(path());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::current_path(m_oldCwd, ec);
    }

private:
    std::filesystem::path m_oldCwd;
};

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
