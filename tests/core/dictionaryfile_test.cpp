#include "dictionary/dictionaryfile.h"
#include "dictionary/runtimeerror.h"
#include "caught.h"
#include "childprocess.h"
#include "dictionary/systemreason.h"
#include "tempdir.h"
#include "wholeline.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tamberlo;
using namespace std::string_literals;

namespace {

// 犬 and 表 in code page 932; 表 has 0x5C ('\') as its trail byte.
const std::string Inu = "\x8C\xA2";
const std::string Hyou = "\x95\x5C";

// Just below the reader's block size, so a line end can straddle two blocks.
const std::string Fill(64 * 1024 - 1, 'x');

struct LineRow {
    std::string name;
    std::string bytes;
    std::vector<std::string> lines; // what reading entry 1, 2, ... gives back (UTF-8)
};

std::string rowName(const testing::TestParamInfo<LineRow> &info) { return info.param.name; }

class LineRule : public RowInFolder<LineRow> {};

TEST_P(LineRule, CountsAndReadsEveryLine)
{
    const auto &row = GetParam();
    const std::string path = dir.write("d.tmb", row.bytes);
    ASSERT_EQ(countEntries(path), static_cast<int>(row.lines.size()));
    for (std::size_t n = 1; n <= row.lines.size(); ++n)
        EXPECT_EQ(readEntryPieces(path, static_cast<std::int16_t>(n)), shownPieces(row.lines[n - 1])) << "entry " << n;
}

TEST_P(LineRule, ReadingOneLinePastTheLastFails)
{
    const auto &row = GetParam();
    const std::string path = dir.write("d.tmb", row.bytes);
    const auto n = static_cast<std::int16_t>(row.lines.size() + 1);
    try {
        readEntryPieces(path, n);
        FAIL() << "read entry " << n << " gave a line";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::InputPastEndOfFile);
        EXPECT_EQ(e.path(), path);
        EXPECT_EQ(e.line(), n);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LineRule, testing::Values(
    LineRow{"empty_file", "", {}},
    LineRow{"one_entry", "dog<>" + Inu + "\r\n", {"dog<>犬"}},
    LineRow{"three_lines", "one\r\ntwo\r\nthree\r\n", {"one", "two", "three"}},
    LineRow{"missing_last_crlf", "a\r\nb", {"a", "b"}},
    LineRow{"lone_cr", "a\rb\r", {"a", "b"}},
    LineRow{"lone_cr_then_crlf", "a\r\r\n", {"a", ""}},
    LineRow{"only_cr", "\r", {""}},
    LineRow{"only_crlf", "\r\n", {""}},
    LineRow{"lf_only_is_one_line", "a\nb\nc\n", {"a\nb\nc\n"}},
    LineRow{"only_lf", "\n", {"\n"}},
    LineRow{"lf_after_crlf_starts_a_line", "a\r\n\n", {"a", "\n"}},
    LineRow{"lf_before_cr_is_text", "a\n\rb", {"a\n", "b"}},
    LineRow{"blank_lines", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
    LineRow{"nul_is_text", "a\0b\r\n"s, {"a\0b"s}},
    LineRow{"trail_byte_5c", Hyou + "<>" + Hyou + "\r\n", {"表<>表"}},
    LineRow{"lead_byte_before_cr", "\x81\r\n" "b", {"\uFFFD", "b"}},
    LineRow{"crlf_across_blocks", Fill + "\r\nb", {Fill, "b"}},
    LineRow{"lf_opening_a_block_is_text", Fill + "x\nb", {Fill + "x\nb"}},
    LineRow{"cr_ends_block_file_ends", Fill + "\r", {Fill}},
    LineRow{"crlf_ends_block_file_ends", Fill + "\r\n", {Fill}},
    LineRow{"long_last_line_without_end", "a\r\n" + Fill + Fill, {"a", Fill + Fill}}
), rowName);

TEST(ReadingEntries, ThirdOfThreeAndFourthOfThree)
{
    TempDir dir;
    const std::string path = dir.write("three.tmb", "cat<>\x94\x4C\r\ndog<>" + Inu + "\r\nbird<>bird\r\n");
    EXPECT_EQ(readEntryPieces(path, 3), (std::vector<std::string>{"bird", "bird"}));
    EXPECT_EQ(readEntryPieces(path, 1), (std::vector<std::string>{"cat", "猫"}));
    EXPECT_THROW(readEntryPieces(path, 4), RuntimeError);
}

TEST(ReadingEntries, RereadsTheFileEveryTime)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "old\r\n");
    EXPECT_EQ(readEntryPieces(path, 1), std::vector<std::string>{"old"});
    dir.write("d.tmb", "new\r\n");
    EXPECT_EQ(readEntryPieces(path, 1), std::vector<std::string>{"new"});
    EXPECT_EQ(countEntries(path), 1);
}

std::string linesOf(int count) {
    std::string bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "w" + std::to_string(i) + "<>m\r\n";
    return bytes;
}

TEST(CountEntries, FullDictionaryOf32767)
{
    TempDir dir;
    const std::string path = dir.write("full.tmb", linesOf(32767));
    EXPECT_EQ(countEntries(path), 32767);
    EXPECT_EQ(readEntryPieces(path, 32767), (std::vector<std::string>{"w32767", "m"}));
}

// A call that ended is not repeated because errno still holds an EINTR from before.
TEST(CountEntries, StaleEintrRepeatsNothing)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a\r\n");
    errno = EINTR;
    EXPECT_EQ(countEntries(path), 1);
}

TEST(CountEntries, RelativePathResolvesAgainstWorkingDirectory)
{
    TempDir dir;
    dir.write("rel.tmb", "a\r\n");
    EXPECT_EQ(countEntries("rel.tmb"), 1);
    EXPECT_EQ(readEntryPieces("./rel.tmb", 1), std::vector<std::string>{"a"});
}

// What the drill shows of an entry: only the first 80 characters of word and meaning count, however
// far the line goes on; a "<>" anywhere in it still makes the meaning.
struct ShownRow {
    std::string name;
    std::string bytes;
    std::int16_t n;
    std::vector<std::string> pieces;
};

class ReadEntryPieces : public RowInFolder<ShownRow> {};

TEST_P(ReadEntryPieces, AsTheWholeLineSplitAndCutGivesThem)
{
    const auto &row = GetParam();
    const std::string path = dir.write("d.tmb", row.bytes);
    const std::vector<std::string> pieces = readEntryPieces(path, row.n);
    EXPECT_EQ(pieces, row.pieces);
    EXPECT_EQ(pieces, shownPieces(readEntry(path, row.n)));
}

std::string times(std::size_t n, const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += text;
    return out;
}

const std::string X80 = std::string(80, 'x') + "…";
// Line 2 starts six bytes before the end of the reader's first block.
const std::string FillToBlockEnd = std::string(64 * 1024 - 8, 'y') + "\r\n";

INSTANTIATE_TEST_SUITE_P(Rows, ReadEntryPieces, testing::Values(
    ShownRow{"dog_inu", "dog<>" + Inu + "\r\n", 1, {"dog", "犬"}},
    ShownRow{"blank_line", "\r\n", 1, {}},
    ShownRow{"no_separator", "word\r\n", 1, {"word"}},
    ShownRow{"third_piece_left_out", "a<>b<>c", 1, {"a", "b"}},
    ShownRow{"separators_only", "<><>", 1, {"", ""}},
    ShownRow{"brackets_around_separator", "a<<>>b", 1, {"a<", ">b"}},
    ShownRow{"line_ends_in_lt", "a<\r\nb", 1, {"a<"}},
    ShownRow{"lead_bytes_beside_separator", "\x81<>\x81\r\n", 1, {"\uFFFD", "\uFFFD"}},
    ShownRow{"eighty_double_byte_characters_whole", times(80, Inu) + "<>" + times(81, Inu), 1,
             {times(80, "犬"), times(80, "犬") + "…"}},
    ShownRow{"cut_inside_a_double_byte_character", "a" + times(100, Inu) + "<>a" + times(100, Hyou), 1,
             {"a" + times(79, "犬") + "…", "a" + times(79, "表") + "…"}},
    ShownRow{"separator_four_blocks_in", std::string(256 << 10, 'x') + "<>m", 1, {X80, "m"}},
    ShownRow{"meaning_four_blocks_long", "w<>" + std::string(256 << 10, 'x') + "<>c", 1, {"w", X80}},
    ShownRow{"separator_across_blocks", FillToBlockEnd + "abcde<>f\r\n", 2, {"abcde", "f"}},
    ShownRow{"lt_ends_a_block_as_text", FillToBlockEnd + "abcde<f<>g<>h\r\n", 2, {"abcde<f", "g"}},
    ShownRow{"lt_ends_a_block_before_separator", FillToBlockEnd + "abcde<<>f", 2, {"abcde<", "f"}}
), RowName);

// A gigabyte line is read in a child, whose peak memory starts afresh: keeping either piece whole
// would cost half a gigabyte.
TEST(ReadEntryPiecesOfAHugeLine, KeepOnlyWhatIsShown)
{
    TempDir dir(memoryBackedBase()); // where a hole reads without filling a page cache
    const std::string path = dir.file("huge.tmb");
    constexpr off_t half = off_t{512} << 20;
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "<>", 2, half), 2); // NUL bytes, held by no disk block, on either side
        ASSERT_EQ(::ftruncate(fd, 2 * half + 2), 0);
        ::close(fd);
    }
    const std::string nuls = std::string(80, '\0') + "…";
    const std::string grewKiB = Child([&] {
        auto peakKiB = [] {
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            return usage.ru_maxrss;
        };
        const long before = peakKiB();
        if (readEntryPieces(path, 1) != std::vector<std::string>{nuls, nuls})
            return std::string("wrong pieces");
        return std::to_string(peakKiB() - before);
    }).result();
    ASSERT_NE(grewKiB, "wrong pieces");
    EXPECT_LT(std::stol(grewKiB), 64 * 1024) << "KiB";
}

// ---- failures ----

TEST(FileOperationFailure, MissingFileIsNotFound)
{
    TempDir dir;
    const std::string path = dir.file("gone.tmb");
    for (const auto &e : {caught([&] { countEntries(path); }), caught([&] { readEntryPieces(path, 1); })}) {
        EXPECT_EQ(e.kind(), ErrorKind::FileNotFound);
        EXPECT_EQ(e.path(), path);
        EXPECT_EQ(e.detail(), systemReason(ENOENT));
    }
    EXPECT_EQ(caught([] { countEntries(""); }).kind(), ErrorKind::FileNotFound);
    EXPECT_EQ(caught([&] { countEntries(dir.file("no/such/dir.tmb")); }).kind(), ErrorKind::FileNotFound);
}

TEST(FileOperationFailure, PathThroughAFileIsNotFound)
{
    TempDir dir;
    dir.write("plain.tmb", "a\r\n");
    EXPECT_EQ(caught([&] { countEntries(dir.file("plain.tmb/x.tmb")); }).kind(), ErrorKind::FileNotFound);
}

TEST(FileOperationFailure, DirectoryIsNoFileAccess)
{
    TempDir dir;
    ::mkdir(dir.file("folder.tmb").c_str(), 0755);
    for (const auto &e : {caught([&] { countEntries(dir.file("folder.tmb")); }),
                          caught([&] { readEntryPieces(dir.file("folder.tmb"), 1); })}) {
        EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
        EXPECT_EQ(e.detail(), systemReason(EISDIR));
    }
}

// A pipe would block the program at open or read, and a device like /dev/zero never ends.
TEST(FileOperationFailure, NoRegularFileIsFileAccess)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe.tmb");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string &path : {fifo, "/dev/zero"s}) {
        for (const auto &e : {caught([&] { countEntries(path); }), caught([&] { readEntryPieces(path, 1); })}) {
            EXPECT_EQ(e.kind(), ErrorKind::FileAccess) << path;
            EXPECT_EQ(e.detail(), "通常のファイルではありません") << path;
        }
    }
}

TEST(FileOperationFailure, UnreadableFileIsFileAccess)
{
    TempDir dir;
    ::chmod(dir.file("").c_str(), 0755);
    ::chmod(dir.write("locked.tmb", "a\r\n").c_str(), 0);
    const std::string reason = asNobody([] {
        const auto e = caught([] { countEntries("locked.tmb"); });
        return e.kind() == ErrorKind::FileAccess ? e.detail() : std::string("wrong kind");
    });
    EXPECT_EQ(reason, systemReason(EACCES));
}

TEST(FileOperationFailure, EveryReadOfAnEmptyFilePassesTheEnd)
{
    TempDir dir;
    const std::string path = dir.write("empty.tmb", "");
    EXPECT_EQ(caught([&] { readEntryPieces(path, 1); }).kind(), ErrorKind::InputPastEndOfFile);
    EXPECT_EQ(caught([&] { readEntryPieces(path, 32767); }).kind(), ErrorKind::InputPastEndOfFile);
}

TEST(FileOperationFailure, EntryNumberBelowOne)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a\r\n");
    EXPECT_EQ(caught([&] { readEntryPieces(path, 0); }).kind(), ErrorKind::SubscriptOutOfRange);
    EXPECT_EQ(caught([&] { readEntryPieces(path, -1); }).kind(), ErrorKind::SubscriptOutOfRange);
}

TEST(FileOperationFailure, MoreThan32767LinesOverflow)
{
    TempDir dir;
    for (const std::string &bytes : {linesOf(32768), linesOf(32767) + "tail", std::string(32768, '\r')}) {
        const std::string path = dir.write("big.tmb", bytes);
        const auto e = caught([&] { countEntries(path); });
        EXPECT_EQ(e.kind(), ErrorKind::Overflow);
        EXPECT_EQ(e.path(), path);
        // Reading stays possible: only counting needs the 16-bit total.
        EXPECT_NO_THROW(readEntryPieces(path, 32767));
    }
}

} // namespace
