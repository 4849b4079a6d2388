// The flash drill on fake time: its start, the order of one flash, the picked entry, the
// half-period, the end of the program mid-drill and the run-time errors; then on the real event
// loop, a run-time error inside a step and the step timer itself, bounded only by ctest's timeout;
// what a screen reader is told.

#include "fakes.h"
#include "platform/controls.h"
#include "platform/steptimer.h"
#include "testmain.h"

#include <QAccessible>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QAccessibleAnnouncementEvent>
#endif
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTimer>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <optional>

using namespace tamberlo;
using namespace tamberlo::testing;

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {

QByteArray numberedDictionary(int entries)
{
    QByteArray bytes;
    for (int i = 1; i <= entries; ++i)
        bytes += "w" + QByteArray::number(i) + "<>m" + QByteArray::number(i) + "\r\n";
    return bytes;
}

struct DrillRun;
DrillRun *g_recording = nullptr;
QtMessageHandler g_previousHandler = nullptr;

// Runs the real drill window on fake time. Each label change (from the drill's trace) lands in
// `log`, in order, with the fake clock's time and what the counter, Label1 and Label2 show at that
// moment, e.g. "2000 meaning [ 1|dog|犬]"; each wait with its length, "1000 wait 1000".
struct DrillRun {
    Harness h;
    QString path = h.folder.filePath(QStringLiteral("words.tmb"));
    QStringList log;

    explicit DrillRun(const std::optional<QByteArray> &bytes, const QString &speed = QStringLiteral("2"))
    {
        if (bytes)
            write(*bytes);
        h.module.DictionaryPath = path.toStdString();
        h.app.showWindow(Window::Form2);
        text1()->setText(speed);
        g_recording = this;
    }
    ~DrillRun() { g_recording = nullptr; }

    void write(const QByteArray &bytes) { writeBytes(path, bytes); }

    QWidget *form() const { return h.app.window(Window::Form2); }
    QLabel *label(const char *name) const { return h.control<QLabel>(Window::Form2, name); }
    QLineEdit *text1() const { return h.control<QLineEdit>(Window::Form2, "Text1"); }
    QPushButton *button(const char *name) const { return h.control<QPushButton>(Window::Form2, name); }
    DigitalCounter *counter() const { return h.control<DigitalCounter>(Window::Form2, "CtlDigital1"); }

    QString shown() const
    {
        return QStringLiteral("[%1|%2|%3]").arg(counter()->value(), label("Label1")->text(), label("Label2")->text());
    }

    void record(const QString &event) { log << QStringLiteral("%1 %2").arg(h.clock.now).arg(event); }

    // Presses start, then lets the timer take up to `steps` steps, running `before(n)` ahead of step n.
    void run(int steps, const std::function<void(int)> &before = {})
    {
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        for (int n = 1; n <= steps; ++n) {
            if (before)
                before(n);
            if (!h.timer.fire())
                return;
        }
    }

    QStringList events(const QString &kind) const
    {
        QStringList found;
        for (const QString &line : log)
            if (line.section(QLatin1Char(' '), 1, 1) == kind)
                found << line.section(QLatin1Char(' '), 2);
        return found;
    }
};

// Trace lines are "word <µs> <n> <word>", "wait <µs> <ms>", "meaning <µs> <meaning>", "clear <µs>".
void traceHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_recording && qstrcmp(context.category, "tamberlo.drill") == 0) {
        const QString kind = message.section(QLatin1Char(' '), 0, 0);
        g_recording->record(kind == QLatin1String("wait") ? QStringLiteral("wait ") + message.section(QLatin1Char(' '), 2, 2)
                                                           : kind + QLatin1Char(' ') + g_recording->shown());
        return;
    }
    g_previousHandler(type, context, message);
}

// A screen reader that listens: Qt's accessibility turned on, as a reader turns it on, and each
// notification that starts showing recorded with the fake clock's time instead of being sent.
struct Reader {
    QStringList heard;
    QAccessible::UpdateHandler previous;
    static inline Reader *current = nullptr;

    Reader()
    {
        current = this;
        previous = QAccessible::installUpdateHandler(&record);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }
    ~Reader()
    {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
        QAccessible::installUpdateHandler(previous);
        current = nullptr;
    }

    static void record(QAccessibleEvent *event)
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        if (event->type() == QAccessible::Announcement) {
            const auto *said = static_cast<QAccessibleAnnouncementEvent *>(event);
            current->heard << QStringLiteral("%1 %2").arg(g_recording->h.clock.now).arg(said->message());
        }
#else
        QAccessibleInterface *iface = event->accessibleInterface();
        if (event->type() != QAccessible::ObjectShow || !iface || iface->role() != QAccessible::Notification)
            return;
        // Orca names the role of a notification unless it sits in a status bar.
        QAccessibleInterface *bar = iface->parent();
        const bool inStatusBar = bar && bar->role() == QAccessible::StatusBar
                                 && bar->child(bar->indexOfChild(iface)) == iface;
        current->heard << QStringLiteral("%1 %2%3").arg(g_recording->h.clock.now).arg(iface->text(QAccessible::Name),
                                                          inStatusBar ? QString() : QStringLiteral(" (not in a status bar)"));
#endif
    }
};

// The program's own windows on the real event loop, its real step timer and clock.
struct RealDrillWindow {
    QTemporaryDir folder;
    FakeMessageBox messageBox;
    FakeFileDialog fileDialog;
    SteadyClock clock;
    PreciseStepTimer timer;
    FakeRandom random;
    Module1 module;
    Application app{{messageBox, fileDialog, clock, timer, random}, module};
};

} // namespace

class DrillTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("tamberlo.drill.debug=true"));
        g_previousHandler = qInstallMessageHandler(traceHandler);
    }

    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }

    // Start returns at once: the first word comes from the event loop.
    void startSwapsTheSpeedRowForTheCounter()
    {
        DrillRun d("dog<>\x8c\xa2\r\n");
        QVERIFY(d.button("Command1")->isVisible());
        QVERIFY(d.text1()->isVisible());
        QVERIFY(!d.label("Label5")->isVisible());
        QVERIFY(!d.counter()->isVisible());
        d.run(0);
        QVERIFY(!d.button("Command1")->isVisible());
        QVERIFY(d.button("Command2")->isVisible());
        QVERIFY(!d.text1()->isVisible());
        QCOMPARE(d.text1()->text(), QStringLiteral("2"));
        for (const char *blanked : {"Label3", "Label4"}) {
            QVERIFY2(d.label(blanked)->isVisible(), blanked);
            QCOMPARE(d.label(blanked)->text(), QString());
        }
        QVERIFY(d.label("Label5")->isVisible());
        QCOMPARE(d.label("Label5")->text(), QStringLiteral("No."));
        QVERIFY(d.counter()->isVisible());
        QCOMPARE(d.shown(), QStringLiteral("[ 0||]"));
        QVERIFY(d.log.isEmpty());
    }

    void eachFlashDrawsAndReadsAfresh()
    {
        DrillRun d(numberedDictionary(3));
        d.h.random.values = {0.0f, 0.5f, 0.9f, 0.9f};
        d.run(3 * 4, [&](int step) {
            // Between the second and third flash: the text changes, and the file grows, but the
            // count taken at the start still bounds the draw (which entry a draw picks is the rules').
            if (step == 6)
                d.write("x1<>y1\r\nx2<>y2\r\nx3<>y3\r\nx4<>y4\r\n");
        });
        QCOMPARE(d.events("word"), (QStringList{"[ 1|w1|]", "[ 2|w2|]", "[ 3|x3|]", "[ 3|x3|]"}));
        QCOMPARE(d.events("meaning"), (QStringList{"[ 1|w1|m1]", "[ 2|w2|m2]", "[ 3|x3|y3]", "[ 3|x3|y3]"}));
    }

    void halfPeriod_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("ms");
        // How a speed text reads is the core's; here the box's limit and waits of no length.
        QTest::newRow("design_time") << "2" << 1000;
        QTest::newRow("box_holds_three_characters") << "1234" << 61500;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-1" << -500;
    }

    // Two flashes in order, each wait taking the half-period, one of zero or less none at all. Which
    // piece is the word and which the meaning is the core's; the third piece is never shown.
    void halfPeriod()
    {
        QFETCH(QString, speed);
        QFETCH(int, ms);
        DrillRun d("\x8c\xa2<>\x94\x4c<>x\r\n", speed);
        d.run(3 * 2);
        QCOMPARE(d.events("wait"), QStringList(4, QString::number(ms)));
        const qint64 flash = std::max(ms, 0);
        const QStringList expected{
            QStringLiteral("1000 word [ 1|犬|]"),
            QStringLiteral("1000 wait %1").arg(ms),
            QStringLiteral("%1 meaning [ 1|犬|猫]").arg(1000 + flash),
            QStringLiteral("%1 wait %2").arg(1000 + flash).arg(ms),
            QStringLiteral("%1 clear [ 1|犬|]").arg(1000 + 2 * flash),
            QStringLiteral("%1 word [ 1|犬|]").arg(1000 + 2 * flash),
        };
        QCOMPARE(d.log.mid(0, expected.size()), expected);
        QCOMPARE(d.h.random.draws, 2);
        QVERIFY(d.h.messageBox.shown.isEmpty());
    }

    void speedIsReadAtEveryWait()
    {
        DrillRun d("dog<>cat\r\n", QStringLiteral("2"));
        d.run(3, [&](int step) {
            if (step == 2) // typed before start, but changed while the first half runs
                d.text1()->setText(QStringLiteral("4"));
        });
        QCOMPARE(d.events("wait"), (QStringList{"1000", "2000"}));
        QCOMPARE(d.log.last(), QStringLiteral("4000 clear [ 1|dog|]"));
    }

    void endMidDrill_data()
    {
        QTest::addColumn<bool>("closeWindow");
        QTest::addColumn<int>("atStep");
        QTest::addColumn<int>("draws");
        QTest::addColumn<QString>("shown");
        for (bool close : {false, true}) {
            const QByteArray how = close ? "close_window_" : "exit_button_";
            QTest::newRow((how + "before_first_flash").constData()) << close << 1 << 0 << "[ 0||]";
            QTest::newRow((how + "word_shown").constData()) << close << 2 << 1 << "[ 1|dog|]";
            QTest::newRow((how + "meaning_shown").constData()) << close << 3 << 1 << "[ 1|dog|cat]";
            QTest::newRow((how + "second_flash").constData()) << close << 4 << 1 << "[ 1|dog|]";
        }
    }

    // The end of the program stops the drill at once: no further step, draw, read or label change.
    void endMidDrill()
    {
        QFETCH(bool, closeWindow);
        QFETCH(int, atStep);
        QFETCH(int, draws);
        QFETCH(QString, shown);
        DrillRun d("dog<>cat\r\n");
        d.run(atStep, [&](int step) {
            if (step != atStep)
                return;
            // Were the drill to read again, a missing file would be one more error report.
            QFile::remove(d.path);
            if (closeWindow)
                d.form()->close();
            else
                QTest::mouseClick(d.button("Command2"), Qt::LeftButton);
        });
        QVERIFY(d.h.app.hasEnded());
        QCOMPARE(d.h.app.exitStatus(), 0);
        QVERIFY(!d.h.timer.fire());
        QCOMPARE(d.h.timer.fired, atStep - 1);
        QCOMPARE(d.h.random.draws, draws);
        QCOMPARE(d.shown(), shown);
        QVERIFY(!d.form()->isVisible());
        QVERIFY(d.h.messageBox.shown.isEmpty());
    }

    void runtimeErrors_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("bytes");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<float>("r");
        QTest::addColumn<bool>("removeDuringFirstFlash");
        QTest::addColumn<QStringList>("report"); // besides the path, where the report names it
        QTest::addColumn<bool>("namesFile");
        QTest::addColumn<int>("step"); // the step that fails; 0 for start itself
        QTest::addColumn<QString>("shown"); // the drill window when the error is reported

        const std::optional<QByteArray> missing;
        const QString notFound = "ファイルが見つかりません";
        const QString pastEnd = "ファイルの終わりを越えて読み込もうとしました";
        const QString subscript = "インデックスが有効範囲にありません";
        const QString overflow = "オーバーフローしました";

        QTest::newRow("missing_at_start") << missing << "2" << 0.0f << false << QStringList{notFound} << true << 0 << "[ 0||]";
        QTest::newRow("empty_dictionary") << std::optional<QByteArray>("") << "2" << 0.0f << false
                                          << QStringList{pastEnd, "行: 1"} << true << 1 << "[ 0||]";
        // A label shows only what fits, so a megabyte word leaves the window (and its exit button) at ease.
        const QString shownPart = QString(80, QLatin1Char('x')) + QStringLiteral("…");
        QTest::newRow("megabyte_line") << std::optional<QByteArray>(QByteArray(1 << 20, 'x') + "\r\n") << "2" << 0.0f
                                       << false << QStringList{subscript, "行: 1", shownPart} << true << 2
                                       << "[ 1|" + shownPart + "|]";
        QTest::newRow("no_separator_among_entries") << std::optional<QByteArray>("a<>b\r\nc<>d\r\ne f\r\n") << "2" << 0.9f
                                                    << false << QStringList{subscript, "行: 3", "e f"} << true << 2 << "[ 3|e f|]";
        QTest::newRow("blank_line_among_entries") << std::optional<QByteArray>("a<>b\r\n\r\nc<>d\r\n") << "2" << 0.5f << false
                                                  << QStringList{subscript, "行: 2", "空行"} << true << 1 << "[ 2||]";
        QTest::newRow("half_period_overflow") << std::optional<QByteArray>("dog<>cat\r\n") << "5E6" << 0.0f << false
                                              << QStringList{overflow, "32"} << false << 1 << "[ 1|dog|]";
        QTest::newRow("too_many_lines") << std::optional<QByteArray>(numberedDictionary(32768)) << "2" << 0.0f << false
                                        << QStringList{overflow, "32767"} << true << 0 << "[ 0||]";
        QTest::newRow("removed_while_running") << std::optional<QByteArray>("dog<>cat\r\n") << "2" << 0.0f << true
                                               << QStringList{notFound} << true << 4 << "[ 1|dog|]";
    }

    void runtimeErrors()
    {
        QFETCH(std::optional<QByteArray>, bytes);
        QFETCH(QString, speed);
        QFETCH(float, r);
        QFETCH(bool, removeDuringFirstFlash);
        QFETCH(QStringList, report);
        QFETCH(bool, namesFile);
        QFETCH(int, step);
        QFETCH(QString, shown);
        DrillRun d(bytes, speed);
        d.h.random.values = {r};
        QString shownAtReport;
        bool bottomRowSwapped = false;
        d.h.messageBox.onShow = [&](const QString &) {
            shownAtReport = d.shown();
            bottomRowSwapped = d.counter()->isVisible() && !d.text1()->isVisible();
        };
        d.run(100, [&](int n) {
            if (removeDuringFirstFlash && n == 2)
                QFile::remove(d.path);
        });

        QCOMPARE(d.h.messageBox.shown.size(), 1);
        const QString text = d.h.messageBox.shown.first();
        QVERIFY2(text.startsWith(QStringLiteral("実行時エラー: ") + report.first()), qPrintable(text));
        for (const QString &part : report)
            QVERIFY2(text.contains(part), qPrintable(part + " not in: " + text));
        QCOMPARE(text.contains(d.path), namesFile);
        QCOMPARE(shownAtReport, shown);
        QVERIFY(bottomRowSwapped);
        QVERIFY(d.h.app.hasEnded());
        QCOMPARE(d.h.app.exitStatus(), 1);
        QCOMPARE(d.h.timer.fired, step);
        QVERIFY(!d.form()->isVisible());
    }

    void realLoopRuntimeError_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("line");
        QTest::newRow("blank_line_in_the_word_step") << QByteArray("\r\n") << "行: 1";
        QTest::newRow("no_separator_in_the_meaning_step") << QByteArray("e f\r\n") << "行: 1";
    }

    // An error inside a step that Qt's event loop runs ends in the one report, never in Qt's
    // dispatch: the loop returns the failure status, and no step follows.
    void realLoopRuntimeError()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, line);
        RealDrillWindow w;
        const QString path = w.folder.filePath(QStringLiteral("words.tmb"));
        writeBytes(path, bytes);
        w.module.DictionaryPath = path.toStdString();
        w.app.showWindow(Window::Form2);
        QWidget *form = w.app.window(Window::Form2);
        form->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("0"));
        QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(w.messageBox.shown.isEmpty());
        QCOMPARE(QCoreApplication::exec(), 1);
        QCOMPARE(w.messageBox.shown.size(), 1);
        QVERIFY(w.messageBox.shown.first().contains(path));
        QVERIFY(w.messageBox.shown.first().contains(line));
        QCOMPARE(w.random.draws, 1);
    }

    void readerHears_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<qint64>("step"); // ms that a step due at once comes after the one before
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QStringList>("heard");
        // Both halves of the fastest speed a reader keeps up with; nothing for what is empty.
        QTest::newRow("one_second_a_word") << QByteArray("dog<>\x8c\xa2\r\ncat<>\r\n<>\x92\xb9\r\n") << "1" << qint64(0)
                                           << QList<float>{0.0f, 0.4f, 0.7f}
                                           << QStringList{"1000 dog", "1500 犬", "2000 cat", "3500 鳥"};
        // Flashes 450 ms apart at speed 0: one word in two, never a meaning, never sooner than 500 ms.
        QTest::newRow("speed_zero") << numberedDictionary(6) << "0" << qint64(150)
                                    << QList<float>{0.0f, 0.2f, 0.4f, 0.6f, 0.7f, 0.9f}
                                    << QStringList{"1150 w1", "2050 w3", "2950 w5"};
    }

    void readerHears()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, speed);
        QFETCH(qint64, step);
        QFETCH(QList<float>, draws);
        QFETCH(QStringList, heard);
        DrillRun d(bytes, speed);
        d.h.random.values.assign(draws.begin(), draws.end());
        d.h.timer.step = step;
        Reader reader;
        d.run(3 * int(draws.size()));
        QCOMPARE(reader.heard, heard);
        QVERIFY(d.h.messageBox.shown.isEmpty());
    }

    void stepTimer_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("replaceFarStep");
        QTest::addColumn<bool>("stop");
        QTest::newRow("at_once") << 0 << false << false;
        QTest::newRow("negative") << -5 << false << false;
        QTest::newRow("thirty_ms") << 30 << false << false;
        QTest::newRow("replaces_a_far_step") << 30 << true << false;
        QTest::newRow("stopped_at_once") << 0 << false << true;
        QTest::newRow("stopped_mid_wait") << 30 << false << true;
    }

    // A step runs once, from the event loop, no sooner than its time; the loop handles events
    // while steps due at once follow one another; once spent or stopped, nothing of the timer
    // wakes the idle loop. A timer that missed its wake-up would hang until ctest's timeout.
    void stepTimer()
    {
        QFETCH(int, ms);
        QFETCH(bool, replaceFarStep);
        QFETCH(bool, stop);
        PreciseStepTimer timer;
        QCoreApplication::processEvents();
        QEventLoop loop;
        int runs = 0;
        qint64 ranAfter = -1;
        const qint64 started = SteadyClock().nowMs();
        if (replaceFarStep)
            timer.start(600000, [&] { QFAIL("the replaced step ran"); });
        timer.start(ms, [&] {
            ++runs;
            ranAfter = SteadyClock().nowMs() - started;
            loop.quit();
        });
        QCOMPARE(runs, 0);
        if (stop) {
            timer.stop();
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
        }
        loop.exec();
        QCOMPARE(runs, stop ? 0 : 1);
        QVERIFY2(ranAfter >= (stop ? -1 : ms), qPrintable(QString::number(ranAfter)));

        QCoreApplication::processEvents();
        bool idle = false;
        QTimer::singleShot(100, [&] { idle = true; });
        int idleTurns = 0;
        for (; !idle; ++idleTurns)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(idleTurns, 1);
        QCOMPARE(runs, stop ? 0 : 1);
    }

    // At speed 0 the steps follow one another without end; the loop must still get to its events.
    void stepsDueAtOnceLetEventsRun()
    {
        PreciseStepTimer timer;
        int steps = 0;
        std::function<void()> step = [&] {
            ++steps;
            timer.start(0, step);
        };
        timer.start(0, step);
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] { QTimer::singleShot(0, &loop, &QEventLoop::quit); });
        loop.exec();
        timer.stop();
        QVERIFY(steps >= 1);
    }
};

TAMBERLO_QTEST_MAIN(DrillTest)
#include "drill_test.moc"
