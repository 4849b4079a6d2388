#include "windows/form3.h"

#include "dictionary/dictionaryfile.h"
#include "dictionary/newentry.h"
#include "dictionary/module1.h"
#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/fonts.h"
#include "platform/steptimer.h"
#include "platform/textbytes.h"
#include "windows/drillrules.h"
#include "windows/shell.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <utility>

namespace tamberlo {

Form3::Form3(Shell &shell, Module1 &module, const MillisecondClock &clock, StepTimer &timer, QWidget *parent)
    : ProgramWindow(shell, parent)
    , m_module(module)
    , m_clock(clock)
    , m_timer(timer)
{
    setUpWindow(this, "Form3", 6510, 2535);

    const QFont boxFont = designFont(MsPGothic, 12, Weight::Bold);
    const QFont large = designFont(MsPGothic, 18);
    const QFont mediumBold = designFont(MsPGothic, 14.25, Weight::Bold);
    Text1 = makeTextBox(this, "Text1", QString(), {1320, 360, 4935, 375}, boxFont, 15, QStringLiteral("英語"));
    Text2 = makeTextBox(this, "Text2", QString(), {1320, 1080, 4935, 375}, boxFont, 20, QStringLiteral("日本語"));
    Label1 = makeLabel(this, "Label1", {QStringLiteral("英語"), {240, 360, 735, 375}, large, QColor(0, 0, 255)});
    Command1 = makeButton(this, "Command1", QStringLiteral("登録"), {3480, 1800, 1095, 495}, large);
    Label2 = makeLabel(this, "Label2", {QStringLiteral("日本語"), {120, 1080, 975, 375}, mediumBold,
                                        QColor(255, 0, 0)});
    Label3 = makeLabel(this, "Label3", {QStringLiteral("現在登録数"), {240, 1920, 1575, 375}, mediumBold,
                                        QColor(0, 128, 0)});
    Command2 = makeButton(this, "Command2", QStringLiteral("戻る"), {5040, 1800, 1095, 495}, large);
    CtlDigital1 = makeCounter(this, "CtlDigital1", {1920, 1800, 1140, 420}, QStringLiteral("辞書の登録数"));

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();

    connect(Command1, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand1Clicked(); }));
    connect(Command2, &QPushButton::clicked, this, guarded(m_shell, [this] { onCommand2Clicked(); }));
}

Form3::~Form3()
{
    if (m_pending)
        m_timer.stop();
}

void Form3::onLoad()
{
    WordCount = countEntries(m_module.DictionaryPath);
    CtlDigital1->setValue(QString::fromStdString(numberText(WordCount)));
}

void Form3::onCommand1Clicked()
{
    // While a registration awaits the lock, a second press is one too many.
    if (m_pending)
        return;
    if (Text1->text().isEmpty() || Text2->text().isEmpty()) {
        m_shell.message(QStringLiteral("未記入欄があります"));
        return;
    }
    // A pair that could not be stored faithfully is refused before anything is written.
    switch (checkNewEntry(textToUtf8(Text1->text()), textToUtf8(Text2->text()))) {
    case EntryCheck::Ok:
        break;
    case EntryCheck::HoldsSeparator:
        m_shell.message(QStringLiteral("「<>」を含む語は登録できません"));
        return;
    case EntryCheck::NotStorable:
        m_shell.message(QStringLiteral("辞書ファイルに保存できない文字が含まれています"));
        return;
    }
    m_pending = Pending{Text1->text(), Text2->text(), m_clock.nowMs()};
    tryToAppend();
}

void Form3::tryToAppend()
{
    // Full or not is decided from the file itself: another writer may have filled it since load.
    const AppendResult result =
        appendEntry(m_module.DictionaryPath, textToUtf8(m_pending->word), textToUtf8(m_pending->meaning));
    // While another program holds the dictionary the window stays as it is, focus and all.
    if (result.outcome == AppendOutcome::Locked) {
        if (const auto next = nextLockTry(std::chrono::milliseconds(m_clock.nowMs() - m_pending->firstTryMs))) {
            m_timer.start(static_cast<std::int32_t>(next->count()), guarded(m_shell, [this] { tryToAppend(); }));
            return;
        }
    }
    const Pending saved = *std::exchange(m_pending, std::nullopt);
    switch (result.outcome) {
    case AppendOutcome::Appended:
        break;
    case AppendOutcome::DictionaryFull:
        m_shell.message(QStringLiteral("辞書がいっぱいです。これ以上登録できません"));
        return;
    case AppendOutcome::Locked:
    case AppendOutcome::NotWritten:
        m_shell.message(QStringLiteral("登録できませんでした\n") + QString::fromStdString(result.reason));
        return;
    }
    // Text typed while the lock was awaited is the user's next entry: only what was saved is cleared.
    if (Text1->text() == saved.word)
        Text1->setText(QString());
    if (Text2->text() == saved.meaning)
        Text2->setText(QString());
    WordCount = addInt16(WordCount, 1, m_module.DictionaryPath);
    CtlDigital1->setValue(QString::fromStdString(numberText(WordCount)));
    m_shell.message(QStringLiteral("登録しました"));
}

void Form3::onCommand2Clicked()
{
    if (m_pending)
        return;
    m_shell.unloadWindow(Window::Form3);
    m_shell.showWindow(Window::Form1);
}

} // namespace tamberlo
