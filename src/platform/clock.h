#pragma once

// The clock and the random draw the windows read: real here, fakes in the window tests.

#include <QtGlobal>
#include <chrono>

namespace tamberlo {

// Milliseconds from a monotonic clock; 64 bits, so it never wraps.
class MillisecondClock {
public:
    virtual ~MillisecondClock() = default;
    virtual qint64 nowMs() const = 0;
};

class SteadyClock final : public MillisecondClock {
public:
    qint64 nowMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

// A uniform draw in [0, 1), single precision, from a generator reseeded from the clock first.
class RandomDraw {
public:
    virtual ~RandomDraw() = default;
    virtual float reseedAndDraw() = 0;
};

class ClockSeededRandom final : public RandomDraw {
public:
    float reseedAndDraw() override;
};

} // namespace tamberlo
