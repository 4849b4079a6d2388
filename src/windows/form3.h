#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tamberlo {

class DigitalCounter;
class Shell;
struct Module1;

// Word entry: appends word–meaning pairs to the current dictionary and shows how many it holds.
class Form3 final : public QWidget {
    Q_OBJECT

public:
    Form3(Shell &shell, Module1 &module, QWidget *parent = nullptr);

    void onLoad(); // load step: counts the dictionary into WordCount and CtlDigital1

protected:
    void closeEvent(QCloseEvent *event) override; // the close box ends the program

private:
    void onCommand1Clicked(); // 登録: register the word and its meaning
    void onCommand2Clicked(); // 戻る: back to the main menu
    void tryToAppend(); // one try of the pending registration; retried while another program holds the lock
    void setWaitingForLock(bool waiting);

    Shell &m_shell;
    Module1 &m_module;

    // Entries in the dictionary as far as this window knows.
    std::int16_t WordCount = 0;
    // The registration 登録 is trying to save, as typed and as stored.
    struct Pending {
        QString wordText, meaningText;
        std::string word, meaning;
        std::chrono::steady_clock::time_point giveUpAt;
    } m_pending;
    QTimer *m_lockRetry;
    QPointer<QWidget> m_focusBeforeWait;

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
