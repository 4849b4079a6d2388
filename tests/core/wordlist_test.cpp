// Word lists: which encoding and separator are detected, what each line becomes, which lines are
// refused and why; the same whether the bytes come at once or one at a time.
#include "dictionary/wordlist.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace tamberlo;

namespace {

// Each entry as "LINE word|meaning", or "LINE !problem" for a refused one.
std::vector<std::string> described(const std::vector<WordListEntry> &entries)
{
    std::vector<std::string> out;
    for (const WordListEntry &e : entries)
        out.push_back(std::to_string(e.line) + " " + (e.problem.empty() ? e.word + "|" + e.meaning : "!" + e.problem));
    return out;
}

// The same list fed one byte at a time, through the detector, the decoder and the parser.
std::vector<WordListEntry> parsedByteByByte(std::string_view bytes)
{
    EncodingDetector detector;
    for (char c : bytes)
        detector.feed({&c, 1});
    std::vector<WordListEntry> entries;
    WordListParser parser(std::nullopt, encodingName(detector.result()),
                          [&](const WordListEntry &e) { entries.push_back(e); });
    TextDecoder decoder(detector.result());
    for (char c : bytes) {
        std::string text;
        decoder.feed({&c, 1}, text);
        for (char t : text)
            parser.feed({&t, 1});
    }
    std::string text;
    decoder.finish(text);
    parser.feed(text);
    parser.finish();
    return entries;
}

struct Row {
    const char *name;
    std::string bytes;
    SourceEncoding encoding;
    std::vector<std::string> entries;
};
void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Detection : public testing::TestWithParam<Row> {};

TEST_P(Detection, EncodingSeparatorAndEntries)
{
    const Row &row = GetParam();
    EncodingDetector detector;
    detector.feed(row.bytes);
    EXPECT_EQ(detector.result(), row.encoding);
    EXPECT_EQ(described(parseWordList(row.bytes)), row.entries);
    EXPECT_EQ(described(parsedByteByByte(row.bytes)), row.entries);
}

std::string utf16le(std::u16string_view text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Rows, Detection, testing::Values(
    Row{"cp932_csv_from_a_spreadsheet", "dog,\x8C\xA2\r\n\"ice, cream\",\x83\x41\x83\x43\x83\x58\r\n",
        SourceEncoding::Cp932, {"1 dog|犬", "2 ice, cream|アイス"}},
    Row{"utf8_without_mark", "dog,犬\n", SourceEncoding::Utf8, {"1 dog|犬"}},
    Row{"utf8_mark_left_out", "\xEF\xBB\xBF" "dog,犬\n", SourceEncoding::Utf8, {"1 dog|犬"}},
    Row{"utf16le_unicode_text_with_card_header", utf16le(u"#separator:tab\n#html:false\ncat\t猫\r\nbird\t鳥\U0001F426\n"),
        SourceEncoding::Utf16Le, {"3 cat|猫", "4 !意味にコードページ932で表せない文字があります: U+1F426 🐦（7列目）"}},
    Row{"utf16be_mark", std::string("\xFE\xFF\x00" "a\x00\t\x00" "b", 8), SourceEncoding::Utf16Be, {"1 a|b"}},
    Row{"dictionary_style_list_lf", "dog<>犬\ncat<>猫<>extra\n", SourceEncoding::Utf8, {"1 dog|犬", "2 cat|猫"}},
    Row{"tab_before_comma", "ice, cream\tアイス\n", SourceEncoding::Utf8, {"1 ice, cream|アイス"}},
    Row{"separator_header_overrides", "#separator:comma\na\tb,c\n", SourceEncoding::Utf8, {"2 a\tb|c"}},
    Row{"cr_lf_and_crlf_blank_lines_skipped", "a,1\r\r\nb,2\n\nc,3\r", SourceEncoding::Utf8, {"1 a|1", "3 b|2", "5 c|3"}},
    Row{"rfc4180_quotes_and_third_field", "\"say \"\"hi\"\"\",\"x,y\",ignored\n", SourceEncoding::Utf8,
        {"1 say \"hi\"|x,y"}},
    Row{"quoted_tab_in_tsv", "\"a\tb\"\tc\n", SourceEncoding::Utf8, {"1 a\tb|c"}},
    Row{"empty_file", "", SourceEncoding::Utf8, {}}
), [](const auto &info) { return std::string(info.param.name); });

struct Refusal {
    const char *name;
    std::string bytes;
    std::string expected; // "LINE !problem"
    std::optional<SourceEncoding> encoding = std::nullopt;
};
void PrintTo(const Refusal &row, std::ostream *os) { *os << row.name; }

class Refusals : public testing::TestWithParam<Refusal> {};

TEST_P(Refusals, NamesTheLineAndTheReason)
{
    const Refusal &row = GetParam();
    const auto entries = parseWordList(row.bytes, {row.encoding, std::nullopt});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(described(entries).front(), row.expected);
    EXPECT_TRUE(entries.front().wordBytes.empty() && entries.front().meaningBytes.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, Refusals, testing::Values(
    Refusal{"unencodable_named_with_column", "\nsay,café\n", "2 !意味にコードページ932で表せない文字があります: U+00E9 é（8列目）"},
    Refusal{"holds_separator", "\"a<>b\",c\n", "1 !語に「<>」があります（3列目）"},
    Refusal{"holds_line_break", "\"a\nb\",c\n", "1 !語に改行があります"},
    Refusal{"empty_word", ",x\n", "1 !語が空です"},
    Refusal{"empty_meaning", "x,\n", "1 !意味が空です"},
    Refusal{"no_meaning", "x\n", "1 !意味がありません（区切りの「,」がありません）"},
    Refusal{"longer_than_any_use", "w," + std::string(MaxFieldCharacters + 1, 'm') + "\n",
            "1 !意味が長すぎます（257文字。256文字まで）"},
    Refusal{"not_the_forced_encoding", "\x82\xA0,x\n", "1 !語にUTF-8として読めないバイトがあります（1列目）", SourceEncoding::Utf8},
    // The last character cut short is refused, not dropped with the end of the file.
    Refusal{"utf8_cut_short_at_the_end", "\xEF\xBB\xBF" "dog,\xE7\x8A", "1 !意味にUTF-8として読めないバイトがあります（5列目）"},
    Refusal{"nul_character", std::string("a\0b,x\n", 6), "1 !語にNUL文字があります（2列目）"},
    Refusal{"quote_never_closed", "\"a,b\nc,d\n", "1 !引用符「\"」が閉じられないままファイルが終わっています"}
), [](const auto &info) { return std::string(info.param.name); });

} // namespace
