// Dictionary core timings on a full dictionary: 32767 entries, about 1 MB of code page 932.
// Run with --write-dictionary=PATH to get the same file for comparisons outside this program.
#include "cp932.h"
#include "dictionaryfile.h"
#include "tempdir.h"

#include <benchmark/benchmark.h>

#include <string>

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

void ReadEntry(benchmark::State &state)
{
    const auto &f = fixture();
    const auto n = static_cast<std::int16_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(tamberlo::readEntry(f.path, n));
}
BENCHMARK(ReadEntry)->Arg(1)->Arg(16384)->Arg(32767)->Unit(benchmark::kMillisecond);

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

} // namespace

int main(int argc, char **argv)
{
    constexpr std::string_view option = "--write-dictionary=";
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).substr(0, option.size()) == option) {
            writeBytes(argv[i] + option.size(), fullDictionary());
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
