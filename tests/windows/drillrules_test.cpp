// The drill's rules on numbers: the speed text's value, the half-period, the 16-bit counts, the
// counter's text and the drawn entry.

#include "dictionary/runtimeerror.h"
#include "windows/drillrules.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

using namespace tamberlo;

namespace {

template <typename Row>
std::string rowName(const testing::TestParamInfo<Row> &info) { return info.param.name; }

struct ValueRow {
    std::string name;
    std::string text;
    double value;
};

class NumericValue : public testing::TestWithParam<ValueRow> {};

TEST_P(NumericValue, Is)
{
    EXPECT_EQ(numericValue(GetParam().text), GetParam().value);
}

constexpr double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Rows, NumericValue, testing::Values(
    ValueRow{"design_default", "2", 2},
    ValueRow{"one_and_a_half", "1.5", 1.5},
    ValueRow{"blank_inside_number", "1 5", 15},
    ValueRow{"empty", "", 0},
    ValueRow{"letters", "abc", 0},
    ValueRow{"negative", "-1", -1},
    ValueRow{"octal_lower", "&o7", 7},
    ValueRow{"exponent", "1e3", 1000},
    ValueRow{"leading_point", ".5", 0.5},
    ValueRow{"upper_d_exponent", "1D2", 100},
    ValueRow{"plus_sign", "+3", 3},
    ValueRow{"hex_letters_either_case", "&HaFfA", 0xAFFA},
    ValueRow{"tab_and_line_feed_ignored", " 1\t2\n3 ", 123},
    ValueRow{"blank_between_sign_and_digits", "- 2", -2},
    ValueRow{"blank_inside_exponent", "1 e 2", 100},
    ValueRow{"carriage_return_is_not_blank", "\r2", 0},
    ValueRow{"stops_at_carriage_return", "2\r3", 2},
    ValueRow{"stops_at_letter", "12abc", 12},
    ValueRow{"second_point_stops", "1.5.3", 1.5},
    ValueRow{"comma_is_no_decimal_point", "1,5", 1},
    ValueRow{"trailing_point", "3.", 3},
    ValueRow{"sign_alone", "-", 0},
    ValueRow{"point_alone", ".", 0},
    ValueRow{"sign_twice", "--1", 0},
    ValueRow{"exponent_without_digits", "2e", 2},
    ValueRow{"exponent_sign_without_digits", "2e-", 2},
    ValueRow{"negative_exponent", "25E-1", 2.5},
    ValueRow{"lower_d_exponent", "5d-1", 0.5},
    ValueRow{"exponent_needs_mantissa", "e5", 0},
    ValueRow{"exponent_of_fraction", ".5e1", 5},
    ValueRow{"hex_lower", "&hff", 255},
    ValueRow{"hex_stops_at_g", "&H1G", 1},
    ValueRow{"hex_stops_at_at_sign", "&HF@", 15},
    ValueRow{"hex_zero_digit", "&H10", 16},
    ValueRow{"hex_without_digits", "&H", 0},
    ValueRow{"octal_stops_at_8", "&O78", 7},
    ValueRow{"ampersand_alone", "&", 0},
    ValueRow{"ampersand_digits", "&17", 0},
    ValueRow{"sign_before_hex", "-&H1", 0},
    ValueRow{"fullwidth_digit", "\uFF12", 0},
    ValueRow{"huge_exponent", "1e99999999999999999999", Inf},
    ValueRow{"negative_huge", "-9e999", -Inf},
    ValueRow{"tiny", "1e-99999", 0},
    ValueRow{"long_mantissa", "0.000000000000000000000000000000000000000000000000000000001e57", 1}
), rowName<ValueRow>);

// A bare machine has no locale with a decimal comma installed, so the test builds one of its own.
TEST(NumericValueLocale, PointWhateverTheLocale)
{
    QTemporaryDir dir;
    const std::string built = dir.filePath(QStringLiteral("de_DE")).toStdString();
    // Exit status 1 may mean mere warnings; the built category tells.
    std::system(("localedef -i de_DE -f ISO-8859-1 '" + built + "' >/dev/null 2>&1").c_str());
    if (!std::filesystem::exists(built + "/LC_NUMERIC"))
        GTEST_SKIP() << "localedef cannot build de_DE here (Debian: the locales package)";
    ::setenv("LOCPATH", dir.path().toStdString().c_str(), 1);
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const bool set = std::setlocale(LC_NUMERIC, "de_DE") != nullptr;
    const char comma = *std::localeconv()->decimal_point;
    const double point = numericValue("1.5");
    const double stop = numericValue("1,5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    ::unsetenv("LOCPATH");
    ASSERT_TRUE(set);
    ASSERT_EQ(comma, ',');
    EXPECT_EQ(point, 1.5);
    EXPECT_EQ(stop, 1);
}

TEST(HalfPeriod, HalvesToEvenWithinSignedThirtyTwoBits)
{
    EXPECT_EQ(halfPeriodMs(2), 1000);
    EXPECT_EQ(halfPeriodMs(-1), -500); // a negative one is returned as is
    EXPECT_EQ(halfPeriodMs(0.0015), 1); // three quarters of a millisecond
    EXPECT_EQ(halfPeriodMs(0.001), 0);  // a half to even zero
    EXPECT_EQ(halfPeriodMs(0.003), 2);  // one and a half to even two
    EXPECT_EQ(halfPeriodMs(4294967.294), 2147483647);
    EXPECT_EQ(halfPeriodMs(-4294967.296), -2147483647 - 1);
    EXPECT_EQ(halfPeriodMs(0.125), 62);  // 62.5 to even
    EXPECT_EQ(halfPeriodMs(0.375), 188); // 187.5 to even
    EXPECT_EQ(halfPeriodMs(-0.001), 0);
}

// Outside signed 32 bits is an overflow; the report of a speed lets the user see which was too large.
TEST(HalfPeriodFailure, OutsideSignedThirtyTwoBitsOverflows)
{
    for (double seconds : {4294967.296, -4294967.298, numericValue("9E9"), numericValue("-9E9"),
                           numericValue("1e400"), std::numeric_limits<double>::quiet_NaN()}) {
        try {
            halfPeriodMs(seconds);
            ADD_FAILURE() << seconds << " s gave a half-period";
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow) << seconds;
        }
    }
    try {
        halfPeriodOfSpeed("9E9");
        ADD_FAILURE() << "9E9 s gave a half-period";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.kind(), ErrorKind::Overflow);
        EXPECT_NE(e.detail().find("SPEED: 9E9"), std::string::npos) << e.detail();
    }
    EXPECT_EQ(halfPeriodOfSpeed("1 5"), 7500);
}

TEST(Int16, OutOfRangeOverflows)
{
    EXPECT_EQ(checkedInt16(32767), 32767);
    EXPECT_EQ(checkedInt16(-32768), -32768);
    EXPECT_EQ(addInt16(32766, 1), 32767);
    EXPECT_EQ(addInt16(-32767, -1), -32768);
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
), rowName<PickRow>);

} // namespace
