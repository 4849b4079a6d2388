// The flash drill on fake time: its start, the order of one flash, the picked entry, the
// half-period, Wait's turns, the end of the program mid-drill and the run-time errors; then Wait
// and the event pump once more on the real clock and event loop, bounded only by a long watchdog;
// what a screen reader is told.

#include "digitalcounter.h"
#include "fakes.h"
#include "form2.h"
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
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <sys/timerfd.h>
#include <unistd.h>

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

const float LargestDraw = std::nextafter(1.0f, 0.0f);

struct Drill;
Drill *g_recording = nullptr;
QtMessageHandler g_previousHandler = nullptr;

// Runs the real drill window on fake time. Everything the drill does lands in `log`, in order:
// each pump and each label change (from the drill's trace) with the fake clock's time and what
// the counter, Label1 and Label2 show at that moment, e.g. "2000 meaning [ 1|dog|犬]".
struct Drill {
    Harness h;
    QString path = h.folder.filePath(QStringLiteral("words.tmb"));
    QStringList log;
    std::function<void(int)> duringPump; // the test's own hook, run before exit is clicked

    explicit Drill(const std::optional<QByteArray> &bytes, const QString &speed = QStringLiteral("2"))
    {
        if (bytes)
            write(*bytes);
        h.module.DictionaryPath = path.toStdString();
        h.app.showWindow(Window::Form2);
        text1()->setText(speed);
        g_recording = this;
    }
    ~Drill() { g_recording = nullptr; }

    void write(const QByteArray &bytes) { writeBytes(path, bytes); }

    Form2 *form() const { return static_cast<Form2 *>(h.app.window(Window::Form2)); }
    QLabel *label(const char *name) const { return h.control<QLabel>(Window::Form2, name); }
    QLineEdit *text1() const { return h.control<QLineEdit>(Window::Form2, "Text1"); }
    QPushButton *button(const char *name) const { return h.control<QPushButton>(Window::Form2, name); }
    DigitalCounter *counter() const { return h.control<DigitalCounter>(Window::Form2, "CtlDigital1"); }

    QString shown() const
    {
        if (!form())
            return QStringLiteral("[gone]");
        return QStringLiteral("[%1|%2|%3]").arg(counter()->value(), label("Label1")->text(), label("Label2")->text());
    }

    void record(const QString &event) { log << QStringLiteral("%1 %2").arg(h.clock.now).arg(event); }

    // Presses start; the drill runs until exit is clicked from inside pump number `exitAt`.
    void run(int exitAt)
    {
        h.pump.onPump = [this, exitAt](int pumps) {
            record(QStringLiteral("pump ") + shown());
            if (duringPump)
                duringPump(pumps);
            if (pumps == exitAt && !h.app.hasEnded())
                QTest::mouseClick(button("Command2"), Qt::LeftButton);
        };
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
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

struct RealDrillWindow {
    FakeMessageBox messageBox;
    FakeFileDialog fileDialog;
    SteadyClock clock;
    QtEventPump pump{clock};
    FakeRandom random;
    Module1 module;
    Application app{{messageBox, fileDialog, clock, pump, random}, module};
    RealDrillWindow() { app.showWindow(Window::Form2); }
    Form2 *form() const { return static_cast<Form2 *>(app.window(Window::Form2)); }
};

// One turn of the real pump: what the clock reads, the deadline, and whether an event is pending.
struct Turn {
    qint64 clock;
    qint64 deadline;
    bool eventPending;
};

// The pump when no timerfd can be had: it is made while the process has no descriptor to spare.
std::unique_ptr<QtEventPump> pumpWithoutTimerFd(const MillisecondClock &clock)
{
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ::setrlimit(RLIMIT_NOFILE, &none);
    const int probe = ::timerfd_create(CLOCK_MONOTONIC, 0);
    auto pump = std::make_unique<QtEventPump>(clock);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    if (probe >= 0) {
        ::close(probe);
        return nullptr;
    }
    return pump;
}

// Closes stdin for as long as it lives, so that the next descriptor made is 0; stdin comes back after.
class StdinAside {
public:
    StdinAside() : m_stdin(::dup(0)) { ::close(0); }
    ~StdinAside()
    {
        ::dup2(m_stdin, 0);
        ::close(m_stdin);
    }
    StdinAside(const StdinAside &) = delete;
    StdinAside &operator=(const StdinAside &) = delete;

private:
    int m_stdin;
};

enum class PumpKind { TimerFd, TimerFdAtZero, FallbackTimer };

} // namespace

Q_DECLARE_METATYPE(QList<Turn>)
Q_DECLARE_METATYPE(PumpKind)

class DrillTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("tamberlo.drill.debug=true"));
        g_previousHandler = qInstallMessageHandler(traceHandler);
    }

    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }

    void startSwapsTheSpeedRowForTheCounter()
    {
        Drill d("dog<>\x8c\xa2\r\n");
        QVERIFY(d.button("Command1")->isVisible());
        QVERIFY(d.text1()->isVisible());
        QVERIFY(!d.label("Label5")->isVisible());
        QVERIFY(!d.counter()->isVisible());

        bool checked = false;
        d.duringPump = [&](int pumps) {
            if (pumps != 1)
                return;
            checked = true;
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
            QCOMPARE(d.label("Label2")->text(), QString());
        };
        d.run(1);
        QVERIFY(checked);
    }

    // Which entry a draw picks is the core's; here the count it picks from is the file's.
    void largestDrawPicksTheLastOfAFullDictionary()
    {
        Drill d(numberedDictionary(32767));
        d.h.random.values = {LargestDraw};
        d.run(2);
        QCOMPARE(d.events("word"), QStringList{"[ 32767|w32767|]"});
        QVERIFY(d.h.messageBox.shown.isEmpty());
    }

    void eachFlashDrawsAndReadsAfresh()
    {
        Drill d(numberedDictionary(3));
        d.h.random.values = {0.0f, 0.5f, 0.9f, 0.9f};
        d.duringPump = [&](int pumps) {
            // Between the second and third flash: the text changes, and the file grows, but the
            // count taken at the start still bounds the draw.
            if (pumps == 6)
                d.write("x1<>y1\r\nx2<>y2\r\nx3<>y3\r\nx4<>y4\r\n");
        };
        d.run(1 + 3 * 4);
        QCOMPARE(d.events("word"), (QStringList{"[ 1|w1|]", "[ 2|w2|]", "[ 3|x3|]", "[ 3|x3|]"}));
        QCOMPARE(d.events("meaning"), (QStringList{"[ 1|w1|m1]", "[ 2|w2|m2]", "[ 3|x3|y3]", "[ 3|x3|y3]"}));
    }

    // Which piece is the word and which the meaning is the core's; the third piece is never shown.
    void piecesDecodedIntoTheirLabels()
    {
        Drill d("\x8c\xa2<>\x94\x4c<>x\r\n");
        d.run(3);
        QCOMPARE(d.events("meaning"), QStringList{"[ 1|犬|猫]"});
        QVERIFY(d.h.messageBox.shown.isEmpty());
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

    // One flash in order, both of its waits taking the half-period; a wait of zero or less pumps
    // exactly once.
    void halfPeriod()
    {
        QFETCH(QString, speed);
        QFETCH(int, ms);
        Drill d("dog<>cat\r\n", speed);
        d.run(1 + 3 * 2);
        QCOMPARE(d.events("wait"), QStringList(4, QString::number(ms)));
        const qint64 flash = std::max(ms, 0);
        const QStringList expected{
            "1000 pump [ 0||]",
            QStringLiteral("1000 word [ 1|dog|]"),
            QStringLiteral("1000 wait %1").arg(ms),
            QStringLiteral("%1 pump [ 1|dog|]").arg(1000 + flash),
            QStringLiteral("%1 meaning [ 1|dog|cat]").arg(1000 + flash),
            QStringLiteral("%1 wait %2").arg(1000 + flash).arg(ms),
            QStringLiteral("%1 pump [ 1|dog|cat]").arg(1000 + 2 * flash),
            QStringLiteral("%1 clear [ 1|dog|]").arg(1000 + 2 * flash),
        };
        QCOMPARE(d.log.mid(0, expected.size()), expected);
        QCOMPARE(d.h.pump.pumps, 7);
        QCOMPARE(d.h.random.draws, 2);
        QVERIFY(d.h.messageBox.shown.isEmpty());
    }

    void speedIsReadAtEveryWait()
    {
        Drill d("dog<>cat\r\n", QStringLiteral("2"));
        d.duringPump = [&](int pumps) {
            if (pumps == 2) // typed before start, but changed while the first half runs
                d.text1()->setText(QStringLiteral("4"));
        };
        d.run(4);
        QCOMPARE(d.events("wait"), (QStringList{"1000", "2000"}));
        QCOMPARE(d.log.last(), QStringLiteral("4000 pump [ 1|dog|]"));
    }

    void waitTurns_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<int>("t");
        QTest::addColumn<int>("eventEvery"); // ms between events that wake the pump; 0 for none
        QTest::addColumn<int>("pumps");
        QTest::addColumn<qint64>("elapsed");
        constexpr int intMin = std::numeric_limits<std::int32_t>::min();
        constexpr int intMax = std::numeric_limits<std::int32_t>::max();
        QTest::newRow("zero") << qint64(1000) << 0 << 0 << 1 << qint64(0);
        QTest::newRow("negative") << qint64(1000) << -1000 << 0 << 1 << qint64(0);
        QTest::newRow("most_negative") << qint64(1000) << intMin << 0 << 1 << qint64(0);
        QTest::newRow("zero_amid_events") << qint64(1000) << 0 << 7 << 1 << qint64(7);
        QTest::newRow("one_ms") << qint64(1000) << 1 << 0 << 1 << qint64(1);
        QTest::newRow("until_deadline") << qint64(1000) << 1000 << 0 << 1 << qint64(1000);
        QTest::newRow("woken_by_events") << qint64(1000) << 1000 << 300 << 4 << qint64(1200);
        QTest::newRow("event_every_ms") << qint64(1000) << 1000 << 1 << 1000 << qint64(1000);
        // A 32-bit tick count would wrap here, 24.8 days after start-up.
        QTest::newRow("across_32bit_tick_limit") << qint64(intMax) - 400 << 1000 << 300 << 4 << qint64(1200);
        QTest::newRow("longest") << qint64(intMax) << intMax << 0 << 1 << qint64(intMax);
    }

    void waitTurns()
    {
        QFETCH(qint64, start);
        QFETCH(int, t);
        QFETCH(int, eventEvery);
        QFETCH(int, pumps);
        QFETCH(qint64, elapsed);
        Drill d("dog<>cat\r\n");
        d.h.clock.now = start;
        qint64 lastWake = start;
        QList<qint64> deadlines;
        d.h.pump.onPump = [&](int) {
            // The fake pump has moved the clock on to the deadline, if it lies ahead.
            if (t > 0)
                deadlines << d.h.clock.now;
            if (eventEvery > 0)
                d.h.clock.now = lastWake += eventEvery;
        };
        d.form()->Wait(t);
        QCOMPARE(d.h.pump.pumps, pumps);
        QCOMPARE(d.h.clock.now - start, elapsed);
        if (t > 0)
            QCOMPARE(deadlines, QList<qint64>(pumps, start + t)); // one deadline, not restarted per turn
        QVERIFY(d.h.messageBox.shown.isEmpty());
    }

    void endMidDrill_data()
    {
        QTest::addColumn<bool>("closeWindow");
        QTest::addColumn<int>("atPump");
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

    // The end of the program stops the drill at once: no further pump, draw, read or label change.
    void endMidDrill()
    {
        QFETCH(bool, closeWindow);
        QFETCH(int, atPump);
        QFETCH(int, draws);
        QFETCH(QString, shown);
        Drill d("dog<>cat\r\n");
        d.h.pump.onPump = [&](int pumps) {
            d.record(QStringLiteral("pump ") + d.shown());
            if (pumps != atPump)
                return;
            // Were the drill to read again, a missing file would be one more error report.
            QFile::remove(d.path);
            if (closeWindow)
                d.form()->close();
            else
                QTest::mouseClick(d.button("Command2"), Qt::LeftButton);
        };
        QTest::mouseClick(d.button("Command1"), Qt::LeftButton);
        QVERIFY(d.h.app.hasEnded());
        QCOMPARE(d.h.app.exitStatus(), 0);
        QCOMPARE(d.h.pump.pumps, atPump);
        QCOMPARE(d.h.random.draws, draws);
        QVERIFY(d.log.last().endsWith(QStringLiteral("pump ") + shown));
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
        QTest::addColumn<int>("pumps");
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
        QFETCH(int, pumps);
        QFETCH(QString, shown);
        Drill d(bytes, speed);
        d.h.random.values = {r};
        d.duringPump = [&](int n) {
            if (removeDuringFirstFlash && n == 2)
                QFile::remove(d.path);
        };
        QString shownAtReport;
        bool bottomRowSwapped = false;
        d.h.messageBox.onShow = [&](const QString &) {
            shownAtReport = d.shown();
            bottomRowSwapped = d.counter()->isVisible() && !d.text1()->isVisible();
        };
        d.run(100);

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
        QCOMPARE(d.h.pump.pumps, pumps);
        QVERIFY(!d.form()->isVisible());
    }

    void readerHears_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<qint64>("step"); // ms that a pump takes when it does not wait
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
        Drill d(bytes, speed);
        d.h.random.values.assign(draws.begin(), draws.end());
        d.h.pump.step = step;
        Reader reader;
        d.run(1 + 3 * int(draws.size()));
        QCOMPARE(reader.heard, heard);
        QVERIFY(d.h.messageBox.shown.isEmpty());
    }

    void realClockWait_data()
    {
        QTest::addColumn<int>("t");
        QTest::addColumn<int>("eventAt"); // ms into the wait at which an event comes
        QTest::newRow("zero_event_pending") << 0 << 0;
        QTest::newRow("thirty_ms_event_pending") << 30 << 0;
        QTest::newRow("thirty_ms_event_midway") << 30 << 10;
    }

    // On the real event loop: an event that comes meanwhile is handled, and a timed wait still
    // lasts at least its time. How the pump wakes is pumpWakesAtItsDeadline's.
    void realClockWait()
    {
        QFETCH(int, t);
        QFETCH(int, eventAt);
        RealDrillWindow w;
        QCoreApplication::processEvents();
        bool handled = false;
        QTimer::singleShot(eventAt, [&] { handled = true; });
        const qint64 before = w.clock.nowMs(); // Wait counts on its own clock's ticks
        w.form()->Wait(t);
        QVERIFY(w.clock.nowMs() - before >= t);
        QVERIFY(handled);
    }

    void pumpWakesAtItsDeadline_data()
    {
        QTest::addColumn<PumpKind>("kind");
        QTest::addColumn<QList<Turn>>("turns");
        constexpr qint64 Far = 600000;
        // Descriptor 0 is a timerfd like any other where the program was started with stdin closed.
        for (auto [kind, how] : {std::pair(PumpKind::TimerFd, "timerfd_"), std::pair(PumpKind::TimerFdAtZero, "timerfd_0_"),
                                 std::pair(PumpKind::FallbackTimer, "fallback_timer_")}) {
            auto row = [&](const char *name, const QList<Turn> &turns) {
                QTest::newRow((QByteArray(how) + name).constData()) << kind << turns;
            };
            row("at_the_deadline_no_wait", {{1000, 1000, false}});
            // The wake-up set on the first turn stands, however the clock reads later.
            row("armed_once_per_deadline", {{1000, 1050, true}, {1050 - Far, 1050, false}});
            row("spent_wake_up_armed_again", {{1000, 1020, false}, {1000, 1020, false}});
            row("new_deadline_replaces_a_far_one", {{1000, 1000 + Far, true}, {1000, 1020, false}});
        }
    }

    // Each turn returns: at once at its deadline, else when its wake-up comes. A pump that missed
    // its wake-up would wait on until the long watchdog.
    void pumpWakesAtItsDeadline()
    {
        QFETCH(PumpKind, kind);
        QFETCH(QList<Turn>, turns);
        FakeClock clock;
        std::optional<StdinAside> stdinAside;
        if (kind == PumpKind::TimerFdAtZero)
            stdinAside.emplace();
        const std::unique_ptr<QtEventPump> pump =
            kind == PumpKind::FallbackTimer ? pumpWithoutTimerFd(clock) : std::make_unique<QtEventPump>(clock);
        if (!pump)
            QSKIP("a timerfd was had even without a descriptor to spare");
        QCoreApplication::processEvents();
        bool late = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&] { late = true; });
        watchdog.start(10000);
        for (const Turn &turn : turns) {
            clock.now = turn.clock;
            if (turn.eventPending)
                QTimer::singleShot(0, [] {});
            pump->pumpUntil(turn.deadline);
            QVERIFY(!late);
        }
        // Spent, nothing of the pump's wakes the idle loop again.
        bool idle = false;
        QTimer::singleShot(100, [&] { idle = true; });
        int idleTurns = 0;
        for (; !idle; ++idleTurns)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(idleTurns, 1);
    }

    // Descriptor 0 included.
    void pumpGivesBackItsDescriptor()
    {
        FakeClock clock;
        const StdinAside stdinAside;
        const qsizetype open = QDir(QStringLiteral("/proc/self/fd")).count();
        { QtEventPump pump(clock); }
        QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), open);
    }

    void realClockWaitEndsWithTheProgram()
    {
        RealDrillWindow w;
        constexpr int Long = 600000;
        QTimer::singleShot(10, w.form()->findChild<QPushButton *>(QStringLiteral("Command2")), &QPushButton::click);
        const qint64 before = w.clock.nowMs();
        w.form()->Wait(Long);
        QVERIFY(w.app.hasEnded());
        QVERIFY(w.clock.nowMs() - before < Long);
    }

};

TAMBERLO_QTEST_MAIN(DrillTest)
#include "drill_test.moc"
