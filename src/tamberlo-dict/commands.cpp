#include "tamberlo-dict/commands.h"

#include "dictionary/blockreader.h"
#include "dictionary/cp932.h"
#include "dictionary/dictionarycheck.h"
#include "dictionary/dictionaryfile.h"
#include "dictionary/entryformat.h"
#include "dictionary/posixfile.h"
#include "dictionary/runtimeerror.h"
#include "dictionary/systemreason.h"
#include "dictionary/utf8.h"
#include "dictionary/wordlistimport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace tamberlo::dict {

namespace {

constexpr const char *Program = "tamberlo-dict";

std::string shown(const std::string &path) { return path == "-" ? "-" : utf8::sanitized(path); }

// FILE:LINE: reason, as compilers write it, so that an editor can jump to the line.
void problem(const std::string &file, long long line, const std::string &reason)
{
    std::fprintf(stderr, "%s:%lld: %s\n", shown(file).c_str(), line, reason.c_str());
}

int failed(const std::string &file, const std::string &reason)
{
    std::fprintf(stderr, "%s: %s: %s\n", Program, shown(file).c_str(), reason.c_str());
    return Failed;
}

void summary(const std::string &text) { std::fprintf(stderr, "%s\n", text.c_str()); }

std::string count(long long n) { return std::to_string(n) + "件"; }

// The source, open for reading from the start as often as needed: standard input and pipes are
// first copied to an unnamed temporary file.
class Source {
public:
    // Empty, or why the source cannot be read.
    std::string open(const std::string &path)
    {
        int fd = 0;
        if (path != "-") {
            fd = openPath(path, O_RDONLY);
            if (fd < 0)
                return systemReason(errno);
            m_file = std::make_unique<File>(fd);
        }
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return systemReason(errno);
        if (S_ISDIR(st.st_mode))
            return systemReason(EISDIR);
        if (S_ISREG(st.st_mode) && ::lseek(fd, 0, SEEK_SET) == 0) {
            m_fd = fd;
            return {};
        }
        return spool(fd);
    }

    int fd() const { return m_fd; }

private:
    std::string spool(int from)
    {
        const char *dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/tamberlo-dict-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            return "一時ファイルを作れません: " + systemReason(errno);
        ::unlink(pattern.c_str());
        m_spool = std::make_unique<File>(fd);
        m_fd = fd;
        BlockReader reader(from);
        while (reader.available()) {
            const std::string_view block(reader.begin(), static_cast<std::size_t>(reader.end() - reader.begin()));
            for (std::size_t done = 0; done < block.size();) {
                const ssize_t n = retryOnEintr([&] { return ::write(fd, block.data() + done, block.size() - done); });
                if (n <= 0)
                    return "一時ファイルに書けません: " + systemReason(n < 0 ? errno : EIO);
                done += static_cast<std::size_t>(n);
            }
            reader.skipAll();
        }
        return reader.error() == 0 ? std::string() : systemReason(reader.error());
    }

    std::unique_ptr<File> m_file;
    std::unique_ptr<File> m_spool;
    int m_fd = -1;
};

bool exists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

int importList(const std::string &sourcePath, const std::string &dictionary, const ImportOptions &options)
{
    Source source;
    if (const std::string reason = source.open(sourcePath); !reason.empty())
        return failed(sourcePath, reason);
    // Appending to the list being read would read its own new lines back.
    struct stat from;
    struct stat to;
    if (::fstat(source.fd(), &from) == 0 && ::stat(dictionary.c_str(), &to) == 0 && from.st_dev == to.st_dev &&
        from.st_ino == to.st_ino)
        return failed(dictionary, "元のファイルと同じファイルです（別の名前の新しい辞書に取り込んでください）");

    SourceEncoding encoding = SourceEncoding::Utf8;
    if (options.encoding) {
        encoding = *options.encoding;
    } else {
        int err = 0;
        encoding = detectEncoding(source.fd(), err);
        if (err != 0)
            return failed(sourcePath, systemReason(err));
    }

    // Every line that cannot become an entry is listed before anything is written.
    long long bad = 0;
    WordListStream stream(source.fd(), encoding, options.separator, [&](const WordListEntry &entry) {
        if (entry.problem.empty())
            return;
        ++bad;
        problem(sourcePath, entry.line, entry.problem);
    });
    if (const int err = stream.run(); err != 0)
        return failed(sourcePath, systemReason(err));
    if (bad > 0 && !options.skipBad) {
        summary("問題のある行が" + std::to_string(bad) + "行あります。辞書には何も書き込んでいません"
                "（直して実行し直すか、--skip-bad で残りを取り込めます）");
        return ContentProblems;
    }

    const bool existed = exists(dictionary);
    ImportBatch batch(source.fd(), encoding, options.separator);
    // The lock is tried once per append; another program holds it for a moment at most.
    const AppendResult result = retryWhileLocked([&] { return appendEntries(dictionary, batch); });
    if (result.outcome != AppendOutcome::Appended && !existed) {
        struct stat st;
        if (::stat(dictionary.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
            ::unlink(dictionary.c_str());
    }
    switch (result.outcome) {
    case AppendOutcome::Appended:
        break;
    case AppendOutcome::DictionaryFull:
        return failed(dictionary, "辞書に入りきりません: 新しい項目のうち入るのは" + count(result.room) +
                                      "までです（上限32767件）。何も書き込んでいません");
    case AppendOutcome::Locked:
    case AppendOutcome::NotWritten:
        return failed(dictionary, "書き込めませんでした: " + result.reason);
    }
    std::string text = count(batch.added()) + "追加しました";
    if (batch.already() > 0)
        text += "（" + count(batch.already()) + "はすでにありました）";
    if (bad > 0)
        text += "。問題のある" + std::to_string(bad) + "行は取り込んでいません";
    summary(text);
    return Done;
}

int checkDictionary(const std::string &dictionary)
{
    DictionaryCheck check([&](const CheckFinding &f) {
        problem(dictionary, f.line, (f.warning ? "警告: " : "") + f.reason);
    });
    try {
        checkDictionaryFile(dictionary, check);
    } catch (const RuntimeError &e) {
        return failed(dictionary, e.detail());
    }
    const std::string warnings = check.warnings() > 0 ? "（警告" + count(check.warnings()) + "）" : "";
    if (check.lines() == 0) {
        summary("辞書は空です（暗記は項目がひとつもないと始められません）");
        return Done;
    }
    if (check.showable()) {
        summary("問題はありません: 暗記は全" + std::to_string(check.lines()) + "項目を表示できます" + warnings);
        return Done;
    }
    summary("暗記で表示できない行があります: 問題" + count(check.errors()) + warnings + "、全" +
            std::to_string(check.lines()) + "行");
    return ContentProblems;
}

namespace {

// A field that would not come back whole unquoted is quoted, RFC 4180 style: one holding the
// separator, a tab, a quote or a line break, or starting with "#" as a header line would.
void appendField(std::string &out, const std::string &text, char separator)
{
    const bool quote = text.find_first_of(std::string("\t\"\r\n") + separator) != std::string::npos ||
                       (!text.empty() && text.front() == '#');
    if (!quote) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// Standard output as it is, or a named file written beside itself and renamed over it once
// complete, so that a failed export never leaves half a file.
class Output {
public:
    ~Output()
    {
        if (!m_temporary.empty())
            ::unlink(m_temporary.c_str());
    }

    std::string open(const std::string &path)
    {
        if (path.empty() || path == "-") {
            m_fd = STDOUT_FILENO;
            return {};
        }
        m_path = path;
        m_temporary = path + ".XXXXXX";
        m_fd = ::mkstemp(m_temporary.data());
        if (m_fd < 0) {
            m_temporary.clear();
            return systemReason(errno);
        }
        m_file = std::make_unique<File>(m_fd);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(m_fd, 0666 & ~mask);
        return {};
    }

    bool write(std::string &pending, bool all)
    {
        if (!all && pending.size() < 64 * 1024)
            return true;
        for (std::size_t done = 0; done < pending.size();) {
            const ssize_t n = retryOnEintr([&] { return ::write(m_fd, pending.data() + done, pending.size() - done); });
            if (n <= 0) {
                m_error = n < 0 ? errno : EIO;
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        pending.clear();
        return true;
    }

    // Empty, or why the output could not be completed.
    std::string finish()
    {
        if (m_error != 0)
            return systemReason(m_error);
        if (m_path.empty())
            return {};
        if (::fsync(m_fd) != 0 && errno != EINVAL)
            return systemReason(errno);
        if (::rename(m_temporary.c_str(), m_path.c_str()) != 0)
            return systemReason(errno);
        m_temporary.clear();
        return {};
    }

private:
    std::string m_path;
    std::string m_temporary;
    std::unique_ptr<File> m_file;
    int m_fd = -1;
    int m_error = 0;
};

} // namespace

int exportDictionary(const std::string &dictionary, const std::string &outputPath, bool csv, bool skipBad)
{
    // First the lines that would not come back whole: what the drill cannot show, and what an
    // import would refuse or change.
    std::vector<bool> blocked(MaxEntries + 2);
    long long blockedLines = 0;
    bool tooMany = false;
    auto block = [&](long long line, const std::string &reason) {
        problem(dictionary, line, reason);
        if (line >= 0 && line < static_cast<long long>(blocked.size()) && !blocked[static_cast<std::size_t>(line)]) {
            blocked[static_cast<std::size_t>(line)] = true;
            ++blockedLines;
        }
    };
    bool lineHasLf = false;
    DictionaryCheck check([&](const CheckFinding &f) {
        const bool blocks = !f.warning || f.kind == Finding::ExtraSeparator || f.kind == Finding::EmptyPiece ||
                            (f.kind == Finding::LongPiece && f.characters > MaxFieldCharacters);
        if (f.kind == Finding::TooManyLines)
            tooMany = true;
        else if (blocks)
            block(f.line, f.reason);
    });
    try {
        const long long lines = readLines(
            dictionary, MaxEntries,
            [&](std::string_view bytes) {
                lineHasLf = lineHasLf || bytes.find('\n') != std::string_view::npos;
                check.take(bytes);
            },
            [&] {
                check.endLine();
                // Each line holding an LF, not only the first that check names.
                if (std::exchange(lineHasLf, false) && !blocked[static_cast<std::size_t>(check.lines())])
                    block(check.lines(), "LFがあります（改行が途中にある項目は書き出せません）");
            });
        if (lines > MaxEntries)
            check.tooManyLines();
    } catch (const RuntimeError &e) {
        return failed(dictionary, e.detail());
    }
    if (tooMany) {
        problem(dictionary, MaxEntries + 1, "32767行を超えています（暗記はこの辞書を開けません）");
        summary("何も書き出していません");
        return ContentProblems;
    }
    if (blockedLines > 0 && !skipBad) {
        summary("書き出せない行が" + std::to_string(blockedLines) + "行あります。何も書き出していません"
                "（--skip-bad で残りを書き出せます）");
        return ContentProblems;
    }

    Output output;
    if (const std::string reason = output.open(outputPath); !reason.empty())
        return failed(outputPath, reason);
    const char separator = csv ? ',' : '\t';
    std::string pending;
    long long line = 0;
    long long written = 0;
    bool ok = true;
    EntrySplitter splitter(2, 2 * MaxFieldCharacters + 2);
    try {
        readLines(dictionary, MaxEntries, [&](std::string_view bytes) { splitter.take(bytes); },
                  [&] {
                      const std::vector<std::string> pieces =
                          std::exchange(splitter, EntrySplitter(2, 2 * MaxFieldCharacters + 2)).finish();
                      if (!ok || blocked[static_cast<std::size_t>(++line)] || pieces.size() < 2)
                          return;
                      appendField(pending, decodeCp932(pieces[0]), separator);
                      pending += separator;
                      appendField(pending, decodeCp932(pieces[1]), separator);
                      pending += '\n';
                      ++written;
                      ok = output.write(pending, false);
                  });
    } catch (const RuntimeError &e) {
        return failed(dictionary, e.detail());
    }
    if (ok)
        output.write(pending, true);
    if (const std::string reason = output.finish(); !reason.empty())
        return failed(outputPath.empty() ? "-" : outputPath, "書き出せませんでした: " + reason);
    std::string text = count(written) + "書き出しました";
    if (blockedLines > 0)
        text += "（書き出せない" + std::to_string(blockedLines) + "行を除く）";
    summary(text);
    return Done;
}

} // namespace tamberlo::dict
