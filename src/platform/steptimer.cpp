#include "platform/steptimer.h"

#include <QSocketNotifier>
#include <cerrno>
#include <sys/timerfd.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace tamberlo {

PreciseStepTimer::PreciseStepTimer()
{
    m_atOnceTimer.setSingleShot(true);
    QObject::connect(&m_atOnceTimer, &QTimer::timeout, &m_atOnceTimer, [this] { fire(); });
}

PreciseStepTimer::~PreciseStepTimer()
{
    m_timerFdNotifier.reset();
    if (m_timerFd >= 0)
        ::close(m_timerFd);
}

// A timerfd rather than a QTimer: Qt counts timers in whole milliseconds and the glib event loop
// rounds its poll timeout up once more, so each label change would come late by a millisecond or
// more (bench/RESULTS.md has the figures).
void PreciseStepTimer::makeTimerFd()
{
    m_timerFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd < 0)
        throw std::system_error(errno, std::system_category(), "timerfd_create");
    m_timerFdNotifier = std::make_unique<QSocketNotifier>(m_timerFd, QSocketNotifier::Read);
    QObject::connect(m_timerFdNotifier.get(), &QSocketNotifier::activated, m_timerFdNotifier.get(), [this] {
        std::uint64_t expirations; // read, it quiets the descriptor until it is armed again
        if (::read(m_timerFd, &expirations, sizeof expirations) == sizeof expirations)
            fire();
    });
}

// The step may start the next one, which replaces m_step while this one still runs.
void PreciseStepTimer::fire()
{
    if (const std::function<void()> step = std::exchange(m_step, nullptr))
        step();
}

void PreciseStepTimer::start(std::int32_t ms, std::function<void()> step)
{
    stop();
    // A step due at once goes on a zero QTimer: arming the timerfd would cost each step some 30 µs
    // of processor time more on a virtual machine (bench/RESULTS.md).
    if (ms <= 0) {
        m_atOnceTimer.start(0);
    } else {
        if (m_timerFd < 0)
            makeTimerFd();
        const itimerspec in{{0, 0}, {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000}};
        if (::timerfd_settime(m_timerFd, 0, &in, nullptr) != 0)
            throw std::system_error(errno, std::system_category(), "timerfd_settime");
    }
    m_step = std::move(step);
}

void PreciseStepTimer::stop()
{
    m_step = nullptr;
    m_atOnceTimer.stop();
    const itimerspec off{};
    if (m_timerFd >= 0)
        ::timerfd_settime(m_timerFd, 0, &off, nullptr);
}

} // namespace tamberlo
