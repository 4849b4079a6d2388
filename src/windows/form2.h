#pragma once

#include "drillvoice.h"

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
    void closeEvent(QCloseEvent *event) override; // the close box ends the program

private:
    void onCommand1Clicked(); // 開始: start the drill, which runs until the program ends
    void onCommand2Clicked(); // 終了: exit, end the program

    std::int32_t halfPeriod() const; // of the speed in Text1, read afresh at every wait

    Shell &m_shell;
    Module1 &m_module;
    const MillisecondClock &m_clock;
    EventPump &m_pump;
    RandomDraw &m_random;
    DrillVoice m_voice; // says each word and meaning to a screen reader, if one listens

    QLabel *Label1; // empty: the word
    QPushButton *Command1; // 開始: start
    QPushButton *Command2; // 終了: exit
    QLineEdit *Text1; // "2": seconds per word, at most 3 characters
    QLabel *Label2; // empty: the meaning
    QLabel *Label3; // "s/word", blanked when the drill starts
    QLabel *Label4; // "SPEED", blanked when the drill starts
    QLabel *Label5; // "No.", shown when the drill starts
    DigitalCounter *CtlDigital1; // the picked entry's number, shown when the drill starts
};

} // namespace tamberlo
