#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tamberlo {
class File;
}

// An Anki package's collection in a file of its own, for SQLite, which reads only files.
namespace tamberlo::wordlists {

// The unpacked collection: a file in $TMPDIR that goes as soon as SQLite has it open.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    std::string create();
    // Appends bytes, refusing a collection past 2 GiB as `name`'s bomb.
    std::string write(const char *at, std::size_t size, std::string_view name);
    const std::string &path() const { return m_path; }
    void unlinkNow();

private:
    std::unique_ptr<File> m_file;
    std::string m_path;
    std::uint64_t m_written = 0;
};

// The newest collection of a package (a ZIP: collection.anki21b, compressed with zstd, else
// collection.anki21, else collection.anki2, the one current Anki leaves only to ask for an upgrade),
// or a collection given as it is, copied into `file`. A ZIP that unpacks past 64 times its size or
// 2 GiB is refused as a bomb. Empty, or why not.
std::string unpackCollection(int fd, bool zip, ScratchFile &file);

} // namespace tamberlo::wordlists
