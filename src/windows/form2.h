#pragma once

#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tamberlo {

class DigitalCounter;
class EventPump;
class MillisecondClock;
class RandomDraw;
class Shell;
struct Module1;

// The flash drill: once started, it shows random entries of the current dictionary until the
// program ends.
class Form2 final : public QWidget {
    Q_OBJECT

public:
    Form2(Shell &shell, Module1 &module, const MillisecondClock &clock, EventPump &pump,
          RandomDraw &random, QWidget *parent = nullptr);

    // Lets t milliseconds pass while the window stays responsive; pumps events at least once.
    void Wait(const std::int32_t &t);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void onCommand1Clicked();
    void onCommand2Clicked();

    std::int32_t halfPeriod() const;

    Shell &m_shell;
    Module1 &m_module;
    const MillisecondClock &m_clock;
    EventPump &m_pump;
    RandomDraw &m_random;

    QLabel *Label1;
    QPushButton *Command1;
    QPushButton *Command2;
    QLineEdit *Text1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    DigitalCounter *CtlDigital1;
};

} // namespace tamberlo
