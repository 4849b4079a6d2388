#include "dictionary/utf8.h"

#include "tempdir.h"
#include "rows.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

struct Utf8Row {
    std::string name;
    std::string bytes;
    std::string sanitized;
};

class Sanitized : public testing::TestWithParam<Utf8Row> {};

// Decoding then encoding again: a valid character comes back byte for byte, each invalid byte as U+FFFD.
TEST_P(Sanitized, Gives)
{
    EXPECT_EQ(hex(utf8::sanitized(GetParam().bytes)), hex(GetParam().sanitized));
}

const std::string R = "\xEF\xBF\xBD"; // U+FFFD

INSTANTIATE_TEST_SUITE_P(Valid, Sanitized, testing::Values(
    Utf8Row{"u007f", "\x7F", "\x7F"},
    Utf8Row{"u0080", "\xC2\x80", "\xC2\x80"},
    Utf8Row{"u07ff", "\xDF\xBF", "\xDF\xBF"},
    Utf8Row{"u0800", "\xE0\xA0\x80", "\xE0\xA0\x80"},
    Utf8Row{"ud7ff", "\xED\x9F\xBF", "\xED\x9F\xBF"},
    Utf8Row{"ue000", "\xEE\x80\x80", "\xEE\x80\x80"},
    Utf8Row{"uffff", "\xEF\xBF\xBF", "\xEF\xBF\xBF"},
    Utf8Row{"u10000", "\xF0\x90\x80\x80", "\xF0\x90\x80\x80"},
    Utf8Row{"u10ffff", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"}
), RowName);

INSTANTIATE_TEST_SUITE_P(Invalid, Sanitized, testing::Values(
    Utf8Row{"stray_continuation", "\x80", R},
    Utf8Row{"overlong_two", "\xC1\xBF", R + R},
    Utf8Row{"overlong_three", "\xE0\x9F\xBF", R + R + R},
    Utf8Row{"overlong_four", "\xF0\x8F\xBF\xBF", R + R + R + R},
    Utf8Row{"surrogate_d800", "\xED\xA0\x80", R + R + R},
    Utf8Row{"surrogate_dfff", "\xED\xBF\xBF", R + R + R},
    Utf8Row{"above_10ffff", "\xF4\x90\x80\x80", R + R + R + R},
    Utf8Row{"lead_f8", "\xF8\x90\x80\x80", R + R + R + R},
    Utf8Row{"cut_short_keeps_what_follows", "\xE7\x8A" "a", R + R + "a"},
    Utf8Row{"no_continuation", "\xC3(", R + "("}
), RowName);

} // namespace
