#pragma once

#include <string>

namespace tamberlo {

// The text a counter is given for a number: a blank (or '-') then the digits: 7 -> " 7", -3 -> "-3".
std::string numberText(long long value);

} // namespace tamberlo
