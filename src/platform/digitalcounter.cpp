#include "platform/digitalcounter.h"

namespace tamberlo {

namespace {
// Room for every count from 0 to 32767; the number text's leading blank is not drawn.
constexpr int DigitsShown = 5;
} // namespace

DigitalCounter::DigitalCounter(QWidget *parent)
    : QLCDNumber(DigitsShown, parent)
{
    setSegmentStyle(QLCDNumber::Filled);
    setFrameStyle(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    // Filled segments are shaded with Light and Dark: one colour keeps them crisp at this size.
    const QColor segments(255, 64, 32);
    colours.setColor(QPalette::WindowText, segments);
    colours.setColor(QPalette::Light, segments);
    colours.setColor(QPalette::Dark, segments);
    setPalette(colours);
    setValue(QStringLiteral(" 0"));
}

void DigitalCounter::setValue(const QString &numberText)
{
    m_value = numberText;
    const QString number = numberText.trimmed();
    display(number);
    setAccessibleName(number);
}

} // namespace tamberlo
