#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The drill's rules on numbers, Qt-free: the speed typed, the half-period waited, the entry
// drawn, entry counts in signed 16 bits and the text a counter shows.
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

// Leaving the signed 16-bit range is an overflow error, naming the file where one is given.
std::int16_t checkedInt16(long long value, const std::string &path = {});
std::int16_t addInt16(std::int16_t a, std::int16_t b, const std::string &path = {});

// The 1-based entry a draw r in [0, 1) picks from count entries; 1 for an empty dictionary.
std::int16_t pickEntryNumber(float r, std::int16_t count);

// The text a counter is given for a number: a blank (or '-') then the digits: 7 -> " 7", -3 -> "-3".
std::string numberText(long long value);

} // namespace tamberlo
