#pragma once

#include "platform/drillvoice.h"
#include "windows/drill.h"
#include "windows/shell.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tamberlo {

class DigitalCounter;
class MillisecondClock;
class RandomDraw;
struct Module1;

// The flash drill: once started, it shows random entries of the current dictionary until the
// program ends.
class Form2 final : public ProgramWindow {
    Q_OBJECT

public:
    Form2(Shell &shell, Module1 &module, const MillisecondClock &clock, StepTimer &timer,
          RandomDraw &random, QWidget *parent = nullptr);

private:
    void onCommand1Clicked(); // 開始: start the drill, whose steps run until the program ends
    void onCommand2Clicked(); // 終了: exit, end the program

    Module1 &m_module;
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
    Drill m_drill;
};

} // namespace tamberlo
