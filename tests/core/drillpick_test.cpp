#include "drillpick.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tamberlo;

namespace {

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
