#pragma once

#include <QLCDNumber>

namespace tamberlo {

// A seven-segment box that shows the number text it was given last (" 7", "-3").
class DigitalCounter final : public QLCDNumber {
    Q_OBJECT

public:
    explicit DigitalCounter(QWidget *parent = nullptr);

    void setValue(const QString &numberText);
    QString value() const { return m_value; }

private:
    QString m_value;
};

} // namespace tamberlo
