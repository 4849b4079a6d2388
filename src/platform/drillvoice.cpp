#include "platform/drillvoice.h"

#include "platform/clock.h"

#include <QAccessible>
#include <QPointer>
#include <QWidget>

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QAccessibleAnnouncementEvent>
#endif

namespace tamberlo {

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)

// An accessible object of the window's that no widget stands for: a status bar of its own, and the
// notification in it that says the latest word or meaning. Screen readers meet them only through
// their events, so a walk over the window's controls finds the labels just as before.
class VoiceNotification final : public QAccessibleInterface {
public:
    VoiceNotification(QWidget *window, QAccessible::Role role, QAccessibleInterface *parent)
        : m_window(window), m_role(role), m_parent(parent)
    {
    }

    void setName(const QString &name) { m_name = name; }
    void setChild(QAccessibleInterface *child) { m_child = child; }

    bool isValid() const override { return !m_window.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_window ? m_window->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_parent ? m_parent : QAccessible::queryAccessibleInterface(m_window.data());
    }
    QAccessibleInterface *child(int index) const override { return index == 0 ? m_child : nullptr; }
    int childCount() const override { return m_child ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child == m_child ? 0 : -1;
    }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? m_name : QString(); }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return m_role; }
    QAccessible::State state() const override { return {}; }

private:
    QPointer<QWidget> m_window;
    QAccessible::Role m_role;
    QAccessibleInterface *m_parent;
    QAccessibleInterface *m_child = nullptr;
    QString m_name;
};

#endif

DrillVoice::~DrillVoice()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    if (!m_notification)
        return;
    QAccessibleInterface *bar = m_notification->parent();
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(m_notification));
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(bar));
#endif
}

// A meaning is said only after its word, so that a drill too fast to say both keeps to words.
void DrillVoice::word(const QString &text)
{
    m_wordSkipped = !QAccessible::isActive() || !hasRoom();
    if (!m_wordSkipped)
        say(text);
}

void DrillVoice::meaning(const QString &text)
{
    if (!m_wordSkipped && QAccessible::isActive() && hasRoom())
        say(text);
}

bool DrillVoice::hasRoom() const
{
    return !m_lastSaidMs || m_clock.nowMs() - *m_lastSaidMs >= MinimumGapMs;
}

void DrillVoice::say(const QString &text)
{
    if (text.isEmpty())
        return;
    m_lastSaidMs = m_clock.nowMs();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // An announcement carries no role for the reader to name. Polite: a meaning waits for its word
    // to be said in full, and the gap between the two keeps the reader from falling behind.
    QAccessibleAnnouncementEvent announcement(m_window, text);
    QAccessible::updateAccessibility(&announcement);
#else
    if (!m_notification) {
        auto *bar = new VoiceNotification(m_window, QAccessible::StatusBar, nullptr);
        m_notification = new VoiceNotification(m_window, QAccessible::Notification, bar);
        bar->setChild(m_notification);
        QAccessible::registerAccessibleInterface(bar);
        QAccessible::registerAccessibleInterface(m_notification);
    }
    m_notification->setName(text);
    // The rename first, so that a reader holding the last name asks again; the showing is what it speaks.
    QAccessibleEvent renamed(m_notification, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent shown(m_notification, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#endif
}

} // namespace tamberlo
