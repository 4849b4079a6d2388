#pragma once

#include "platform/dialogs.h"
#include "windows/shell.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tamberlo {

struct Module1;

// The main menu: choose or create a dictionary, then go to the drill or to word entry.
class Form1 final : public ProgramWindow {
    Q_OBJECT

public:
    Form1(Shell &shell, Module1 &module, FileDialog &fileDialog, QWidget *parent = nullptr);

    void onLoad(); // load step: Label3 shows the chosen dictionary's path, if any

private:
    void onCommand1Clicked(); // 暗記開始: start memorizing, on to the drill
    void onCommand2Clicked(); // 単語追加: add words, on to word entry
    void onCommand3Clicked(); // 終了: exit, end the program
    void onCommand4Clicked(); // 辞書選択: choose the dictionary
    void onCommand5Clicked(); // 新規辞書作成: create an empty dictionary named by Text1
    void openWithDictionary(Window next); // 暗記開始 and 単語追加 need a chosen dictionary

    Module1 &m_module;

    QLabel *Label1; // "Tamberlo": the title
    QPushButton *Command1; // 暗記開始: start memorizing
    QPushButton *Command2; // 単語追加: add words
    QPushButton *Command3; // 終了: exit
    QLabel *Label2; // the author credit
    QPushButton *Command4; // 辞書選択: select dictionary
    QLabel *Label3; // 辞書選択を押して辞書ファイルを選択してください, then the path
    QPushButton *Command5; // 新規辞書作成: create new dictionary
    QLineEdit *Text1; // 新規辞書名を入力してください: the new dictionary's name
    QLabel *Label4; // "Ver 2.0": the version
    CommonDialog CommonDialog1; // the file-open dialog of 辞書選択
};

} // namespace tamberlo
