#pragma once

#include "windows/shell.h"

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tamberlo {

class DigitalCounter;
class MillisecondClock;
class StepTimer;
struct Module1;

// Word entry: appends word–meaning pairs to the current dictionary and shows how many it holds.
class Form3 final : public ProgramWindow {
    Q_OBJECT

public:
    Form3(Shell &shell, Module1 &module, const MillisecondClock &clock, StepTimer &timer, QWidget *parent = nullptr);
    ~Form3() override;

    void onLoad(); // load step: counts the dictionary into WordCount and CtlDigital1

private:
    void onCommand1Clicked(); // 登録: register the word and its meaning
    void onCommand2Clicked(); // 戻る: back to the main menu
    void tryToAppend(); // one try of the pending registration; tried again while another program holds the lock

    Module1 &m_module;
    const MillisecondClock &m_clock;
    StepTimer &m_timer;

    // Entries in the dictionary as far as this window knows.
    std::int16_t WordCount = 0;
    // The registration 登録 is saving, as typed; present while the lock is awaited.
    struct Pending {
        QString word, meaning;
        qint64 firstTryMs;
    };
    std::optional<Pending> m_pending;

    QLineEdit *Text1; // empty: the English word, at most 15 characters
    QLineEdit *Text2; // empty: the Japanese meaning, at most 20 characters
    QLabel *Label1; // 英語: English
    QPushButton *Command1; // 登録: register
    QLabel *Label2; // 日本語: Japanese
    QLabel *Label3; // 現在登録数: number registered
    QPushButton *Command2; // 戻る: back
    DigitalCounter *CtlDigital1; // the number of entries, WordCount
};

} // namespace tamberlo
