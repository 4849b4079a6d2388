#include "entrycheck.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

struct CheckRow {
    std::string name;
    std::string word;
    std::string meaning;
    EntryCheck check;
};

std::ostream &operator<<(std::ostream &os, const CheckRow &row) { return os << row.name; }

class CheckNewEntry : public testing::TestWithParam<CheckRow> {};

TEST_P(CheckNewEntry, Gives)
{
    const CheckRow &row = GetParam();
    EXPECT_EQ(checkNewEntry(row.word, row.meaning), row.check);
}

INSTANTIATE_TEST_SUITE_P(Accepted, CheckNewEntry, testing::Values(
    CheckRow{"dog_inu", "dog", "犬", EntryCheck::Ok},
    CheckRow{"lone_brackets", "<a>", ">b<", EntryCheck::Ok}
), [](const auto &info) { return info.param.name; });

// Which characters code page 932 holds is the encoder's table; a character it lacks is refused.
// Refused in this order: a separator, then a character that cannot be stored.
INSTANTIATE_TEST_SUITE_P(Refused, CheckNewEntry, testing::Values(
    CheckRow{"separator_in_word", "a<>b", "x", EntryCheck::HoldsSeparator},
    CheckRow{"separator_in_meaning", "a", "<>", EntryCheck::HoldsSeparator},
    CheckRow{"separator_before_characters", "<>", "😀", EntryCheck::HoldsSeparator},
    CheckRow{"emoji", "smile", "😀", EntryCheck::NotStorable},
    CheckRow{"replacement_character_of_a_lone_surrogate", "a\uFFFDb", "x", EntryCheck::NotStorable},
    CheckRow{"line_feed_in_word", "a\nb", "x", EntryCheck::NotStorable},
    CheckRow{"carriage_return_in_meaning", "a", "x\ry", EntryCheck::NotStorable}
), [](const auto &info) { return info.param.name; });

} // namespace
