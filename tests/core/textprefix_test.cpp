#include "drillpick.h"
#include "textprefix.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

struct PrefixRow {
    std::string name;
    std::string text;
    std::string shown;
};

std::ostream &operator<<(std::ostream &os, const PrefixRow &row) { return os << row.name; }

class TextPrefix : public testing::TestWithParam<PrefixRow> {};

TEST_P(TextPrefix, ShowsAtMost80Characters)
{
    EXPECT_EQ(textPrefix(GetParam().text), GetParam().shown);
}

std::string times(int n, const std::string &s)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

INSTANTIATE_TEST_SUITE_P(Rows, TextPrefix, testing::Values(
    PrefixRow{"empty", "", ""},
    PrefixRow{"exactly_80", times(80, "x"), times(80, "x")},
    PrefixRow{"81_cut_to_80", times(81, "x"), times(80, "x") + "…"},
    PrefixRow{"cut_between_whole_characters", times(100, "犬"), times(80, "犬") + "…"},
    PrefixRow{"megabyte_line", times(1 << 20, "x"), times(80, "x") + "…"}
), [](const auto &info) { return info.param.name; });

// The run-time error for a line without "<>" quotes the line, but only as much as a box can show.
TEST(EntryPiece, MissingMeaningQuotesAShortPrefix)
{
    const std::string line(1 << 20, 'x');
    try {
        entryPiece({line}, 1, "d.tmb", 1, line);
        FAIL() << "a missing meaning was found";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.detail(), "「<>」がありません: " + textPrefix(line));
        EXPECT_LT(std::string(e.what()).size(), 400u);
    }
}

} // namespace
