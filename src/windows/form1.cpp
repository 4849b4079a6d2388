#include "windows/form1.h"

#include "dictionary/dictionaryexists.h"
#include "dictionary/dictionaryfile.h"
#include "dictionary/module1.h"
#include "platform/controls.h"
#include "platform/fonts.h"
#include "platform/textbytes.h"
#include "windows/shell.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tamberlo {

Form1::Form1(Shell &shell, Module1 &module, FileDialog &fileDialog, QWidget *parent)
    : ProgramWindow(shell, parent)
    , m_module(module)
    , CommonDialog1(fileDialog)
{
    setUpWindow(this, "Form1", 7935, 2940);

    const QFont buttonFont = designFont(MsPGothic, 12, Weight::Bold);
    Label1 = makeLabel(this, "Label1", {QStringLiteral("Tamberlo"), {360, 240, 7215, 735},
                                        designFont(TimesNewRoman, 36, Weight::Bold, Slant::Italic),
                                        QColor(0, 0, 255)});
    Command1 = makeButton(this, "Command1", QStringLiteral("暗記開始"), {240, 1200, 1575, 375}, buttonFont);
    Command2 = makeButton(this, "Command2", QStringLiteral("単語追加"), {2280, 1200, 1575, 375}, buttonFont);
    Command3 = makeButton(this, "Command3", QStringLiteral("終了"), {4320, 1200, 1455, 375}, buttonFont);
    Label2 = makeLabel(this, "Label2", {QStringLiteral("Tamberlo Project"), {6360, 2640, 1575, 255},
                                        designFont(MsPGothic, 9, Weight::Bold), QColor(0, 128, 0)});
    Command4 = makeButton(this, "Command4", QStringLiteral("辞書選択"), {240, 1800, 1575, 375}, buttonFont);
    Label3 = makeLabel(this, "Label3", {QStringLiteral("辞書選択を押して辞書ファイルを選択してください"),
                                        {2280, 1920, 5415, 255}, std::nullopt, std::nullopt});
    Command5 = makeButton(this, "Command5", QStringLiteral("新規辞書作成"), {240, 2400, 1575, 375},
                          designFont(MsPGothic, 9.75, Weight::Bold));
    Text1 = makeTextBox(this, "Text1", QStringLiteral("新規辞書名を入力してください"), {2280, 2400, 3735, 375},
                        std::nullopt, 0, QStringLiteral("新規辞書名"));
    Label4 = makeLabel(this, "Label4", {QStringLiteral("Ver 2.0"), {6840, 1200, 735, 255},
                                        designFont(TimesNewRoman, 12, Weight::Bold), QColor(255, 0, 0)});

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);
    setTabOrder(Command5, Text1);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand1Clicked(); }));
    connect(Command2, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand2Clicked(); }));
    connect(Command3, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand3Clicked(); }));
    connect(Command4, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand4Clicked(); }));
    connect(Command5, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand5Clicked(); }));
}

void Form1::onLoad()
{
    if (!m_module.DictionaryPath.empty())
        setCaption(Label3, pathToText(m_module.DictionaryPath));
}

void Form1::onCommand1Clicked()
{
    openWithDictionary(Window::Form2);
}

void Form1::onCommand2Clicked()
{
    openWithDictionary(Window::Form3);
}

void Form1::openWithDictionary(Window next)
{
    if (m_module.DictionaryPath.empty()) {
        m_shell.message(QStringLiteral("辞書ファイルを選択してください。"));
        return;
    }
    m_shell.unloadWindow(Window::Form1);
    m_shell.showWindow(next);
}

void Form1::onCommand3Clicked()
{
    m_shell.endProgram();
}

void Form1::onCommand4Clicked()
{
    m_module.DictionaryPath.clear();
    CommonDialog1.setDefaultExt(QStringLiteral(".tmb"));
    CommonDialog1.setFilter(QStringLiteral("Tamberlo 辞書(*.tmb)|*.tmb"));
    CommonDialog1.setFilterIndex(1);
    CommonDialog1.showOpen(this);
    m_module.DictionaryPath = textToPath(CommonDialog1.fileName());
    setCaption(Label3, pathToText(m_module.DictionaryPath));
}

void Form1::onCommand5Clicked()
{
    // The new file lands in the working directory, which 辞書選択's file dialog moves to the chosen folder.
    const std::string name = textToPath(Text1->text() + QStringLiteral(".tmb"));
    const QString exists = QStringLiteral("その名前の辞書ファイルはすでに存在します");
    if (dictionaryExists(name)) {
        m_shell.message(exists);
        return;
    }
    // A name that cannot be created is the user's to correct, not a reason to end the program.
    const CreateResult result = createEmptyDictionary(name);
    switch (result.outcome) {
    case CreateOutcome::Created:
        m_shell.message(QStringLiteral("辞書ファイルを作成しました"));
        return;
    case CreateOutcome::AlreadyExists:
        m_shell.message(exists);
        return;
    case CreateOutcome::NotCreated:
        m_shell.message(QStringLiteral("辞書ファイルを作成できませんでした\n") + QString::fromStdString(result.reason));
        return;
    }
}

} // namespace tamberlo
