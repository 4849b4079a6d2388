#include "dictionary/entrynumbers.h"
#include "dictionary/runtimeerror.h"

#include <gtest/gtest.h>

#include <cmath>

// Entry counts and numbers: the 16-bit range, the counter's text and the drawn entry.

using namespace tamberlo;

namespace {

TEST(Int16, InRange)
{
    EXPECT_EQ(checkedInt16(32767), 32767);
    EXPECT_EQ(checkedInt16(-32768), -32768);
    EXPECT_EQ(addInt16(32766, 1), 32767);
    EXPECT_EQ(addInt16(-32767, -1), -32768);
}

TEST(Int16Failure, OutOfRangeOverflows)
{
    for (long long v : {32768LL, -32769LL, 1LL << 40}) {
        try {
            checkedInt16(v, "/d.tmb");
            ADD_FAILURE() << v;
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow);
            EXPECT_EQ(e.path(), "/d.tmb");
        }
    }
    EXPECT_THROW(addInt16(32767, 1), RuntimeError);
    EXPECT_THROW(addInt16(-32768, -1), RuntimeError);
}

TEST(NumberText, BlankOrMinusThenDigits)
{
    EXPECT_EQ(numberText(7), " 7");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-3), "-3");
    EXPECT_EQ(numberText(32767), " 32767");
    EXPECT_EQ(numberText(-32768), "-32768");
}

const float LargestDraw = std::nextafter(1.0f, 0.0f);

struct PickRow {
    std::string name;
    float r;
    std::int16_t count;
    std::int16_t entryNumber;
};

std::ostream &operator<<(std::ostream &os, const PickRow &row) { return os << row.name; }

class PickEntryNumber : public testing::TestWithParam<PickRow> {};

TEST_P(PickEntryNumber, Gives)
{
    EXPECT_EQ(pickEntryNumber(GetParam().r, GetParam().count), GetParam().entryNumber);
}

INSTANTIATE_TEST_SUITE_P(Rows, PickEntryNumber, testing::Values(
    PickRow{"draw_zero_is_first", 0.0f, 10, 1},
    PickRow{"middle", 0.55f, 10, 6},
    PickRow{"last", 0.95f, 10, 10},
    PickRow{"largest_draw_is_last", LargestDraw, 10, 10},
    // 0.7f * 10 is 6.99999988 in double; rounded to single precision it would be 7.
    PickRow{"product_in_double", 0.7f, 10, 7},
    PickRow{"one_entry_whatever_the_draw", LargestDraw, 1, 1},
    PickRow{"largest_draw_of_full_dictionary", LargestDraw, 32767, 32767},
    // Reading entry 1 of an empty dictionary is then what fails.
    PickRow{"empty_dictionary", 0.5f, 0, 1}
), [](const auto &info) { return info.param.name; });

} // namespace
