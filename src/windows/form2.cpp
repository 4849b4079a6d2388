#include "windows/form2.h"

#include "dictionary/module1.h"
#include "platform/controls.h"
#include "platform/fonts.h"
#include "windows/shell.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tamberlo {

Form2::Form2(Shell &shell, Module1 &module, const MillisecondClock &clock, StepTimer &timer,
             RandomDraw &random, QWidget *parent)
    : ProgramWindow(shell, parent)
    , m_module(module)
    , m_voice(this, clock)
    , m_drill(shell, timer, random,
              {[this] { return Text1->text().toStdString(); },
               [this](const QString &number) { CtlDigital1->setValue(number); },
               [this](const QString &word) { Label1->setText(word); m_voice.word(word); },
               [this](const QString &meaning) { Label2->setText(meaning); m_voice.meaning(meaning); },
               [this] { Label2->clear(); }})
{
    setUpWindow(this, "Form2", 7980, 3450);
    setFont(designFont(MsPGothic, 14.25));

    const QFont large = designFont(MsPGothic, 18);
    Label1 = makeLabel(this, "Label1", {QString(), {0, 360, 7935, 1095},
                                        designFont(TimesNewRoman, 48, Weight::Bold), QColor(0, 0, 192),
                                        TextAlign::Centred});
    Command1 = makeButton(this, "Command1", QStringLiteral("開始"), {4320, 2640, 1215, 495}, large);
    Command2 = makeButton(this, "Command2", QStringLiteral("終了"), {6240, 2640, 1095, 495}, large);
    Text1 = makeTextBox(this, "Text1", QStringLiteral("2"), {2160, 2640, 495, 420}, std::nullopt, 3,
                        QStringLiteral("SPEED s/word"));
    // Seconds per word are digits: a Japanese input method would only stand in the way.
    Text1->setAttribute(Qt::WA_InputMethodEnabled, false);
    Label2 = makeLabel(this, "Label2", {QString(), {0, 1800, 8055, 375}, large, std::nullopt,
                                        TextAlign::Centred});
    Label3 = makeLabel(this, "Label3", {QStringLiteral("s/word"), {2760, 2760, 975, 375}, std::nullopt, std::nullopt});
    Label4 = makeLabel(this, "Label4", {QStringLiteral("SPEED"), {840, 2640, 1095, 375}, large,
                                        QColor(0, 128, 0)});
    Label5 = makeLabel(this, "Label5", {QStringLiteral("No."), {840, 2640, 495, 375}, large,
                                        QColor(255, 0, 0)});
    CtlDigital1 = makeCounter(this, "CtlDigital1", {1560, 2640, 1140, 420}, QStringLiteral("出題中の番号"));

    // Where the bottom row overlaps, "No." and the counter lie above "SPEED" and the speed box.
    Label5->raise();
    CtlDigital1->raise();
    Label5->hide();
    CtlDigital1->hide();

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Text1);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand1Clicked(); }));
    connect(Command2, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand2Clicked(); }));
}

void Form2::onCommand1Clicked()
{
    Command1->hide();
    Label3->setText(QString());
    Label4->setText(QString());
    Text1->hide();
    Label5->show();
    CtlDigital1->show();

    m_drill.start(m_module.DictionaryPath);
}

void Form2::onCommand2Clicked()
{
    m_shell.endProgram();
}

} // namespace tamberlo
