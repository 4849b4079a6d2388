#include "numbertext.h"

namespace tamberlo {

std::string numberText(long long value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

} // namespace tamberlo
