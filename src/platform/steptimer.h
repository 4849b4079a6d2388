#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tamberlo {

// Runs the next step of timed work from the event loop, so that every handler returns at once.
class StepTimer {
public:
    virtual ~StepTimer() = default;
    // Runs `step` once, ms milliseconds from now; when ms is zero or less, once the events pending
    // now are handled. Replaces a step still due.
    virtual void start(std::int32_t ms, std::function<void()> step) = 0;
    virtual void stop() = 0;
};

// Its timerfd is made by the first start that waits: failing that is that start's run-time error,
// reported as any other.
class PreciseStepTimer final : public StepTimer {
public:
    PreciseStepTimer();
    ~PreciseStepTimer() override;
    void start(std::int32_t ms, std::function<void()> step) override;
    void stop() override;

private:
    void makeTimerFd();
    void fire();

    std::function<void()> m_step;
    int m_timerFd = -1;
    std::unique_ptr<QSocketNotifier> m_timerFdNotifier;
    QTimer m_atOnceTimer;
};

} // namespace tamberlo
