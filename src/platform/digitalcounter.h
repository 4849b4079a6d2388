#pragma once

#include <QLCDNumber>

namespace tamberlo {

// A seven-segment box that shows the number text it was given last (" 7", "-3").
class DigitalCounter final : public QLCDNumber {
    Q_OBJECT

public:
    // The component's own design setting, kept with each instance.
    static constexpr qint16 DesignLength = 4;

    explicit DigitalCounter(QWidget *parent = nullptr);

    void setValue(const QString &numberText);
    QString value() const { return m_value; }
    qint16 length() const { return m_length; }

private:
    QString m_value;
    qint16 m_length = DesignLength;
};

} // namespace tamberlo
