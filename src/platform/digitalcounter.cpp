#include "digitalcounter.h"

namespace tamberlo {

namespace {
// Room for every count from 0 to 32767 (the leading blank of the number text is not drawn).
constexpr int DigitsShown = 5;
} // namespace

DigitalCounter::DigitalCounter(QWidget *parent)
    : QLCDNumber(DigitsShown, parent)
{
    setSegmentStyle(QLCDNumber::Flat);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, QColor(255, 64, 32));
    colours.setColor(QPalette::Light, QColor(255, 64, 32));
    colours.setColor(QPalette::Dark, QColor(255, 64, 32));
    setPalette(colours);
    setValue(QStringLiteral(" 0"));
}

void DigitalCounter::setValue(const QString &numberText)
{
    m_value = numberText;
    const QString shown = numberText.size() > DigitsShown ? numberText.trimmed() : numberText;
    display(shown);
    setAccessibleName(numberText.trimmed());
}

} // namespace tamberlo
