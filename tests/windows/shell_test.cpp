// Start-up, navigation between the windows, the end of the program and run-time error reports.

#include "fakes.h"
#include "testmain.h"

#include <QPushButton>
#include <stdexcept>

using namespace tamberlo;
using namespace tamberlo::testing;

Q_DECLARE_METATYPE(tamberlo::Window)

namespace {
int visibleWindows(const Harness &h)
{
    int n = 0;
    for (Window w : {Window::Form1, Window::Form2, Window::Form3})
        n += h.app.window(w) && h.app.window(w)->isVisible();
    return n;
}
} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    // The program starts on the main menu alone, whose 暗記開始 and 単語追加 open their window only
    // once a dictionary is chosen.
    void mainMenuOpensTheOtherWindows_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QString>("button");
        QTest::addColumn<Window>("opened");
        for (bool chosen : {false, true}) {
            const QByteArray how = chosen ? "" : "no_dictionary_";
            QTest::newRow(how + "drill") << chosen << "Command1" << Window::Form2;
            QTest::newRow(how + "word_entry") << chosen << "Command2" << Window::Form3;
        }
    }

    void mainMenuOpensTheOtherWindows()
    {
        QFETCH(bool, chosen);
        QFETCH(QString, button);
        QFETCH(Window, opened);
        Harness h;
        if (chosen)
            h.useDictionary("dog<>\x8c\xa2\r\n");
        h.app.start();
        QPointer<QWidget> menu = h.app.window(Window::Form1);
        QVERIFY(menu->isVisible());
        QCOMPARE(visibleWindows(h), 1);
        h.click(Window::Form1, qPrintable(button));
        QCOMPARE(visibleWindows(h), 1);
        if (!chosen) {
            QCOMPARE(h.messageBox.shown, QStringList{"辞書ファイルを選択してください。"});
            QCOMPARE(h.messageBox.parent, menu.data());
            QVERIFY(menu->isVisible());
            return;
        }
        QVERIFY(h.app.window(opened)->isVisible());
        QVERIFY(!h.app.window(Window::Form1));
        QTRY_VERIFY(menu.isNull()); // destroyed once the command has returned
        QVERIFY(h.messageBox.shown.isEmpty());
    }

    // The exit buttons, and closing any window through its frame.
    void endingTheProgram_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("button"); // none: the window's close box
        QTest::newRow("main_menu_exit") << Window::Form1 << "Command3";
        QTest::newRow("drill_exit") << Window::Form2 << "Command2";
        QTest::newRow("main_menu_closed") << Window::Form1 << "";
        QTest::newRow("drill_closed") << Window::Form2 << "";
        QTest::newRow("word_entry_closed") << Window::Form3 << "";
    }

    void endingTheProgram()
    {
        QFETCH(Window, window);
        QFETCH(QString, button);
        Harness h;
        h.useDictionary("a<>b\r\n");
        h.app.showWindow(window);
        if (button.isEmpty())
            QVERIFY(h.app.window(window)->close());
        else
            h.click(window, qPrintable(button));
        QVERIFY(h.app.hasEnded());
        QCOMPARE(h.app.exitStatus(), 0);
        QCOMPARE(visibleWindows(h), 0);
        QVERIFY(h.messageBox.shown.isEmpty());
    }

    void runtimeErrorInAHandlerIsReportedAndEnds()
    {
        Harness h;
        const QString missing = h.folder.filePath(QStringLiteral("gone.tmb"));
        h.module.DictionaryPath = missing.toStdString();
        h.app.start();
        h.click(Window::Form1, "Command2"); // word entry counts a file that is not there
        QCOMPARE(h.messageBox.shown.size(), 1);
        QVERIFY(h.messageBox.shown.first().contains(QStringLiteral("ファイルが見つかりません")));
        QVERIFY(h.messageBox.shown.first().contains(missing));
        QVERIFY(h.app.hasEnded());
        QCOMPARE(h.app.exitStatus(), 1);
        QCOMPARE(visibleWindows(h), 0);
    }

    void nothingRunsAfterTheEnd()
    {
        Harness h;
        h.app.start();
        QPushButton *exit = h.control<QPushButton>(Window::Form1, "Command3");
        QPushButton *start = h.control<QPushButton>(Window::Form1, "Command1");
        QTest::mouseClick(exit, Qt::LeftButton);
        emit start->clicked(); // a click still queued when the program ended
        QVERIFY(h.messageBox.shown.isEmpty());
        h.app.showWindow(Window::Form3);
        h.app.message(QStringLiteral("late"));
        h.app.reportRuntimeError(std::runtime_error("late"));
        QVERIFY(!h.app.window(Window::Form3));
        QVERIFY(h.messageBox.shown.isEmpty());
        QCOMPARE(h.app.exitStatus(), 0);
    }
};

TAMBERLO_QTEST_MAIN(ShellTest)
#include "shell_test.moc"
