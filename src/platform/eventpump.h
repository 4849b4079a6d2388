#pragma once

#include <QTimer>
#include <QtGlobal>
#include <memory>

class QSocketNotifier;

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
    ~QtEventPump() override;
    void pumpUntil(qint64 deadlineMs) override;

private:
    bool wakeUpPending() const;
    void armWakeUp(qint64 inMs);

    const MillisecondClock &m_clock;
    qint64 m_armedFor = 0;
    int m_timerFd = -1;
    std::unique_ptr<QSocketNotifier> m_timerFdNotifier;
    QTimer m_fallbackTimer;
};

} // namespace tamberlo
