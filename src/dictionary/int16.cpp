#include "int16.h"

#include "runtimeerror.h"

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

} // namespace tamberlo
