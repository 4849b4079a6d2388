#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class QWidget;

namespace tamberlo {

class MillisecondClock;
class VoiceNotification;

// Hands the drill's words and meanings to a screen reader, which ignores changes to labels that
// do not hold the focus. From Qt 6.8 each is an announcement of the window's; before, it is shown
// as a notification in a status bar of the window, which Orca speaks at once without naming its
// role. The labels themselves stay as they are. Without a screen reader it does nothing.
class DrillVoice {
public:
    // What a reader needs to say a word before the next one cuts it off.
    static constexpr qint64 MinimumGapMs = 500;

    DrillVoice(QWidget *window, const MillisecondClock &clock) : m_window(window), m_clock(clock) {}
    ~DrillVoice();
    DrillVoice(const DrillVoice &) = delete;
    DrillVoice &operator=(const DrillVoice &) = delete;

    void word(const QString &text);
    void meaning(const QString &text);

private:
    bool hasRoom() const;
    void say(const QString &text);

    QWidget *m_window;
    const MillisecondClock &m_clock;
    std::optional<qint64> m_lastSaidMs;
    bool m_wordSkipped = false;
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    VoiceNotification *m_notification = nullptr; // owned by Qt's accessibility cache once made
#endif
};

} // namespace tamberlo
