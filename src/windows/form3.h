#pragma once

#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tamberlo {

class DigitalCounter;
class Shell;
struct Module1;

// Word entry: appends word–meaning pairs to the current dictionary and shows how many it holds.
class Form3 final : public QWidget {
    Q_OBJECT

public:
    Form3(Shell &shell, Module1 &module, QWidget *parent = nullptr);

    void onLoad();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void onCommand1Clicked();
    void onCommand2Clicked();

    Shell &m_shell;
    Module1 &m_module;

    // Entries in the dictionary as far as this window knows.
    std::int16_t WordCount = 0;

    QLineEdit *Text1;
    QLineEdit *Text2;
    QLabel *Label1;
    QPushButton *Command1;
    QLabel *Label2;
    QLabel *Label3;
    QPushButton *Command2;
    DigitalCounter *CtlDigital1;
};

} // namespace tamberlo
