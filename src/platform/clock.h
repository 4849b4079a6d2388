#pragma once

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

} // namespace tamberlo
