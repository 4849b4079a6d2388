#include "dictionary/wordlistimport.h"

#include "dictionary/blockreader.h"
#include "dictionary/entryformat.h"
#include "dictionary/systemreason.h"

#include <cerrno>
#include <unistd.h>

namespace tamberlo {

namespace {

std::string entryKey(std::string_view word, std::string_view meaning)
{
    std::string key(word);
    key += EntrySeparator;
    key += meaning;
    return key;
}

} // namespace

WordListStream::WordListStream(int fd, SourceEncoding encoding, std::optional<Separator> separator,
                               WordListParser::Sink sink)
    : m_fd(fd)
    , m_decoder(encoding)
    , m_parser(separator, encodingName(encoding), std::move(sink))
{
}

WordListStream::~WordListStream() = default;

bool WordListStream::step()
{
    if (m_ended)
        return false;
    if (!m_reader) {
        if (::lseek(m_fd, 0, SEEK_SET) != 0) {
            m_error = errno;
            m_ended = true;
            return false;
        }
        m_reader = std::make_unique<BlockReader>(m_fd);
    }
    m_text.clear();
    if (m_reader->available()) {
        m_decoder.feed({m_reader->begin(), static_cast<std::size_t>(m_reader->end() - m_reader->begin())}, m_text);
        m_reader->skipAll();
        m_parser.feed(m_text);
        return true;
    }
    m_ended = true;
    m_error = m_reader->error();
    if (m_error != 0)
        return false;
    m_decoder.finish(m_text);
    m_parser.feed(m_text);
    m_parser.finish();
    return false;
}

int WordListStream::run()
{
    while (step()) {
    }
    return m_error;
}

SourceEncoding detectEncoding(int fd, int &error)
{
    EncodingDetector detector;
    error = ::lseek(fd, 0, SEEK_SET) == 0 ? 0 : errno;
    if (error != 0)
        return detector.result();
    BlockReader reader(fd);
    while (reader.available()) {
        detector.feed({reader.begin(), static_cast<std::size_t>(reader.end() - reader.begin())});
        reader.skipAll();
    }
    error = reader.error();
    return detector.result();
}

ImportBatch::ImportBatch(int fd, SourceEncoding encoding, std::optional<Separator> separator)
    : m_fd(fd)
    , m_encoding(encoding)
    , m_separator(separator)
{
    m_known.reserve(MaxEntries);
}

void ImportBatch::existing(std::string_view word, std::string_view meaning)
{
    if (word.size() < existingBytes() && meaning.size() < existingBytes())
        m_known.insert(entryKey(word, meaning));
}

bool ImportBatch::known(const WordListEntry &entry)
{
    m_key.assign(entry.wordBytes);
    m_key += EntrySeparator;
    m_key += entry.meaningBytes;
    return m_known.contains(m_key);
}

long long ImportBatch::count(long long room)
{
    m_new = m_already = 0;
    WordListStream stream(m_fd, m_encoding, m_separator, [&](const WordListEntry &entry) {
        if (entry.problem.empty())
            ++(known(entry) ? m_already : m_new);
    });
    while (m_new <= room && stream.step()) {
    }
    if (stream.error() != 0) {
        m_failure = systemReason(stream.error());
        return -1;
    }
    m_writing = std::make_unique<WordListStream>(m_fd, m_encoding, m_separator, [this](const WordListEntry &entry) {
        if (entry.problem.empty() && !known(entry))
            m_queue.emplace_back(entry.wordBytes, entry.meaningBytes);
    });
    return m_new;
}

bool ImportBatch::next(std::string &word, std::string &meaning)
{
    while (m_queue.empty() && m_writing->step()) {
    }
    if (m_queue.empty()) {
        if (m_writing->error() != 0)
            m_failure = systemReason(m_writing->error());
        return false;
    }
    word = std::move(m_queue.front().first);
    meaning = std::move(m_queue.front().second);
    m_queue.pop_front();
    return true;
}

} // namespace tamberlo
