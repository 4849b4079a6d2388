#pragma once

#include "dictionary/dictionaryfile.h"
#include "dictionary/wordlist.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

// Importing a word list into a dictionary: the list read from a descriptor as often as needed
// (validate first, then count and write under the lock), and the batch that appendEntries writes.
namespace tamberlo {

class BlockReader;

// The entries of a word list read from the start of a seekable descriptor, decoded, parsed and
// handed to the sink, a block of the file at a time.
class WordListStream {
public:
    WordListStream(int fd, SourceEncoding encoding, std::optional<Separator> separator, WordListParser::Sink sink);
    ~WordListStream();
    WordListStream(const WordListStream &) = delete;
    WordListStream &operator=(const WordListStream &) = delete;

    // Reads one more block; false once the list has ended or a read has failed (see error()).
    bool step();
    // Reads to the end: the errno of a failed read, or 0.
    int run();
    int error() const { return m_error; }

private:
    int m_fd;
    TextDecoder m_decoder;
    WordListParser m_parser;
    std::unique_ptr<BlockReader> m_reader;
    std::string m_text;
    bool m_ended = false;
    int m_error = 0;
};

// The encoding a list on a seekable descriptor is in, read through once; the errno of a failed read in `error`.
SourceEncoding detectEncoding(int fd, int &error);

// The entries of the list to add: those without a problem that the dictionary does not hold yet
// (the same word and meaning). A pair given twice by the list is added twice, so that an exported
// dictionary comes back as it was; run again, the import adds nothing.
class ImportBatch : public EntryBatch {
public:
    ImportBatch(int fd, SourceEncoding encoding, std::optional<Separator> separator);

    // A piece longer than the longest field in code page 932 cannot be any entry of the list.
    std::size_t existingBytes() const override { return 2 * MaxFieldCharacters + 1; }
    void existing(std::string_view word, std::string_view meaning) override;
    long long count(long long room) override;
    bool next(std::string &word, std::string &meaning) override;
    std::string failure() const override { return m_failure; }

    long long added() const { return m_new; }
    long long already() const { return m_already; }

private:
    bool known(const WordListEntry &entry);

    int m_fd;
    SourceEncoding m_encoding;
    std::optional<Separator> m_separator;
    std::unordered_set<std::string> m_known;
    std::string m_key;
    std::unique_ptr<WordListStream> m_writing;
    std::deque<std::pair<std::string, std::string>> m_queue; // new entries read but not yet written
    long long m_new = 0;
    long long m_already = 0;
    std::string m_failure;
};

} // namespace tamberlo
