#include "eventpump.h"

#include "clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace tamberlo {

QtEventPump::QtEventPump(const MillisecondClock &clock)
    : m_clock(clock)
{
}

void QtEventPump::pumpUntil(qint64 deadlineMs)
{
    const qint64 remaining = deadlineMs - m_clock.nowMs();
    if (remaining <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The timer's own event ends the blocking wait at the deadline if nothing else comes first.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    wakeUp.start(static_cast<int>(qMin<qint64>(remaining, std::numeric_limits<int>::max())));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace tamberlo
