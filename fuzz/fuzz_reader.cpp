// The input is a dictionary file. What the drill reads of an entry, streamed in blocks of any size,
// must be what reading the whole line, splitting it and cutting the pieces gives, failures included;
// counting and appending must agree with the line rule.
#include "fuzzcheck.h"
#include "dictionary/cp932.h"
#include "dictionary/dictionaryfile.h"
#include "dictionary/shownpiece.h"
#include "dictionary/runtimeerror.h"
#include "tempdir.h"
#include "wholeline.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using tamberlo::ErrorKind;
using tamberlo::RuntimeError;

const std::string &scratchFile()
{
    static const std::string file = scratch().file("d.tmb");
    return file;
}

// What an operation gave, a value or a run-time error, in a form that compares.
struct Outcome {
    std::vector<std::string> pieces;
    bool failed = false;
    ErrorKind kind{};
    long line = 0;
    std::string detail;
    bool operator==(const Outcome &) const = default;
};

template <typename F>
Outcome outcomeOf(F &&operation)
{
    try {
        return {operation()};
    } catch (const RuntimeError &e) {
        return {{}, true, e.kind(), e.line(), e.detail()};
    }
}

// Word and meaning as the drill asks for them, each a value or the drill's subscript error.
std::vector<Outcome> drillView(const std::vector<std::string> &pieces, std::int16_t n)
{
    std::vector<Outcome> view;
    for (std::size_t i : {0u, 1u})
        view.push_back(outcomeOf([&] { return std::vector{tamberlo::entryPiece(pieces, i, scratchFile(), n)}; }));
    return view;
}

// Entry n streamed in blocks of blockSize against the file's whole line n split and cut.
void checkEntry(const std::vector<std::string> &lines, std::int16_t n, std::size_t blockSize)
{
    const std::string &path = scratchFile();
    const Outcome streamed = outcomeOf([&] { return tamberlo::readEntryPieces(path, n, blockSize); });
    if (n < 1 || static_cast<std::size_t>(n) > lines.size()) {
        const ErrorKind kind = n < 1 ? ErrorKind::SubscriptOutOfRange : ErrorKind::InputPastEndOfFile;
        check(streamed.failed && streamed.kind == kind && streamed.line == n, "wrong error for a line not in the file");
        return;
    }
    const auto whole = tamberlo::shownPieces(tamberlo::decodeCp932(lines[static_cast<std::size_t>(n) - 1]));
    check(!streamed.failed, "an existing line failed");
    check(streamed.pieces == whole, "streamed pieces differ from the whole line split and cut");
    check(drillView(streamed.pieces, n) == drillView(whole, n), "word or meaning differs from the whole line's");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::string &path = scratchFile();
    writeBytes(path, bytes);
    // Small blocks put block edges everywhere: inside CR LF, between "<" and ">", inside a character.
    // They grow with the input, so that a big one costs hundreds of reads, not tens of thousands.
    const std::size_t blockSize = (size == 0 ? 1 : 1 + data[size - 1] % 16) + size / 256;

    const auto lines = tamberlo::wholeLines(bytes); // the reference: one pass, byte by byte
    if (lines.size() > tamberlo::MaxEntries) {
        const Outcome counted = outcomeOf([&] { return std::vector{std::to_string(tamberlo::countEntries(path))}; });
        check(counted.failed && counted.kind == ErrorKind::Overflow, "more than 32767 lines counted without overflow");
        return 0;
    }
    const auto n = static_cast<std::int16_t>(lines.size());
    check(tamberlo::countEntries(path) == n, "count differs from the line rule");
    checkEntry(lines, 0, blockSize);
    // First, last and a few between: reading every line of a big input would starve the fuzzer.
    for (std::size_t k = 1; k <= lines.size(); k = k < 8 ? k + 1 : k * 3)
        checkEntry(lines, static_cast<std::int16_t>(k), blockSize);
    checkEntry(lines, n, blockSize);
    checkEntry(lines, n, tamberlo::ReadBlockSize);
    if (n < tamberlo::MaxEntries) {
        checkEntry(lines, static_cast<std::int16_t>(n + 1), blockSize);

        // Appending keeps every earlier line and adds exactly one.
        tamberlo::appendEntry(path, "dog", "犬");
        const std::string after = fileBytes(path);
        check(after.compare(0, bytes.size(), bytes) == 0, "append changed earlier bytes");
        check(tamberlo::countEntries(path) == n + 1, "append did not add exactly one line");
        const auto added = static_cast<std::int16_t>(n + 1);
        check(tamberlo::readEntryPieces(path, added, blockSize) == std::vector<std::string>{"dog", "犬"},
              "appended entry differs");
        if (n > 0)
            checkEntry(lines, n, blockSize);
    }
    return 0;
}
