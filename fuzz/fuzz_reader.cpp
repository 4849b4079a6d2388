// The input is a dictionary file. Counting, reading and appending must agree with a plain
// byte-by-byte reading of the line rule, whatever the bytes.
#include "cp932.h"
#include "dictionaryfile.h"
#include "entryformat.h"
#include "runtimeerror.h"
#include "tempdir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The reference: a line ends at CR LF or a lone CR; text after the last line end is one more line.
std::vector<std::string> referenceLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            lines.push_back(current);
            current.clear();
            pending = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            current += bytes[i];
            pending = true;
        }
    }
    if (pending)
        lines.push_back(current);
    return lines;
}

// One scratch dictionary for the whole run, removed at exit.
const std::string &scratchFile()
{
    static const TempFolder folder("tamberlo-fuzz");
    static const std::string file = folder.file("d.tmb");
    return file;
}

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_reader: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::string &path = scratchFile();
    writeBytes(path, bytes);

    const auto lines = referenceLines(bytes);
    if (lines.size() > tamberlo::MaxEntries) {
        try {
            tamberlo::countEntries(path);
            check(false, "more than 32767 lines counted without overflow");
        } catch (const tamberlo::RuntimeError &e) {
            check(e.kind() == tamberlo::ErrorKind::Overflow, "wrong error for too many lines");
        }
        return 0;
    }
    const auto n = static_cast<std::int16_t>(lines.size());
    check(tamberlo::countEntries(path) == n, "count differs from the line rule");
    // First, last and a few between: reading every line of a big input would starve the fuzzer.
    for (std::size_t k = 1; k <= lines.size(); k = k < 8 ? k + 1 : k * 3)
        check(tamberlo::readEntry(path, static_cast<std::int16_t>(k)) == tamberlo::decodeCp932(lines[k - 1]),
              "entry differs from the line rule");
    if (n > 0)
        check(tamberlo::readEntry(path, n) == tamberlo::decodeCp932(lines.back()), "last entry differs");
    if (n < tamberlo::MaxEntries) {
        try {
            tamberlo::readEntry(path, static_cast<std::int16_t>(n + 1));
            check(false, "read past the last line");
        } catch (const tamberlo::RuntimeError &e) {
            check(e.kind() == tamberlo::ErrorKind::InputPastEndOfFile, "wrong error past the end");
        }

        // Appending keeps every earlier line and adds exactly one.
        tamberlo::appendEntry(path, "dog", "犬");
        const std::string after = fileBytes(path);
        check(after.compare(0, bytes.size(), bytes) == 0, "append changed earlier bytes");
        check(tamberlo::countEntries(path) == n + 1, "append did not add exactly one line");
        check(tamberlo::readEntry(path, static_cast<std::int16_t>(n + 1)) == "dog<>犬", "appended entry differs");
        if (n > 0)
            check(tamberlo::readEntry(path, n) == tamberlo::decodeCp932(lines.back()), "append changed the last line");
    }
    return 0;
}
