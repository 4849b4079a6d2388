#pragma once

#include <QtGlobal>

namespace tamberlo {

// Milliseconds from a monotonic clock; 64 bits, so it never wraps.
class MillisecondClock {
public:
    virtual ~MillisecondClock() = default;
    virtual qint64 nowMs() const = 0;
};

class SteadyClock final : public MillisecondClock {
public:
    qint64 nowMs() const override;
};

} // namespace tamberlo
