#include "dictionary/entrynumbers.h"

#include "dictionary/runtimeerror.h"

#include <limits>

namespace tamberlo {

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
