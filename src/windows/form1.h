#pragma once

#include "commondialog.h"
#include "shell.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tamberlo {

class FileDialog;
struct Module1;

// The main menu: choose or create a dictionary, then go to the drill or to word entry.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    Form1(Shell &shell, Module1 &module, FileDialog &fileDialog, QWidget *parent = nullptr);

    void onLoad();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void onCommand1Clicked();
    void onCommand2Clicked();
    void onCommand3Clicked();
    void onCommand4Clicked();
    void onCommand5Clicked();
    void openWithDictionary(Window next);

    Shell &m_shell;
    Module1 &m_module;

    QLabel *Label1;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command3;
    QLabel *Label2;
    QPushButton *Command4;
    QLabel *Label3;
    QPushButton *Command5;
    QLineEdit *Text1;
    QLabel *Label4;
    CommonDialog CommonDialog1;
};

} // namespace tamberlo
