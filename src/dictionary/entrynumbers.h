#pragma once

#include <cstdint>
#include <string>

// Entry counts and entry numbers: signed 16-bit, 1-based, shown on the counter as number text.
namespace tamberlo {

// Leaving the signed 16-bit range is an overflow error, naming the file where one is given.
std::int16_t checkedInt16(long long value, const std::string &path = {});
std::int16_t addInt16(std::int16_t a, std::int16_t b, const std::string &path = {});

// The 1-based entry a draw r in [0, 1) picks from count entries; 1 for an empty dictionary.
std::int16_t pickEntryNumber(float r, std::int16_t count);

// The text a counter is given for a number: a blank (or '-') then the digits: 7 -> " 7", -3 -> "-3".
std::string numberText(long long value);

} // namespace tamberlo
