// Word lists: which encoding and separator are read, what each record becomes after the one check,
// which are refused and why; the same whatever the size of the blocks read. And what a source
// that is no word list is taken for.
#include "tempdir.h"
#include "wordlists/delimitedtext.h"
#include "wordlists/import.h"
#include "wordlists/source.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace tamberlo;
using namespace tamberlo::wordlists;

namespace {

// Each record as "LINE word|meaning", or "LINE !problem" for a refused one.
class Described final : public RecordSink {
public:
    std::vector<std::string> lines;

    void take(const Record &record) override
    {
        EntryBytes entry;
        const std::string problem =
            record.problem.empty() ? checkEntry(record.fields[0], record.fields[1], record.encoding, entry) : record.problem;
        lines.push_back(std::to_string(record.location) + " " +
                        (problem.empty() ? record.fields[0].text + "|" + record.fields[1].text : "!" + problem));
    }
    void startOver() override { lines.clear(); }
};

// Read from a file as a source is, or refused as readerFor refuses it.
std::vector<std::string> described(std::string_view bytes, const ReadOptions &options = {}, std::size_t block = ReadBlockSize)
{
    TempDir dir;
    Source source;
    EXPECT_EQ(source.open(dir.write("list", bytes)), "");
    std::string refusal;
    if (!readerFor(source, options, refusal))
        return {"refused: " + refusal};
    Described sink;
    EXPECT_EQ(DelimitedText(source.fd(), options, block).read(sink), "");
    return sink.lines;
}

std::string utf16le(std::u16string_view text, bool mark = true)
{
    std::string out = mark ? "\xFF\xFE" : "";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

ReadOptions withHeader()
{
    ReadOptions options;
    options.header = true;
    return options;
}

ReadOptions inEncoding(Encoding encoding)
{
    ReadOptions options;
    options.encoding = encoding;
    return options;
}

struct Row {
    const char *name;
    std::string bytes;
    std::vector<std::string> records;
    ReadOptions options = {};
};

class Reading : public testing::TestWithParam<Row> {};

TEST_P(Reading, GivesEachRecordOnceWhereverTheBlocksEnd)
{
    const Row &row = GetParam();
    for (const std::size_t block : {std::size_t{1}, std::size_t{7}, ReadBlockSize})
        EXPECT_EQ(described(row.bytes, row.options, block), row.records) << "blocks of " << block;
}

INSTANTIATE_TEST_SUITE_P(Lists, Reading, testing::Values(
    Row{"cp932_csv_from_a_spreadsheet", "dog,\x8C\xA2\r\n\"ice, cream\",\x83\x41\x83\x43\x83\x58\r\n",
        {"1 dog|犬", "2 ice, cream|アイス"}},
    Row{"utf8_without_mark", "dog,犬\n", {"1 dog|犬"}},
    Row{"utf8_mark_left_out", "\xEF\xBB\xBF" "dog,犬\n", {"1 dog|犬"}},
    Row{"utf16le_unicode_text_with_card_header", utf16le(u"#separator:tab\n#html:false\ncat\t猫\r\nbird\t鳥\U0001F426\n"),
        {"3 cat|猫", "4 !意味にコードページ932で表せない文字があります: U+1F426 🐦（7列目）"}},
    Row{"utf16le_without_mark", utf16le(u"cat\t猫\n", false), {"1 cat|猫"}},
    Row{"utf16be_mark", std::string("\xFE\xFF\x00" "a\x00\t\x00" "b", 8), {"1 a|b"}},
    Row{"dictionary_style_list_lf", "dog<>犬\ncat<>猫<>extra\n<>x\n", {"1 dog|犬", "2 cat|猫", "3 !語が空です"}},
    Row{"tab_before_comma", "ice, cream\tアイス\n", {"1 ice, cream|アイス"}},
    Row{"separator_header_overrides", "#separator:comma\na\tb,c\n", {"2 a\tb|c"}},
    Row{"card_export_header_keys_with_blanks", "#separator:tab\n#tags column:3\ncat\t猫\tanimal\n", {"3 cat|猫"}},
    Row{"cr_lf_and_crlf_blank_lines_skipped", "a,1\r\r\nb,2\n\nc,3\r", {"1 a|1", "3 b|2", "5 c|3"}},
    Row{"rfc4180_quotes_and_third_field", "\"say \"\"hi\"\"\",\"x,y\",ignored\n", {"1 say \"hi\"|x,y"}},
    Row{"quoted_tab_in_tsv", "\"a\tb\"\tc\n", {"1 a\tb|c"}},
    Row{"text_after_a_closing_quote_kept", "\"a\"b,c\n", {"1 ab|c"}},
    Row{"empty_file", "", {}},
    Row{"header_row_skipped", "word,meaning\ndog,犬\n", {"2 dog|犬"}, withHeader()},
    // Read as UTF-8 until the byte that is not, then read again: what was found is said once.
    Row{"code_page_932_found_late", "a,1\n,x\nb,\x8C\xA2\n", {"1 a|1", "2 !語が空です", "3 b|犬"}}
), RowName);

INSTANTIATE_TEST_SUITE_P(Refusals, Reading, testing::Values(
    Row{"unencodable_named_with_column", "\nsay,café\n", {"2 !意味にコードページ932で表せない文字があります: U+00E9 é（8列目）"}},
    Row{"holds_separator", "\"a<>b\",c\n", {"1 !語に「<>」があります（3列目）"}},
    Row{"column_past_a_separator_of_two", "dog<>café\n", {"1 !意味にコードページ932で表せない文字があります: U+00E9 é（9列目）"}},
    Row{"holds_line_break", "\"a\nb\",c\n", {"1 !語に改行があります"}},
    Row{"empty_word", ",x\n", {"1 !語が空です"}},
    Row{"empty_meaning", "x,\n", {"1 !意味が空です"}},
    Row{"no_meaning", "x\n", {"1 !意味がありません（区切りの「,」がありません）"}},
    Row{"longer_than_any_use", "w," + std::string(MaxFieldCharacters + 1, 'm') + "\n", {"1 !意味が長すぎます（257文字。256文字まで）"}},
    Row{"not_the_forced_encoding", "\x82\xA0,x\n", {"1 !語にUTF-8として読めないバイトがあります（1列目）"}, inEncoding(Encoding::Utf8)},
    // The last character cut short is refused, not dropped with the end of the file.
    Row{"utf8_cut_short_at_the_end", "\xEF\xBB\xBF" "dog,\xE7\x8A", {"1 !意味にUTF-8として読めないバイトがあります（5列目）"}},
    Row{"nul_character", std::string("a\0b,x\n", 6), {"1 !語にNUL文字があります（2列目）"}, inEncoding(Encoding::Utf8)},
    Row{"quote_never_closed", "\"a,b\nc,d\n", {"1 !引用符「\"」が閉じられないままファイルが終わっています"}}
), RowName);

// Said once, before any line: what the source looks like instead.
INSTANTIATE_TEST_SUITE_P(NotWordLists, Reading, testing::Values(
    Row{"binary", std::string("\x7F" "ELF\2\1\1\0\0\0\0\0", 12),
        {"refused: 単語リストではなくバイナリデータのようです（NULバイトがあります。テキストなら --encoding で文字コードを指定してください）"}}
), RowName);

} // namespace
