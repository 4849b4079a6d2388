// Checking a dictionary as the drill reads it: each line it cannot show as meant is named once,
// warnings leave it showable.
#include "dictionary/blockreader.h"
#include "dictionary/dictionarycheck.h"
#include "dictionary/entryformat.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace tamberlo;

namespace {

struct Row {
    const char *name;
    std::string bytes;
    std::vector<std::string> findings; // "LINE reason", warnings as "LINE warning: reason"
    bool showable;
};
void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Check : public testing::TestWithParam<Row> {};

TEST_P(Check, NamesEveryLineTheDrillCannotShow)
{
    const Row &row = GetParam();
    TempDir dir;
    std::vector<std::string> findings;
    DictionaryCheck check([&](const CheckFinding &f) {
        findings.push_back(std::to_string(f.line) + (f.warning ? " warning: " : " ") + f.reason);
    });
    checkDictionaryFile(dir.write("d.tmb", row.bytes), check);
    EXPECT_EQ(findings, row.findings);
    EXPECT_EQ(check.showable(), row.showable);
}

std::string manyLines(int n)
{
    std::string bytes;
    for (int i = 0; i < n; ++i)
        bytes += "a<>b\r\n";
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Rows, Check, testing::Values(
    Row{"clean_with_open_last_line", "dog<>\x8C\xA2\r\ncat<>\x94\x4C", {}, true},
    Row{"empty_file", "", {}, true},
    Row{"blank_line", "a<>b\r\n\r\nc<>d\r\n", {"2 空行です（暗記はここで止まります）"}, false},
    Row{"no_separator", "a<>b\r\nlonely\r\n", {"2 「<>」がありません（暗記はここで止まります）"}, false},
    Row{"lf_line_ends_said_once", "dog<>\x8C\xA2\ncat<>\x94\x4C\n",
        {"1 LFだけの改行があります（7列目）: 暗記はCR LFかCRでしか行を分けないので、LFで分けた行はひとつの項目"
         "として読まれます（LFだけで保存したファイルなら、ファイル全体がひとつの項目です）。"
         "tamberlo-dict import で新しい辞書に取り込めます"}, false},
    Row{"utf8_text", "dog<>\xE7\x8A\xAC\r\n",
        {"1 UTF-8で書かれています（辞書はコードページ932です。tamberlo-dict import で変換できます）"}, false},
    Row{"invalid_cp932_with_column", "ab<>\x85\x40\r\n", {"1 コードページ932として正しくないバイトがあります（5列目）"}, false},
    Row{"nul_byte", std::string("a<>\0b\r\n", 7), {"1 NULバイトがあります（4列目。UTF-16で保存したファイルかもしれません）"}, false},
    Row{"too_many_lines", manyLines(MaxEntries + 1), {"32768 32767行を超えています（暗記はこの辞書を開けません）"}, false},
    Row{"long_meaning_warned", "w<>" + std::string(ShownCharacters + 1, 'm') + "\r\n",
        {"1 warning: 意味が80文字を超えています（81文字。暗記では80文字までしか表示されません）"}, true},
    // The reader hands the line over in blocks: a character cut by a block's edge is whole all the same.
    Row{"character_across_a_block_edge", "w<>" + std::string(ReadBlockSize - 4, 'm') + "\x8C\xA2\r\n",
        {"1 warning: 意味が80文字を超えています（65533文字。暗記では80文字までしか表示されません）"}, true},
    Row{"second_separator_and_empty_word_warned", "<>b<>c\r\n",
        {"1 warning: 「<>」が2つ以上あります（暗記では2つ目の「<>」から後は表示されません）", "1 warning: 語が空です"}, true}
), [](const auto &info) { return std::string(info.param.name); });

} // namespace
