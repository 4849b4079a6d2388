#pragma once

#include "wordlists/record.h"

#include <memory>
#include <string>
#include <string_view>

namespace tamberlo {
class File;
}

namespace tamberlo::wordlists {

// A word list to read: a file, or standard input ("-") copied to an unnamed temporary file, so that
// it can be read from the start as often as needed.
class Source {
public:
    Source();
    ~Source();
    // Empty, or why the source cannot be read.
    std::string open(const std::string &path);
    int fd() const { return m_fd; }
    // Its first bytes, which tell what it is.
    std::string_view head() const { return m_head; }

private:
    std::string spool(int from);

    std::unique_ptr<File> m_file;
    int m_fd = -1;
    std::string m_head;
};

// The reader for the source, or null with the reason it cannot be read as a word list: said once,
// before any record is looked at. Readers are chosen by what a source is, never by its name.
std::unique_ptr<Reader> readerFor(const Source &source, const ReadOptions &options, std::string &refusal);

} // namespace tamberlo::wordlists
