#include "windows/drillrules.h"

#include "dictionary/runtimeerror.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tamberlo {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of the leading digits in `base` (16 or 8), either case.
double radixValue(std::string_view digits, int base)
{
    double value = 0;
    for (const char c : digits) {
        const char lower = static_cast<char>(c | 0x20);
        const int d = isDigit(c) ? c - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : base;
        if (d >= base)
            break;
        value = value * base + d;
    }
    return value;
}

// Far beyond any double in either direction, and safe to add to a digit count.
constexpr long long ExponentLimit = 1'000'000'000;

} // namespace

double numericValue(std::string_view utf8)
{
    std::string text;
    text.reserve(utf8.size());
    for (char c : utf8)
        if (c != ' ' && c != '\t' && c != '\n')
            text += c;

    std::size_t i = 0;
    auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };

    if (at(0) == '&') {
        const char radix = at(1) | 0x20;
        return radix == 'h' ? radixValue(std::string_view(text).substr(2), 16)
             : radix == 'o' ? radixValue(std::string_view(text).substr(2), 8)
                            : 0;
    }

    // Rebuilt in the C format that from_chars reads, so the user's locale never matters.
    std::string number;
    if (at(i) == '+' || at(i) == '-') {
        if (at(i) == '-')
            number += '-';
        ++i;
    }
    bool anyDigit = false;
    for (; isDigit(at(i)); ++i, anyDigit = true)
        number += at(i);
    if (at(i) == '.') {
        number += '.';
        for (++i; isDigit(at(i)); ++i, anyDigit = true)
            number += at(i);
    }
    if (!anyDigit)
        return 0;

    const char e = at(i) | 0x20;
    if (e == 'e' || e == 'd') {
        std::size_t k = i + 1;
        bool negative = false;
        if (at(k) == '+' || at(k) == '-')
            negative = at(k++) == '-';
        if (isDigit(at(k))) { // "1e" and "1e-" just end the number at the letter
            long long exponent = 0;
            for (; isDigit(at(k)); ++k)
                exponent = std::min(exponent * 10 + (at(k) - '0'), ExponentLimit);
            number += 'e';
            number += std::to_string(negative ? -exponent : exponent);
        }
    }

    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: tell which by where the first significant digit sits.
        long long exponent = 0;
        if (const auto ePos = number.find('e'); ePos != std::string::npos)
            exponent = std::stoll(number.substr(ePos + 1));
        const std::string mantissa = number.substr(0, number.find('e'));
        const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
        const std::size_t first = mantissa.find_first_of("123456789");
        const long long magnitude = exponent + static_cast<long long>(point) - static_cast<long long>(first)
                                    - (first > point ? 1 : 0);
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return number[0] == '-' ? -value : value;
    }
    return value;
}

std::int32_t halfPeriodMs(double seconds)
{
    const double ms = seconds * 1000 / 2;
    // Halves to the even neighbour, independent of the thread's floating-point rounding mode.
    double rounded = std::floor(ms);
    const double fraction = ms - rounded; // exact for every finite double
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0))
        rounded += 1;
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        throw RuntimeError(ErrorKind::Overflow, {}, 0, "待ち時間 (ミリ秒) が32ビット整数の範囲を超えています");
    return static_cast<std::int32_t>(rounded);
}

std::int32_t halfPeriodOfSpeed(std::string_view speedText)
{
    try {
        return halfPeriodMs(numericValue(speedText));
    } catch (const RuntimeError &e) {
        throw RuntimeError(e.kind(), e.path(), e.line(), e.detail() + " (SPEED: " + std::string(speedText) + ")");
    }
}

std::int16_t checkedInt16(long long value, const std::string &path)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(ErrorKind::Overflow, path, 0,
                           std::to_string(value) + " は16ビット整数の範囲 (-32768〜32767) を超えています");
    return static_cast<std::int16_t>(value);
}

std::int16_t addInt16(std::int16_t a, std::int16_t b, const std::string &path)
{
    return checkedInt16(static_cast<long long>(a) + b, path);
}

std::int16_t pickEntryNumber(float r, std::int16_t count)
{
    // The product is formed in double: in single precision r * count could round up to count.
    return checkedInt16(static_cast<long long>(static_cast<double>(r) * count) + 1);
}

std::string numberText(long long value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

} // namespace tamberlo
