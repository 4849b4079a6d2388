#include "wordlistimport.h"

#include "blockreader.h"
#include "entryformat.h"
#include "systemreason.h"

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

WordListStream::WordListStream(int fd, SourceEncoding encoding, std::optional<Separator> separator)
    : m_fd(fd)
    , m_decoder(encoding)
    , m_parser(separator, encodingName(encoding), [this](const WordListEntry &e) { m_queue.push_back(e); })
{
}

WordListStream::~WordListStream() = default;

std::optional<WordListEntry> WordListStream::next()
{
    while (m_queue.empty() && !m_ended)
        refill();
    if (m_queue.empty())
        return std::nullopt;
    WordListEntry entry = std::move(m_queue.front());
    m_queue.pop_front();
    return entry;
}

void WordListStream::refill()
{
    if (!m_reader) {
        if (::lseek(m_fd, 0, SEEK_SET) != 0) {
            m_error = errno;
            m_ended = true;
            return;
        }
        m_reader = std::make_unique<BlockReader>(m_fd);
    }
    std::string text;
    if (m_reader->available()) {
        m_decoder.feed({m_reader->begin(), static_cast<std::size_t>(m_reader->end() - m_reader->begin())}, text);
        m_reader->skipAll();
        m_parser.feed(text);
        return;
    }
    m_ended = true;
    m_error = m_reader->error();
    if (m_error != 0)
        return;
    m_decoder.finish(text);
    m_parser.feed(text);
    m_parser.finish();
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

bool ImportBatch::known(const WordListEntry &entry) const
{
    return m_known.contains(entryKey(entry.wordBytes, entry.meaningBytes));
}

long long ImportBatch::count(long long room)
{
    m_new = m_already = 0;
    WordListStream stream(m_fd, m_encoding, m_separator);
    while (m_new <= room) {
        const auto entry = stream.next();
        if (!entry)
            break;
        if (entry->problem.empty())
            ++(known(*entry) ? m_already : m_new);
    }
    if (stream.error() != 0) {
        m_failure = systemReason(stream.error());
        return -1;
    }
    m_writing = std::make_unique<WordListStream>(m_fd, m_encoding, m_separator);
    return m_new;
}

bool ImportBatch::next(std::string &word, std::string &meaning)
{
    while (const auto entry = m_writing->next()) {
        if (!entry->problem.empty() || known(*entry))
            continue;
        word = entry->wordBytes;
        meaning = entry->meaningBytes;
        return true;
    }
    if (m_writing->error() != 0)
        m_failure = systemReason(m_writing->error());
    return false;
}

} // namespace tamberlo
