#include "wordlists/import.h"

#include "dictionary/newentry.h"
#include "dictionary/runtimeerror.h"
#include "wordlists/entrycheck.h"
#include "wordlists/source.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace tamberlo::wordlists {

namespace {

// The entries of the list to add: checked, and those the dictionary holds left out.
class Collector final : public RecordSink {
public:
    Collector(const ImportOptions &options, ImportResult &result, long long room)
        : m_options(options), m_result(result), m_room(room) {}

    std::unordered_set<std::string> known; // the dictionary's pairs, as their lines
    std::vector<EntryBytes> entries;       // as many as fit
    long long fresh = 0;                   // entries to add, those past the room included

    void take(const Record &record) override
    {
        const std::size_t needed = std::max(m_options.wordField, m_options.meaningField) + 1;
        const auto empty = [&](std::size_t field) { return field >= record.fields.size() || record.fields[field].characters == 0; };
        if (record.blankWhenEmpty && empty(m_options.wordField) && empty(m_options.meaningField))
            return;
        std::string problem = record.problem;
        EntryBytes entry;
        if (problem.empty() && record.fields.size() < needed)
            problem = std::to_string(needed) + "番目のフィールドがありません";
        if (problem.empty())
            problem = checkEntry(record.fields[m_options.wordField], record.fields[m_options.meaningField],
                                 record.encoding, entry);
        if (!problem.empty())
            return m_result.problems.add(record.location, std::move(problem));
        if (known.contains(composeEntryLine(entry.word, entry.meaning)))
            ++m_result.already;
        else if (++fresh <= m_room)
            entries.push_back(std::move(entry));
    }

    void startOver() override
    {
        m_result.problems.clear();
        m_result.already = fresh = 0;
        entries.clear();
    }

private:
    const ImportOptions &m_options;
    ImportResult &m_result;
    long long m_room;
};

bool sameFile(int fd, const std::string &path)
{
    struct stat a;
    struct stat b;
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

ImportResult failed(ImportResult::Status status, std::string reason)
{
    ImportResult result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

} // namespace

ImportResult importList(const Source &source, Reader &reader, const std::string &dictionary, const ImportOptions &options)
{
    // Appending to the list being read would read its own new lines back.
    if (sameFile(source.fd(), dictionary))
        return failed(ImportResult::DictionaryUnusable, "元のファイルと同じファイルです（別の名前の新しい辞書に取り込んでください）");
    ImportResult result;
    std::unordered_set<std::string> known;
    DictionaryMark mark;
    try {
        // A piece longer than any field can be cannot match an entry of the list.
        mark = readEntryPairs(dictionary, 2 * MaxFieldCharacters + 1, [&](std::string_view word, std::string_view meaning) {
            known.insert(composeEntryLine(word, meaning));
        });
    } catch (const RuntimeError &e) {
        return failed(ImportResult::DictionaryUnusable, e.detail());
    }
    Collector collector(options, result, std::max(0LL, MaxEntries - mark.lines));
    collector.known = std::move(known);
    if (std::string reason = reader.read(collector); !reason.empty())
        return failed(ImportResult::SourceUnreadable, std::move(reason));
    if (result.problems.count() > 0 && !options.skipBad) {
        result.status = ImportResult::BadRecords;
        return result;
    }
    if (collector.fresh > MaxEntries - mark.lines) {
        result.status = ImportResult::DictionaryFull;
        result.room = std::max(0LL, MaxEntries - mark.lines);
        return result;
    }
    struct stat st;
    const bool existed = ::stat(dictionary.c_str(), &st) == 0;
    std::vector<EntryBytes> &entries = collector.entries;
    const AppendResult append = retryWhileLocked([&] { return appendEntries(dictionary, entries, &mark); });
    // A dictionary made for this import alone goes again when nothing came of it.
    if (append.outcome != AppendOutcome::Appended && !existed && ::stat(dictionary.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_size == 0)
        ::unlink(dictionary.c_str());
    switch (append.outcome) {
    case AppendOutcome::Appended:
        // Pairs another writer appended meanwhile are dropped as the dictionary's own.
        result.added = static_cast<long long>(entries.size());
        result.already += collector.fresh - result.added;
        break;
    case AppendOutcome::DictionaryFull:
        result.status = ImportResult::DictionaryFull;
        result.room = append.room;
        break;
    case AppendOutcome::Locked:
    case AppendOutcome::NotWritten:
        result.status = ImportResult::NotWritten;
        result.reason = append.reason;
        break;
    }
    return result;
}

} // namespace tamberlo::wordlists
