#include "wordlists/source.h"

#include "dictionary/blockreader.h"
#include "dictionary/posixfile.h"
#include "dictionary/systemreason.h"
#include "wordlists/ankipackage.h"
#include "wordlists/delimitedtext.h"
#include "wordlists/kvtml.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tamberlo::wordlists {

namespace {

constexpr std::size_t HeadBytes = 4096;

// What a source is, told by its first bytes: a line for each kind of word list.
Format formatOf(std::string_view head)
{
    std::string_view text = head.substr(head.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    text.remove_prefix(std::min(text.find_first_not_of(" \t\r\n"), text.size()));
    const auto startsWithNoCase = [&](std::string_view prefix) {
        return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
                   return a == std::tolower(static_cast<unsigned char>(b));
               });
    };
    if (head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06") ||
        head.starts_with(std::string_view("SQLite format 3\0", 16)))
        return Format::Anki;
    if (startsWithNoCase("<?xml") || startsWithNoCase("<!doctype") || startsWithNoCase("<kvtml"))
        return Format::Kvtml;
    return Format::Text;
}

} // namespace

Source::Source() = default;
Source::~Source() = default;

std::string Source::open(const std::string &path)
{
    int fd = STDIN_FILENO;
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
    m_fd = fd;
    if (!S_ISREG(st.st_mode) || ::lseek(fd, 0, SEEK_SET) != 0)
        if (std::string reason = spool(fd); !reason.empty())
            return reason;
    m_head.resize(HeadBytes);
    const ssize_t n = retryOnEintr([&] { return ::pread(m_fd, m_head.data(), HeadBytes, 0); });
    if (n < 0)
        return systemReason(errno);
    m_head.resize(static_cast<std::size_t>(n));
    return {};
}

std::string Source::spool(int from)
{
    const char *dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/tamberlo-dict-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return "一時ファイルを作れません: " + systemReason(errno);
    ::unlink(pattern.c_str());
    m_file = std::make_unique<File>(fd);
    m_fd = fd;
    BlockReader reader(from);
    for (; reader.available(); reader.skipAll())
        for (const char *at = reader.begin(); at < reader.end();) {
            const ssize_t n = retryOnEintr([&] { return ::write(fd, at, static_cast<std::size_t>(reader.end() - at)); });
            if (n <= 0)
                return "一時ファイルに書けません: " + systemReason(n < 0 ? errno : EIO);
            at += n;
        }
    return reader.error() == 0 ? std::string() : systemReason(reader.error());
}

std::unique_ptr<Reader> readerFor(const Source &source, const ReadOptions &options, std::string &refusal)
{
    const std::string_view head = source.head();
    switch (options.format.value_or(formatOf(head))) {
    case Format::Anki: return std::make_unique<AnkiPackage>(source.fd(), options);
    case Format::Kvtml: return std::make_unique<Kvtml>(source.fd(), options);
    case Format::Text: break;
    }
    if (!options.encoding && !head.starts_with("\xFF\xFE") && !head.starts_with("\xFE\xFF") &&
        head.find('\0') != std::string_view::npos && !utf16WithoutMark(head)) {
        refusal = "単語リストではなくバイナリデータのようです（NULバイトがあります。"
                  "テキストなら --encoding で文字コードを指定してください）";
        return nullptr;
    }
    return std::make_unique<DelimitedText>(source.fd(), options);
}

} // namespace tamberlo::wordlists
