// Checking a dictionary as the drill reads it: each line it cannot show as meant is named once,
// warnings leave it showable. And exporting it: only what comes back whole goes out.
#include "dictionary/blockreader.h"
#include "dictionary/dictionaryfile.h"
#include "dictionary/shownpiece.h"
#include "tempdir.h"
#include "wordlists/dictionarycheck.h"
#include "wordlists/dictionaryexport.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace tamberlo;
using namespace tamberlo::wordlists;

namespace {

std::vector<std::string> listed(const ProblemList &problems)
{
    std::vector<std::string> out;
    for (const Problem &problem : problems.listed())
        out.push_back(std::to_string(problem.location) + " " + problem.reason);
    return out;
}

struct Row {
    const char *name;
    std::string bytes;
    std::vector<std::string> findings; // "LINE reason", warnings as "LINE 警告: reason"
    long long errors;
    std::string exported = {}; // as TSV, with --skip-bad
};

class Check : public testing::TestWithParam<Row> {};

TEST_P(Check, NamesEveryLineTheDrillCannotShow)
{
    const Row &row = GetParam();
    TempDir dir;
    const std::string path = dir.write("d.tmb", row.bytes);
    ProblemList problems;
    EXPECT_EQ(checkDictionary(path, problems).errors, row.errors);
    EXPECT_EQ(listed(problems), row.findings);
    exportDictionary(path, dir.file("out.tsv"), false, true);
    EXPECT_EQ(fileBytes(dir.file("out.tsv")), row.exported);
}

std::string manyLines(int n)
{
    std::string bytes;
    for (int i = 0; i < n; ++i)
        bytes += "a<>b\r\n";
    return bytes;
}

const std::string LfSaid = "LFだけの改行があります（7列目）: 暗記はCR LFかCRでしか行を分けないので、LFで分けた行はひとつの項目"
                           "として読まれます（LFだけで保存したファイルなら、ファイル全体がひとつの項目です）。"
                           "tamberlo-dict import で新しい辞書に取り込めます";

INSTANTIATE_TEST_SUITE_P(Rows, Check, testing::Values(
    Row{"clean_with_open_last_line", "dog<>\x8C\xA2\r\ncat<>\x94\x4C", {}, 0, "dog\t犬\ncat\t猫\n"},
    Row{"empty_file", "", {}, 0},
    Row{"blank_line", "a<>b\r\n\r\nc<>d\r\n", {"2 空行です（暗記はここで止まります）"}, 1, "a\tb\nc\td\n"},
    Row{"no_separator", "a<>b\r\nlonely\r\n", {"2 「<>」がありません（暗記はここで止まります）"}, 1, "a\tb\n"},
    Row{"lf_line_ends_said_once", "dog<>\x8C\xA2\ncat<>\x94\x4C\n", {"1 " + LfSaid}, 1},
    Row{"utf8_text", "dog<>\xE7\x8A\xAC\r\n",
        {"1 UTF-8で書かれています（辞書はコードページ932です。tamberlo-dict import で変換できます）"}, 1},
    Row{"invalid_cp932_with_column", "ab<>\x85\x40\r\n", {"1 コードページ932として正しくないバイトがあります（5列目）"}, 1},
    Row{"nul_byte", std::string("a<>\0b\r\n", 7), {"1 NULバイトがあります（4列目。UTF-16で保存したファイルかもしれません）"}, 1},
    Row{"too_many_lines", manyLines(MaxEntries + 1), {"32768 32767行を超えています（暗記はこの辞書を開けません）"}, 1},
    Row{"long_meaning_warned_and_exported", "w<>" + std::string(ShownCharacters + 1, 'm') + "\r\n",
        {"1 警告: 意味が80文字を超えています（81文字。暗記では80文字までしか表示されません）"}, 0,
        "w\t" + std::string(ShownCharacters + 1, 'm') + "\n"},
    // The reader hands the line over in blocks: a character cut by a block's edge is whole all the same.
    Row{"character_across_a_block_edge", "w<>" + std::string(ReadBlockSize - 4, 'm') + "\x8C\xA2\r\n",
        {"1 警告: 意味が80文字を超えています（65533文字。暗記では80文字までしか表示されません）"}, 0},
    Row{"second_separator_and_empty_word_warned", "<>b<>c\r\n",
        {"1 警告: 「<>」が2つ以上あります（暗記では2つ目の「<>」から後は表示されません）", "1 警告: 語が空です"}, 0},
    // Quoted where a field would not come back whole.
    Row{"quoted_as_rfc4180", "#a<>\"b\" c\r\nt\tu<>v\r\n<?xml<>PK\x03\x04\r\n", {}, 0,
        "\"#a\"\t\"\"\"b\"\" c\"\n\"t\tu\"\tv\n\"<?xml\"\t\"PK\x03\x04\"\n"}
), RowName);

TEST(Export, NothingWrittenWithALineThatCannotComeBack)
{
    TempDir dir;
    // Every line holding an LF is named, the first with why the drill reads it so.
    const std::string path = dir.write("d.tmb", "a<>b\r\nlonely\r\nc<>d\ne\r\nf<>g\nh\r\n");
    const ExportResult result = exportDictionary(path, dir.file("out.tsv"), false, false);
    EXPECT_EQ(result.status, ExportResult::Blocked);
    EXPECT_EQ(result.blocked, 3);
    ASSERT_EQ(listed(result.problems).size(), 3u);
    EXPECT_EQ(listed(result.problems)[2], "4 LFがあります（改行が途中にある項目は書き出せません）");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.tsv")));
    EXPECT_EQ(exportDictionary(path, dir.file("out.csv"), true, true).written, 1);
    EXPECT_EQ(fileBytes(dir.file("out.csv")), "a,b\n");
}

// Written a block at a time, every entry once.
TEST(Export, LongerThanABlock)
{
    TempDir dir;
    std::string dictionary;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        dictionary += "word" + std::to_string(i) + "<>meaning\r\n";
        expected += "word" + std::to_string(i) + "\tmeaning\n";
    }
    EXPECT_EQ(exportDictionary(dir.write("d.tmb", dictionary), dir.file("out.tsv"), false, false).written, 5000);
    EXPECT_TRUE(fileBytes(dir.file("out.tsv")) == expected);
}

} // namespace
