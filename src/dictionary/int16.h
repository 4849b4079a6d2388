#pragma once

#include <cstdint>
#include <string>

namespace tamberlo {

// Entry counts and entry numbers are signed 16-bit; leaving the range is an overflow error.
std::int16_t checkedInt16(long long value, const std::string &path = {});
std::int16_t addInt16(std::int16_t a, std::int16_t b, const std::string &path = {});

} // namespace tamberlo
