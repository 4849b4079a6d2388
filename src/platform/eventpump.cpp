#include "eventpump.h"

#include "clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <cstdint>
#include <limits>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tamberlo {

// The wake-up is a timerfd rather than a QTimer: Qt counts timers in whole milliseconds and the
// glib event loop rounds its poll timeout up once more, so each label change would come late by
// a millisecond or more (bench/RESULTS.md has the figures).
QtEventPump::QtEventPump(const MillisecondClock &clock)
    : m_clock(clock)
{
    m_timerFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd >= 0) {
        m_timerFdNotifier = std::make_unique<QSocketNotifier>(m_timerFd, QSocketNotifier::Read);
        // Reading the expiry count quiets the descriptor until it is armed again.
        QObject::connect(m_timerFdNotifier.get(), &QSocketNotifier::activated, m_timerFdNotifier.get(),
                         [fd = m_timerFd] {
                             std::uint64_t expirations;
                             [[maybe_unused]] const ssize_t n = ::read(fd, &expirations, sizeof expirations);
                         });
    }
    m_fallbackTimer.setSingleShot(true);
    m_fallbackTimer.setTimerType(Qt::PreciseTimer);
}

QtEventPump::~QtEventPump()
{
    m_timerFdNotifier.reset();
    if (m_timerFd >= 0)
        ::close(m_timerFd);
}

void QtEventPump::pumpUntil(qint64 deadlineMs)
{
    const qint64 remaining = deadlineMs - m_clock.nowMs();
    if (remaining <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // Armed once per deadline, on its first turn: re-armed at every turn from a clock that counts
    // whole milliseconds, the wake-up would move with each turn's phase within the millisecond.
    if (deadlineMs != m_armedFor || !wakeUpPending()) {
        armWakeUp(remaining);
        m_armedFor = deadlineMs;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool QtEventPump::wakeUpPending() const
{
    if (m_timerFd < 0)
        return m_fallbackTimer.isActive();
    itimerspec left{};
    return ::timerfd_gettime(m_timerFd, &left) == 0 && (left.it_value.tv_sec != 0 || left.it_value.tv_nsec != 0);
}

void QtEventPump::armWakeUp(qint64 inMs)
{
    if (m_timerFd >= 0) {
        itimerspec in{};
        in.it_value.tv_sec = static_cast<time_t>(inMs / 1000);
        in.it_value.tv_nsec = static_cast<long>(inMs % 1000) * 1000000;
        if (::timerfd_settime(m_timerFd, 0, &in, nullptr) == 0)
            return;
    }
    m_fallbackTimer.start(static_cast<int>(qMin<qint64>(inMs, std::numeric_limits<int>::max())));
}

} // namespace tamberlo
