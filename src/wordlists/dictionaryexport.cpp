#include "wordlists/dictionaryexport.h"

#include "dictionary/dictionaryfile.h"
#include "dictionary/posixfile.h"
#include "dictionary/runtimeerror.h"
#include "dictionary/systemreason.h"
#include "wordlists/record.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace tamberlo::wordlists {

namespace {

// A field that would not come back whole unquoted is quoted: one holding the separator, a quote or a
// control character (a tab, a line break), or starting as a header line or another kind of file would.
void appendField(std::string &out, const std::string &text, char separator)
{
    const bool quote = text.starts_with('#') || text.starts_with('<') ||
                       std::any_of(text.begin(), text.end(), [&](char c) {
                           return c == separator || c == '"' || static_cast<unsigned char>(c) < 0x20;
                       });
    if (!quote) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text)
        out.append(c == '"' ? 2 : 1, c);
    out += '"';
}

// Standard output, or a file written beside its name and renamed over it once complete.
class Output {
public:
    ~Output()
    {
        if (!m_temporary.empty())
            ::unlink(m_temporary.c_str());
    }

    std::string open(const std::string &path)
    {
        if (path.empty() || path == "-")
            return {};
        m_temporary = path + ".XXXXXX";
        if ((m_fd = ::mkstemp(m_temporary.data())) < 0)
            return m_temporary.clear(), systemReason(errno);
        m_file = std::make_unique<File>(m_fd);
        m_path = path;
        const mode_t mask = ::umask(0); // mkstemp's 0600 would hide an export from the user's other programs
        ::umask(mask);
        ::fchmod(m_fd, 0666 & ~mask);
        return {};
    }

    // Writes what is pending once there is enough of it, or all of it.
    void write(std::string &pending, bool all)
    {
        for (std::size_t done = 0; m_error == 0 && (all || pending.size() >= 64 * 1024) && done < pending.size();) {
            const ssize_t n = retryOnEintr([&] { return ::write(m_fd, pending.data() + done, pending.size() - done); });
            m_error = n < 0 ? errno : n == 0 ? EIO : 0;
            if ((done += static_cast<std::size_t>(std::max<ssize_t>(n, 0))) == pending.size())
                pending.clear();
        }
    }

    // Empty, or why the output could not be completed.
    std::string finish()
    {
        if (m_error == 0 && !m_path.empty() && ::fsync(m_fd) != 0 && errno != EINVAL)
            m_error = errno;
        if (m_error == 0 && !m_path.empty() && ::rename(m_temporary.c_str(), m_path.c_str()) != 0)
            m_error = errno;
        if (m_error == 0)
            m_temporary.clear();
        return m_error == 0 ? std::string() : systemReason(m_error);
    }

private:
    std::string m_path;
    std::string m_temporary;
    std::unique_ptr<File> m_file;
    int m_fd = STDOUT_FILENO;
    int m_error = 0;
};

} // namespace

bool exportable(const CheckedLine &line)
{
    const auto fits = [](std::size_t n) { return n > 0 && n <= MaxFieldCharacters; };
    return line.pieces == 2 && line.lfColumn == 0 && line.nulColumn == 0 && line.invalidColumn == 0 && !line.utf8 &&
           fits(line.characters[0]) && fits(line.characters[1]);
}

ExportResult exportDictionary(const std::string &dictionary, const std::string &output, bool csv, bool skipBad)
{
    ExportResult result;
    try {
        // First the lines that would not come back whole, named with what the check says of them.
        bool lfSaid = false;
        const bool whole = readCheckedLines(dictionary, false, [&](const CheckedLine &line) {
            if (exportable(line))
                return;
            ++result.blocked;
            bool named = false;
            for (const CheckFinding &finding : findings(line, lfSaid))
                if (finding.kind != Finding::LongPiece || finding.characters > MaxFieldCharacters)
                    result.problems.add(line.number, finding.reason), named = true;
            // Only a line whose LF was said of an earlier one goes unnamed so far.
            if (!named)
                result.problems.add(line.number, "LFがあります（改行が途中にある項目は書き出せません）");
        });
        if (!whole) {
            result.problems.add(MaxEntries + 1, tooManyLines().reason);
            result.status = ExportResult::TooManyLines;
            return result;
        }
        if (result.blocked > 0 && !skipBad) {
            result.status = ExportResult::Blocked;
            return result;
        }
        Output out;
        if (std::string reason = out.open(output); !reason.empty()) {
            result.status = ExportResult::OutputFailed;
            result.reason = std::move(reason);
            return result;
        }
        const char separator = csv ? ',' : '\t';
        std::string pending;
        readCheckedLines(dictionary, true, [&](const CheckedLine &line) {
            if (!exportable(line))
                return;
            appendField(pending, line.text[0], separator);
            pending += separator;
            appendField(pending, line.text[1], separator);
            pending += '\n';
            ++result.written;
            out.write(pending, false);
        });
        out.write(pending, true);
        if (std::string reason = out.finish(); !reason.empty()) {
            result.status = ExportResult::OutputFailed;
            result.reason = "書き出せませんでした: " + reason;
        }
    } catch (const RuntimeError &e) {
        result.status = ExportResult::DictionaryUnusable;
        result.reason = e.detail();
    }
    return result;
}

} // namespace tamberlo::wordlists
