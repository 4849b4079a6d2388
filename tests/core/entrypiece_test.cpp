#include "entrypiece.h"
#include "caught.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

using Pieces = std::vector<std::string>;

struct PieceRow {
    std::string name;
    Pieces pieces; // of the line, as splitting it at "<>" gives them
    std::size_t index;
    std::string piece;
};

std::ostream &operator<<(std::ostream &os, const PieceRow &row) { return os << row.name; }

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
), [](const auto &info) { return info.param.name; });

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

} // namespace
