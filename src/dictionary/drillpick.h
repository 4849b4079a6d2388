#pragma once

#include "int16.h"

#include <cstdint>

namespace tamberlo {

// The 1-based entry a draw r in [0, 1) picks from count entries; 1 for an empty dictionary.
inline std::int16_t pickEntryNumber(float r, std::int16_t count)
{
    // The product is formed in double: in single precision r * count could round up to count.
    return checkedInt16(static_cast<long long>(static_cast<double>(r) * count) + 1);
}

} // namespace tamberlo
