#include "dictionary/entrysplitter.h"
#include "dictionary/newentry.h"
#include "dictionary/shownpiece.h"
#include "caught.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

// The entry format: what a new entry may hold, the piece shown and how much of it.

using namespace tamberlo;

namespace {

struct CheckRow {
    std::string name;
    std::string word;
    std::string meaning;
    EntryCheck check;
};

class CheckNewEntry : public testing::TestWithParam<CheckRow> {};

TEST_P(CheckNewEntry, Gives)
{
    const CheckRow &row = GetParam();
    EXPECT_EQ(checkNewEntry(row.word, row.meaning), row.check);
}

INSTANTIATE_TEST_SUITE_P(Accepted, CheckNewEntry, testing::Values(
    CheckRow{"dog_inu", "dog", "犬", EntryCheck::Ok},
    CheckRow{"lone_brackets", "<a>", ">b<", EntryCheck::Ok}
), RowName);

// Which characters code page 932 holds is the encoder's table; a character it lacks is refused.
// Refused in this order: a separator, then a character that cannot be stored.
INSTANTIATE_TEST_SUITE_P(Refused, CheckNewEntry, testing::Values(
    CheckRow{"separator_in_word", "a<>b", "x", EntryCheck::HoldsSeparator},
    CheckRow{"separator_in_meaning", "a", "<>", EntryCheck::HoldsSeparator},
    CheckRow{"separator_before_characters", "<>", "😀", EntryCheck::HoldsSeparator},
    CheckRow{"emoji", "smile", "😀", EntryCheck::NotStorable},
    CheckRow{"replacement_character_of_a_lone_surrogate", "a\uFFFDb", "x", EntryCheck::NotStorable},
    CheckRow{"line_feed_in_word", "a\nb", "x", EntryCheck::NotStorable},
    CheckRow{"carriage_return_in_meaning", "a", "x\ry", EntryCheck::NotStorable},
    CheckRow{"nul_no_label_shows", std::string("a\0b", 3), "x", EntryCheck::NotStorable}
), RowName);

// What is wrong with one text, and where: the tool names it with its column.
struct FaultRow {
    std::string name;
    std::string text;
    TextFault::Kind kind;
    std::size_t at;
    char32_t character = 0;
};

class TextFaults : public testing::TestWithParam<FaultRow> {};

TEST_P(TextFaults, FirstOfItsKindWhereItStands)
{
    const TextFault fault = textFault(GetParam().text);
    EXPECT_EQ(fault.kind, GetParam().kind);
    EXPECT_EQ(fault.at, GetParam().at);
    EXPECT_EQ(fault.character, GetParam().character);
}

INSTANTIATE_TEST_SUITE_P(Rows, TextFaults, testing::Values(
    FaultRow{"none", "dog犬", TextFault::None, 0},
    FaultRow{"separator_outranks_a_character", "é<>", TextFault::Separator, 2},
    FaultRow{"line_break", "ab\r", TextFault::LineBreak, 2},
    FaultRow{"nul_before_a_character", std::string("犬\0é", 6), TextFault::Nul, 3},
    FaultRow{"character_by_code", "caf\u00E9", TextFault::Unencodable, 3, U'\u00E9'},
    FaultRow{"invalid_utf8", "x\xFF", TextFault::Unencodable, 1, U'\uFFFD'}
), RowName);

using Pieces = std::vector<std::string>;

struct PieceRow {
    std::string name;
    Pieces pieces; // of the line, as splitting it at "<>" gives them
    std::size_t index;
    std::string piece;
};

class EntryPiece : public testing::TestWithParam<PieceRow> {};

TEST_P(EntryPiece, Gives)
{
    const PieceRow &row = GetParam();
    EXPECT_EQ(entryPiece(row.pieces, row.index, "d.tmb", 1), row.piece);
}

INSTANTIATE_TEST_SUITE_P(Rows, EntryPiece, testing::Values(
    PieceRow{"word", {"dog", "犬"}, 0, "dog"},
    PieceRow{"meaning", {"dog", "犬"}, 1, "犬"},
    PieceRow{"meaning_is_the_second_of_three", {"a", "b", "c"}, 1, "b"},
    PieceRow{"empty_meaning", {"a", ""}, 1, ""},
    PieceRow{"word_of_a_line_without_separator", {"dog"}, 0, "dog"}
), RowName);

// A missing piece names the file, the entry and what is wrong with its line.
TEST(EntryPieceFailure, NoSeparator)
{
    const RuntimeError e = caught([] { entryPiece({"e f"}, 1, "/d.tmb", 3); });
    EXPECT_EQ(e.kind(), ErrorKind::SubscriptOutOfRange);
    EXPECT_EQ(e.path(), "/d.tmb");
    EXPECT_EQ(e.line(), 3);
    EXPECT_EQ(e.detail(), "「<>」がありません: e f");
}

// Only as much of the line as a box can show.
TEST(EntryPieceFailure, MegabyteLineQuotedByItsPrefix)
{
    const std::string line(1 << 20, 'x');
    const RuntimeError e = caught([&] { entryPiece({line}, 1, "d.tmb", 1); });
    EXPECT_EQ(e.detail(), "「<>」がありません: " + std::string(80, 'x') + "…");
}

TEST(EntryPieceFailure, BlankLineHasNoWord)
{
    const RuntimeError e = caught([] { entryPiece({}, 0, "/d.tmb", 2); });
    EXPECT_EQ(e.kind(), ErrorKind::SubscriptOutOfRange);
    EXPECT_EQ(e.line(), 2);
    EXPECT_EQ(e.detail(), "空行です（「<>」がありません）");
}

// The line handed over in chunks of every size: a "<" at a chunk's end must wait for the next.
TEST(EntrySplitter, PiecesWhereverTheChunksEnd)
{
    using V = std::vector<std::string>;
    const std::vector<std::pair<std::string, V>> rows = {
        {"dog<>犬", {"dog", "犬"}}, {"a<>b<>c", {"a", "b", "c"}}, {"word", {"word"}},
        {"<>", {"", ""}},           {"<><>", {"", "", ""}},       {"a<>", {"a", ""}},
        {"a<<>>b", {"a<", ">b"}},   {"a<>>b", {"a", ">b"}},       {"a< >b", {"a< >b"}},
        {"a\r\n<>b", {"a\r\n", "b"}}, {"a<", {"a<"}},          {"", {}},
    };
    for (const auto &[line, expected] : rows) {
        for (std::size_t chunk = 1; chunk <= line.size() + 1; ++chunk) {
            EntrySplitter splitter(SIZE_MAX, SIZE_MAX);
            for (std::size_t at = 0; at < line.size(); at += chunk)
                splitter.take(std::string_view(line).substr(at, chunk));
            EXPECT_EQ(splitter.finish(), expected) << line << " in chunks of " << chunk;
        }
    }
}

TEST(TextPrefix, AtMost80WholeCharactersThenAnEllipsis)
{
    const std::string x80(80, 'x');
    EXPECT_EQ(textPrefix(x80), x80);
    EXPECT_EQ(textPrefix(x80 + "y"), x80 + "…");
    std::string dogs;
    for (int i = 0; i < 80; ++i)
        dogs += "犬";
    EXPECT_EQ(textPrefix(dogs + "犬"), dogs + "…");
}

} // namespace
