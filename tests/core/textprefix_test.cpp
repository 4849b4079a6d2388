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

} // namespace
