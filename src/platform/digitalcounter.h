#pragma once

#include <QLCDNumber>

namespace tamberlo {

// A seven-segment box that shows the number text it was given last (" 7", "-3").
class DigitalCounter final : public QLCDNumber {
    Q_OBJECT

public:
    // The design's `length` setting, kept only so the design stays whole: 32767 needs five digits, not four.
    static constexpr qint16 DesignLength = 4;

    explicit DigitalCounter(QWidget *parent = nullptr);

    void setValue(const QString &numberText);
    QString value() const { return m_value; }

private:
    QString m_value;
};

} // namespace tamberlo
