#pragma once

#include <cstdint>
#include <string_view>

namespace tamberlo {

// The numeric value of a text: blanks, tabs and line feeds are ignored anywhere; then an optional
// sign, digits with '.' as decimal point (whatever the locale) and an optional exponent (E or D,
// either case); or &H / &O for a hexadecimal or octal integer. Reading stops at the first character
// that does not fit; a text that does not begin with a number is 0. Beyond the range of a double
// the value is +-infinity (or 0 when too small).
double numericValue(std::string_view utf8);

// Milliseconds of half a period of `seconds`: seconds * 1000 / 2, rounded half to even.
// Outside the signed 32-bit range (or not finite) it is an overflow error; a negative result is returned as is.
std::int32_t halfPeriodMs(double seconds);

// The half-period of a speed typed as seconds per word; an overflow names the text typed.
std::int32_t halfPeriodOfSpeed(std::string_view speedText);

} // namespace tamberlo
