#include "platform/steptimer.h"

#include <QSocketNotifier>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

namespace tamberlo {

// A timerfd rather than a QTimer: Qt counts timers in whole milliseconds and the glib event loop
// rounds its poll timeout up once more, so each label change would come late by a millisecond or
// more (bench/RESULTS.md has the figures).
PreciseStepTimer::PreciseStepTimer()
    : m_timerFd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
{
    // The step may start the next one, which replaces m_step while this one still runs.
    const auto fire = [this] {
        if (const std::function<void()> step = std::exchange(m_step, nullptr))
            step();
    };
    if (m_timerFd >= 0) {
        m_timerFdNotifier = std::make_unique<QSocketNotifier>(m_timerFd, QSocketNotifier::Read);
        QObject::connect(m_timerFdNotifier.get(), &QSocketNotifier::activated, m_timerFdNotifier.get(), [this, fire] {
            std::uint64_t expirations; // read, it quiets the descriptor until it is armed again
            if (::read(m_timerFd, &expirations, sizeof expirations) == sizeof expirations)
                fire();
        });
    }
    m_fallbackTimer.setSingleShot(true);
    m_fallbackTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_fallbackTimer, &QTimer::timeout, &m_fallbackTimer, fire);
}

PreciseStepTimer::~PreciseStepTimer()
{
    m_timerFdNotifier.reset();
    if (m_timerFd >= 0)
        ::close(m_timerFd);
}

void PreciseStepTimer::start(std::int32_t ms, std::function<void()> step)
{
    stop();
    m_step = std::move(step);
    // A step due at once goes on a zero QTimer: arming the timerfd would cost each step some 30 µs
    // of processor time more on a virtual machine (bench/RESULTS.md).
    const itimerspec in{{0, 0}, {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000}};
    if (ms <= 0 || m_timerFd < 0 || ::timerfd_settime(m_timerFd, 0, &in, nullptr) != 0)
        m_fallbackTimer.start(ms > 0 ? ms : 0);
}

void PreciseStepTimer::stop()
{
    m_step = nullptr;
    m_fallbackTimer.stop();
    const itimerspec off{};
    if (m_timerFd >= 0)
        ::timerfd_settime(m_timerFd, 0, &off, nullptr);
}

} // namespace tamberlo
