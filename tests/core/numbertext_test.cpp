#include "numbertext.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberText, BlankOrMinusThenDigits)
{
    using tamberlo::numberText;
    EXPECT_EQ(numberText(7), " 7");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-3), "-3");
    EXPECT_EQ(numberText(32767), " 32767");
    EXPECT_EQ(numberText(-32768), "-32768");
}

} // namespace
