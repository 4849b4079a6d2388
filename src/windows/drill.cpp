#include "windows/drill.h"

#include "dictionary/dictionaryfile.h"
#include "dictionary/shownpiece.h"
#include "platform/clock.h"
#include "windows/drillrules.h"
#include "windows/shell.h"

#include <QLoggingCategory>
#include <chrono>

namespace tamberlo {

// Off by default; QT_LOGGING_RULES="tamberlo.drill.debug=true" prints every label change of the
// drill with a monotonic time in microseconds, for timing measurements and end-to-end tests.
Q_LOGGING_CATEGORY(lcDrill, "tamberlo.drill", QtWarningMsg)

static qint64 traceMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void Drill::start(const std::string &path)
{
    m_path = path;
    m_entryCount = countEntries(path);
    Wait(0, &Drill::word);
}

void Drill::word()
{
    m_entryNumber = pickEntryNumber(m_random.reseedAndDraw(), m_entryCount);
    // Only what the labels show is read into memory: a gigabyte line costs what a short one does.
    m_pieces = readEntryPieces(m_path, m_entryNumber);
    m_view.showNumber(QString::fromStdString(numberText(m_entryNumber)));
    const QString word = QString::fromStdString(entryPiece(m_pieces, 0, m_path, m_entryNumber));
    m_view.showWord(word);
    qCDebug(lcDrill).noquote() << "word" << traceMicroseconds() << m_entryNumber << word;
    Wait(halfPeriodOfSpeed(m_view.speed()), &Drill::meaning);
}

void Drill::meaning()
{
    const QString meaning = QString::fromStdString(entryPiece(m_pieces, 1, m_path, m_entryNumber));
    m_view.showMeaning(meaning);
    qCDebug(lcDrill).noquote() << "meaning" << traceMicroseconds() << meaning;
    Wait(halfPeriodOfSpeed(m_view.speed()), &Drill::clear);
}

void Drill::clear()
{
    m_view.clearMeaning();
    qCDebug(lcDrill).noquote() << "clear" << traceMicroseconds();
    Wait(0, &Drill::word);
}

void Drill::Wait(const std::int32_t &t, Step next)
{
    // The trace's waits are the half-periods alone, as the end-to-end tests and the bench read a flash.
    if (next != &Drill::word)
        qCDebug(lcDrill).noquote() << "wait" << traceMicroseconds() << t;
    // Each step runs from Qt's event dispatch: guarded, its run-time error ends there, reported.
    m_timer.start(t, guarded(m_shell, [this, next] { (this->*next)(); }));
}

} // namespace tamberlo
