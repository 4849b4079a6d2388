#include "platform/clock.h"

#include <cstdint>
#include <random>

namespace tamberlo {

float ClockSeededRandom::reseedAndDraw()
{
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::system_clock::now().time_since_epoch().count());
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    std::mt19937 generator(seed);
    // 24 random bits fill a float's mantissa exactly, so the result is never 1.
    return static_cast<float>(generator() >> 8) * (1.0f / 16777216.0f);
}

} // namespace tamberlo
