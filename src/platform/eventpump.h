#pragma once

#include <QtGlobal>

namespace tamberlo {

class MillisecondClock;

// Lets a long-running command keep its window responsive.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles the pending events and returns. Before the deadline (a clock time) it blocks until
    // an event comes or the deadline passes, whichever is first; after it, it never waits.
    virtual void pumpUntil(qint64 deadlineMs) = 0;
    void pumpOnce() { pumpUntil(0); }
};

class QtEventPump final : public EventPump {
public:
    explicit QtEventPump(const MillisecondClock &clock);
    void pumpUntil(qint64 deadlineMs) override;

private:
    const MillisecondClock &m_clock;
};

} // namespace tamberlo
