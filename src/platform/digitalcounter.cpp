#include "platform/digitalcounter.h"

namespace tamberlo {

// Five digits: room for every count up to 32767 (the design's four would not hold it); the number
// text's leading blank is not drawn.
DigitalCounter::DigitalCounter(QWidget *parent)
    : QLCDNumber(5, parent)
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
