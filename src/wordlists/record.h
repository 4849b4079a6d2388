#pragma once

#include "dictionary/blockreader.h"
#include "dictionary/textdecoder.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a reader makes of a word list: records of fields, in order, each saying where it came from;
// and the problems a command lists.
namespace tamberlo::wordlists {

// The longest word or meaning taken, in characters: the drill shows 80, and a field far longer is a
// column that went astray (a stray quote swallowing lines), not a meaning.
inline constexpr std::size_t MaxFieldCharacters = 256;

// One field as read, in UTF-8, of which only what a check can need is kept: a field of any length
// costs the same memory.
struct Field {
    std::string text;           // its first MaxFieldCharacters + 1 characters at least
    std::size_t characters = 0; // of the whole field
    long long column = 0;       // of the text's first character on its line; 0 where there are no lines
    std::size_t room = (MaxFieldCharacters + 1) * 4; // bytes of text kept: markup to be cleaned needs more

    void append(std::string_view utf8);
    void clear(long long atColumn = 0);
};

struct Record {
    long long location = 0;    // the line it starts on, or its number where there are no lines
    std::vector<Field> fields; // the first ReadOptions::keptFields of them at most
    std::string problem;       // why it could not be read whole, or empty
    const char *encoding = ""; // what its bytes were decoded as, to name a byte not valid there
    bool blankWhenEmpty = false; // with word and meaning both empty it is no entry: a grid's empty row
};

enum class Separator { Entry, Tab, Comma };

// The kinds of word list, each read by a reader of its own.
enum class Format { Text, Anki, Kvtml };

struct ReadOptions {
    std::optional<Format> format; // else told by the source's first bytes
    std::optional<Encoding> encoding;
    std::optional<Separator> separator;
    bool header = false;        // the first record names the columns: skipped
    std::size_t keptFields = 2; // fields past these are read past, not kept
};

class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void take(const Record &record) = 0;
    // Reading starts again from the beginning, in another encoding: every record so far is void.
    virtual void startOver() = 0;
};

// One kind of source (delimited text, another program's file): bytes in, records out.
class Reader {
public:
    // Tests choose small blocks, so that block edges fall everywhere.
    Reader(int fd, const ReadOptions &options, std::size_t blockSize = ReadBlockSize)
        : m_fd(fd), m_options(options), m_blockSize(blockSize) {}
    virtual ~Reader() = default;
    // Reads the whole source into `sink`: empty, or why the source could not be read.
    virtual std::string read(RecordSink &sink) = 0;

protected:
    int m_fd;
    ReadOptions m_options;
    std::size_t m_blockSize;
};

struct Problem {
    long long location;
    std::string reason;
};

// What a command found wrong: the first few to be listed, as compilers list theirs, and a count of
// all, so that a file of a million bad lines costs no more than one of twenty.
class ProblemList {
public:
    static constexpr std::size_t Listed = 20;

    void add(long long location, std::string reason);
    void clear() { *this = {}; }
    const std::vector<Problem> &listed() const { return m_listed; }
    long long count() const { return m_count; }

private:
    std::vector<Problem> m_listed;
    long long m_count = 0;
};

} // namespace tamberlo::wordlists
