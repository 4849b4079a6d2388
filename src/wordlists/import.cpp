#include "wordlists/import.h"

#include "dictionary/newentry.h"
#include "dictionary/runtimeerror.h"
#include "dictionary/utf8.h"
#include "wordlists/source.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace tamberlo::wordlists {

namespace {

std::string fieldProblem(const Field &field, const char *what, const char *encoding, std::string &bytes)
{
    if (field.characters > MaxFieldCharacters)
        return std::string(what) + "が長すぎます（" + std::to_string(field.characters) + "文字。" +
               std::to_string(MaxFieldCharacters) + "文字まで）";
    if (field.text.empty())
        return std::string(what) + "が空です";
    const TextFault fault = textFault(field.text, &bytes);
    const auto column = [&] {
        if (field.column == 0)
            return std::string();
        const auto before = utf8::characters(std::string_view(field.text).substr(0, fault.at));
        return "（" + std::to_string(field.column + static_cast<long long>(before)) + "列目）";
    };
    switch (fault.kind) {
    case TextFault::None:
        return {};
    case TextFault::Separator:
        return std::string(what) + "に「<>」があります" + column();
    case TextFault::LineBreak:
        return std::string(what) + "に改行があります";
    case TextFault::Nul:
        return std::string(what) + "にNUL文字があります" + column();
    case TextFault::Unencodable:
        break;
    }
    if (fault.character == utf8::Replacement)
        return std::string(what) + "に" + encoding + "として読めないバイトがあります" + column();
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X ", static_cast<unsigned>(fault.character));
    std::string shown;
    utf8::append(shown, fault.character);
    return std::string(what) + "にコードページ932で表せない文字があります: " + code + shown + column();
}

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
        if (problem.empty() && record.fields.size() < needed)
            problem = std::to_string(needed) + "番目のフィールドがありません";
        if (problem.empty())
            problem = checkEntry(record.fields[m_options.wordField], record.fields[m_options.meaningField],
                                 record.encoding, m_entry);
        if (!problem.empty())
            return m_result.problems.add(record.location, std::move(problem));
        m_key.clear();
        appendEntryLine(m_key, m_entry.word, m_entry.meaning);
        if (known.contains(m_key))
            ++m_result.already;
        else if (++fresh <= m_room)
            entries.push_back(m_entry);
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
    EntryBytes m_entry; // reused, so that a list of millions of lines costs no allocation a line
    std::string m_key;
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

std::string checkEntry(const Field &word, const Field &meaning, const char *encoding, EntryBytes &entry)
{
    if (std::string problem = fieldProblem(word, "語", encoding, entry.word); !problem.empty())
        return problem;
    return fieldProblem(meaning, "意味", encoding, entry.meaning);
}

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
