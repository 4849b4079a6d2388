#include "entrycheck.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

struct CheckRow {
    std::string name;
    std::string word;
    std::string meaning;
    std::int16_t entryCount;
    EntryCheck check;
};

std::ostream &operator<<(std::ostream &os, const CheckRow &row) { return os << row.name; }

class CheckNewEntry : public testing::TestWithParam<CheckRow> {};

TEST_P(CheckNewEntry, Gives)
{
    const CheckRow &row = GetParam();
    EXPECT_EQ(checkNewEntry(row.word, row.meaning, row.entryCount), row.check);
}

INSTANTIATE_TEST_SUITE_P(Accepted, CheckNewEntry, testing::Values(
    CheckRow{"dog_inu", "dog", "犬", 0, EntryCheck::Ok},
    CheckRow{"last_free_entry", "dog", "犬", 32766, EntryCheck::Ok},
    CheckRow{"lone_brackets", "<a>", ">b<", 1, EntryCheck::Ok}
), [](const auto &info) { return info.param.name; });

// Which characters code page 932 holds is the encoder's table; a character it lacks is refused.
// Refused in this order: a separator, then a character that cannot be stored, then a full dictionary.
INSTANTIATE_TEST_SUITE_P(Refused, CheckNewEntry, testing::Values(
    CheckRow{"separator_in_word", "a<>b", "x", 1, EntryCheck::HoldsSeparator},
    CheckRow{"separator_in_meaning", "a", "<>", 1, EntryCheck::HoldsSeparator},
    CheckRow{"separator_before_characters", "<>", "😀", 1, EntryCheck::HoldsSeparator},
    CheckRow{"separator_before_full", "a<>", "b", 32767, EntryCheck::HoldsSeparator},
    CheckRow{"emoji", "smile", "😀", 1, EntryCheck::NotStorable},
    CheckRow{"replacement_character_of_a_lone_surrogate", "a\uFFFDb", "x", 1, EntryCheck::NotStorable},
    CheckRow{"line_feed_in_word", "a\nb", "x", 1, EntryCheck::NotStorable},
    CheckRow{"carriage_return_in_meaning", "a", "x\ry", 1, EntryCheck::NotStorable},
    CheckRow{"characters_before_full", "a", "😀", 32767, EntryCheck::NotStorable},
    CheckRow{"full", "dog", "犬", 32767, EntryCheck::DictionaryFull}
), [](const auto &info) { return info.param.name; });

} // namespace
