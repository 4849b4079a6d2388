#include "windows/drillrules.h"

#include "dictionary/runtimeerror.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
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

} // namespace

double numericValue(std::string_view utf8)
{
    std::string text;
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

    // Rebuilt in the C format, which strtod_l then reads in the C locale: the user's never matters.
    std::string number;
    if (at(i) == '-')
        number += '-';
    if (at(i) == '+' || at(i) == '-')
        ++i;
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
    std::size_t k = at(i + 1) == '+' || at(i + 1) == '-' ? i + 2 : i + 1;
    if ((e == 'e' || e == 'd') && isDigit(at(k))) { // "1e" and "1e-" just end the number at the letter
        number += at(i + 1) == '-' ? "e-" : "e";
        for (; isDigit(at(k)); ++k)
            number += at(k);
    }
    // Beyond the range of a double, strtod gives +-infinity, or 0 when too small.
    static const locale_t cLocale = ::newlocale(LC_NUMERIC_MASK, "C", locale_t{});
    return ::strtod_l(number.c_str(), nullptr, cLocale);
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
