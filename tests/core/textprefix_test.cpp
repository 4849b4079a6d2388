#include "drillpick.h"
#include "textprefix.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

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

// The run-time error for a line without "<>" quotes the line, but only as much as a box can show.
TEST(EntryPiece, MissingMeaningQuotesAShortPrefix)
{
    const std::string line(1 << 20, 'x');
    try {
        entryPiece({line}, 1, "d.tmb", 1, line);
        FAIL() << "a missing meaning was found";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.detail(), "「<>」がありません: " + std::string(80, 'x') + "…");
    }
}

} // namespace
