// Dictionary core timings on a full dictionary: 32767 entries, about 1 MB of code page 932.
// Run with --write-dictionary=PATH to get the same file for comparisons outside this program, or
// with --count=PATH for the time one count of any file takes (best of three), as a yardstick.
#include "dictionary/cp932.h"
#include "dictionary/dictionaryfile.h"
#include "tempdir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string fullDictionary()
{
    // Meanings as a real list has them: a few kanji and kana, some longer than others.
    const char *meanings[] = {"犬", "走る、駆ける", "美しい", "図書館", "ｱｲｳ", "①番目の意味"};
    std::string bytes;
    for (int i = 1; i <= tamberlo::MaxEntries; ++i) {
        bytes += "vocabulary" + std::to_string(i) + "<>";
        bytes += tamberlo::encodeCp932(meanings[i % 6]).bytes;
        if (i % 3 == 0)
            bytes += tamberlo::encodeCp932("、その例文です").bytes;
        bytes += "\r\n";
    }
    return bytes;
}

struct Fixture {
    TempFolder folder{"tamberlo-bench"};
    std::string bytes = fullDictionary();
    std::string path = folder.write("full.tmb", bytes);
};

const Fixture &fixture()
{
    static const Fixture f;
    return f;
}

void CountEntries(benchmark::State &state)
{
    const auto &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(tamberlo::countEntries(f.path));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(f.bytes.size()));
}
BENCHMARK(CountEntries)->Unit(benchmark::kMillisecond);

// The drill's read: the line scanned, word and meaning split as the bytes pass.
void ReadEntryPieces(benchmark::State &state)
{
    const auto &f = fixture();
    const auto n = static_cast<std::int16_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(tamberlo::readEntryPieces(f.path, n));
}
BENCHMARK(ReadEntryPieces)->Arg(1)->Arg(16384)->Arg(32767)->Unit(benchmark::kMillisecond);

void DecodeCp932(benchmark::State &state)
{
    const auto &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(tamberlo::decodeCp932(f.bytes));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(f.bytes.size()));
}
BENCHMARK(DecodeCp932)->Unit(benchmark::kMillisecond);

// One line at a time, as the drill decodes: here the per-call cost shows.
void DecodeCp932Line(benchmark::State &state)
{
    const std::string line = "beautiful<>" + tamberlo::encodeCp932("美しい、きれいな").bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(tamberlo::decodeCp932(line));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
}
BENCHMARK(DecodeCp932Line);

void EncodeCp932Entry(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(tamberlo::encodeCp932("美しい、きれいな"));
}
BENCHMARK(EncodeCp932Entry);

// Appends per second to a 1000-entry dictionary (with fsync, so the file system decides much of it:
// TMPDIR=/dev/shm shows the cost of the program's own work). Arg 1: a second process appends to the
// same file all the while, as another instance of the program would.
void AppendEntry(benchmark::State &state)
{
    const TempFolder folder{"tamberlo-bench"};
    const std::string path = folder.file("append.tmb");
    std::string base;
    for (int i = 0; i < 1000; ++i)
        base += "word" + std::to_string(i) + "<>" + tamberlo::encodeCp932("意味").bytes + "\r\n";
    writeBytes(path, base);

    pid_t rival = -1;
    if (state.range(0) == 1) {
        rival = ::fork();
        if (rival == 0) {
            for (;;)
                tamberlo::appendEntry(path, "rival", "競争");
        }
    }
    int sinceReset = 0;
    for (auto _ : state) {
        tamberlo::appendEntry(path, "vocabulary", "語彙");
        // Kept near its starting size, so that every append counts about the same file.
        if (++sinceReset == 500) {
            state.PauseTiming();
            ::truncate(path.c_str(), static_cast<off_t>(base.size()));
            sinceReset = 0;
            state.ResumeTiming();
        }
    }
    if (rival > 0) {
        ::kill(rival, SIGKILL);
        ::waitpid(rival, nullptr, 0);
    }
    state.counters["appends/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(AppendEntry)->ArgName("rival")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    constexpr std::string_view write = "--write-dictionary=";
    constexpr std::string_view count = "--count=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg.substr(0, write.size()) == write) {
            writeBytes(argv[i] + write.size(), fullDictionary());
            return 0;
        }
        if (arg.substr(0, count.size()) == count) {
            double best = 1e300;
            for (int run = 0; run < 3; ++run) {
                const auto start = std::chrono::steady_clock::now();
                try {
                    tamberlo::countEntries(argv[i] + count.size());
                } catch (const std::exception &) { // Overflow: counted all the same
                }
                best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            }
            std::printf("%.0f\n", best);
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
