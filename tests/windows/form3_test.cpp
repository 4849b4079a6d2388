// Word entry through its seams: the counter, the exact bytes each registration appends, and every
// registration that is refused leaving file, boxes and counter as they were.

#include "dictionary/dictionaryfile.h"
#include "dictionary/systemreason.h"
#include "fakes.h"
#include "platform/controls.h"
#include "testmain.h"
#include "wholeline.h"

#include <QLineEdit>
#include <QPushButton>
#include <cerrno>
#include <sys/file.h>

using namespace tamberlo;
using namespace tamberlo::testing;

namespace {
const QString Registered = QStringLiteral("登録しました");
const QString Missing = QStringLiteral("未記入欄があります");
const QString HoldsSeparator = QStringLiteral("「<>」を含む語は登録できません");
const QString NotStorable = QStringLiteral("辞書ファイルに保存できない文字が含まれています");
const QString Full = QStringLiteral("辞書がいっぱいです。これ以上登録できません");
const QString NotWritten = QStringLiteral("登録できませんでした\n");

const QByteArray DogInu("dog<>\x8c\xa2\r\n");

// What stands in the way of a registration after the window has counted the dictionary.
enum class Obstacle { None, DirectoryInItsPlace, LockedElsewhere };
const QByteArray FullDictionary = QByteArray("a<>b\r\n").repeated(MaxEntries);

// A word-entry window open on a dictionary of its own.
struct WordEntry {
    Harness h;
    QString path;

    explicit WordEntry(const QByteArray &contents) : path(h.useDictionary(contents))
    {
        h.app.showWindow(Window::Form3);
    }

    QWidget *window() const { return h.app.window(Window::Form3); }
    QLineEdit *word() const { return h.control<QLineEdit>(Window::Form3, "Text1"); }
    QLineEdit *meaning() const { return h.control<QLineEdit>(Window::Form3, "Text2"); }
    QString counter() const { return h.control<DigitalCounter>(Window::Form3, "CtlDigital1")->value(); }

    void registerPair(const QString &w, const QString &m)
    {
        word()->setText(w);
        meaning()->setText(m);
        h.click(Window::Form3, "Command1");
    }
};
} // namespace

class Form3Test : public QObject {
    Q_OBJECT

private slots:
    void registersExactlyWhatWasTyped_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("dog_inu") << "dog" << "犬" << DogInu;
        QTest::newRow("blanks_are_not_empty") << " " << "  " << QByteArray(" <>  \r\n");
    }

    // After an entry already there; success is shown only once the line is on disk, and a second
    // press at once finds both boxes empty.
    void registersExactlyWhatWasTyped()
    {
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        QFETCH(QByteArray, line);
        const QByteArray before("cat<>\x94\x4c\r\n");
        WordEntry e(before);
        QCOMPARE(e.counter(), QStringLiteral(" 1"));
        QByteArray onDiskAtMessage;
        e.h.messageBox.onShow = [&](const QString &) { onDiskAtMessage = readBytes(e.path); };
        e.registerPair(word, meaning);
        QCOMPARE(e.h.messageBox.shown, QStringList{Registered});
        QCOMPARE(onDiskAtMessage, before + line);
        QCOMPARE(e.counter(), QStringLiteral(" 2"));
        QCOMPARE(e.word()->text(), QString());
        QCOMPARE(e.meaning()->text(), QString());
        // Read back as the drill reads it, the pair is the one typed.
        const std::vector<std::string> pieces = splitEntry(readEntry(e.h.module.DictionaryPath, 2));
        QVERIFY(pieces.size() >= 2);
        QCOMPARE(QString::fromStdString(pieces[0]), word);
        QCOMPARE(QString::fromStdString(pieces[1]), meaning);
        e.h.click(Window::Form3, "Command1");
        QCOMPARE(e.h.messageBox.shown, (QStringList{Registered, Missing}));
        QCOMPARE(readBytes(e.path), before + line);
        QCOMPARE(e.counter(), QStringLiteral(" 2"));
    }

    void missingFieldKeepsTheOther_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("word_missing") << "" << "犬";
        QTest::newRow("meaning_missing") << "dog" << "";
        QTest::newRow("both_missing") << "" << "";
        QTest::newRow("word_missing_meaning_unstorable") << "" << "😀";
        QTest::newRow("meaning_missing_word_holds_separator") << "a<>b" << "";
    }

    void missingFieldKeepsTheOther()
    {
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        WordEntry e(DogInu);
        e.registerPair(word, meaning);
        QCOMPARE(e.h.messageBox.shown, QStringList{Missing});
        QCOMPARE(e.word()->text(), word);
        QCOMPARE(e.meaning()->text(), meaning);
        QCOMPARE(readBytes(e.path), DogInu);
        QCOMPARE(e.counter(), QStringLiteral(" 1"));
    }

    // One row per message the window shows. Which texts are refused, and why a file cannot be
    // written, are the core's rows (entry check, code page 932, append).
    void refusedRegistrationChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<Obstacle>("obstacle");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QString>("message");

        // As a box's limit can leave it: the first half of a pair, at the end.
        const QString loneSurrogate = QStringLiteral("ab") + QChar(0xD800);
        QTest::newRow("separator_in_word") << DogInu << Obstacle::None << "a<>b" << "x" << HoldsSeparator;
        QTest::newRow("lone_surrogate_would_be_written_as_question_mark")
            << DogInu << Obstacle::None << loneSurrogate << "x" << NotStorable;
        QTest::newRow("full") << FullDictionary << Obstacle::None << "dog" << "犬" << Full;
        QTest::newRow("characters_checked_before_full") << FullDictionary << Obstacle::None << "a" << "😀" << NotStorable;
        QTest::newRow("directory_in_its_place")
            << DogInu << Obstacle::DirectoryInItsPlace << "cat" << "猫" << NotWritten + reason(EISDIR);
        QTest::newRow("locked_by_another_program")
            << DogInu << Obstacle::LockedElsewhere << "cat" << "猫"
            << NotWritten + QString::fromStdString(lockHeldReason());
    }

    void refusedRegistrationChangesNothing()
    {
        QFETCH(QByteArray, contents);
        QFETCH(Obstacle, obstacle);
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        QFETCH(QString, message);
        WordEntry e(contents);
        const QString counted = e.counter();
        // The dictionary moved aside for a directory after the window counted it: both stay as they were.
        const bool directoryInItsPlace = obstacle == Obstacle::DirectoryInItsPlace;
        const QString kept = directoryInItsPlace ? e.path + QStringLiteral(".away") : e.path;
        if (directoryInItsPlace) {
            QVERIFY(QFile::rename(e.path, kept));
            QVERIFY(QDir().mkdir(e.path));
        }
        // A lock belongs to an open file: one more open of the dictionary stands for another program.
        QFile holder(e.path);
        const bool locked = obstacle == Obstacle::LockedElsewhere;
        if (locked)
            QVERIFY(holder.open(QIODevice::ReadOnly) && ::flock(holder.handle(), LOCK_EX) == 0);

        const qint64 pressedAt = e.h.clock.now;
        e.registerPair(word, meaning);
        if (locked) {
            // The lock is awaited on the window's own loop: presses meanwhile do nothing.
            e.h.click(Window::Form3, "Command1");
            e.h.click(Window::Form3, "Command2");
            QVERIFY(e.h.messageBox.shown.isEmpty());
            while (e.h.timer.fire()) {
            }
            QCOMPARE(e.h.clock.now - pressedAt, LockPatience.count());
        }
        QCOMPARE(e.h.messageBox.shown, QStringList{message});
        QVERIFY(!e.h.app.hasEnded());
        QVERIFY(e.window()->isVisible());
        QCOMPARE(e.word()->text(), word);
        QCOMPARE(e.meaning()->text(), meaning);
        QCOMPARE(e.counter(), counted);
        QCOMPARE(readBytes(kept), contents);
        if (directoryInItsPlace)
            QVERIFY(QDir(e.path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

        if (contents == FullDictionary)
            return;
        // Put right, the next registration counts on from the number loaded: nothing was counted before.
        if (directoryInItsPlace) {
            QVERIFY(QDir().rmdir(e.path));
            QVERIFY(QFile::rename(kept, e.path));
        }
        holder.close();
        e.registerPair(QStringLiteral("cat"), QStringLiteral("猫"));
        QCOMPARE(e.h.messageBox.shown.last(), Registered);
        QCOMPARE(readBytes(e.path), contents + QByteArray("cat<>\x94\x4c\r\n"));
        QCOMPARE(e.counter(), QStringLiteral(" 2"));
    }

    // Pressed while another program holds the lock, 登録 keeps the focus and every control stays
    // enabled: a key pressed meanwhile goes nowhere, and what is typed in a box is the next entry.
    void theWaitLeavesFocusAndTypingAlone()
    {
        WordEntry e("");
        e.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e.window()));
        QFile holder(e.path);
        QVERIFY(holder.open(QIODevice::ReadOnly) && ::flock(holder.handle(), LOCK_EX) == 0);
        auto *registerButton = e.h.control<QPushButton>(Window::Form3, "Command1");
        registerButton->setFocus();
        e.word()->setText(QStringLiteral("cat"));
        e.meaning()->setText(QStringLiteral("猫"));
        QTest::keyClick(registerButton, Qt::Key_Space);
        QVERIFY(e.h.timer.fire()); // still locked
        QCOMPARE(QApplication::focusWidget(), registerButton);
        for (const QWidget *control : e.window()->findChildren<QWidget *>())
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        QTest::keyClick(registerButton, Qt::Key_X);
        QCOMPARE(e.word()->text(), QStringLiteral("cat"));
        QTest::mouseClick(e.meaning(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("!"));
        holder.close();
        QVERIFY(e.h.timer.fire());
        QCOMPARE(e.h.messageBox.shown, QStringList{Registered});
        QCOMPARE(readBytes(e.path), QByteArray("cat<>\x94\x4c\r\n"));
        QCOMPARE(e.word()->text(), QString());
        QCOMPARE(e.meaning()->text(), QStringLiteral("猫!"));
        QCOMPARE(QApplication::focusWidget(), e.meaning());
    }

    // A registration counts on from the number loaded, whatever happened to the file meanwhile (here
    // it was emptied behind the window's back); word entry opened again counts the file afresh.
    void counterGoesOnFromTheNumberLoaded()
    {
        Harness h;
        const QString path = h.useDictionary(DogInu + "cat<>\x94\x4c\r\n");
        h.app.start();
        h.click(Window::Form1, "Command2");
        auto counter = [&] { return h.control<DigitalCounter>(Window::Form3, "CtlDigital1")->value(); };
        QCOMPARE(counter(), QStringLiteral(" 2"));
        writeBytes(path, "");
        h.control<QLineEdit>(Window::Form3, "Text1")->setText(QStringLiteral("dog"));
        h.control<QLineEdit>(Window::Form3, "Text2")->setText(QStringLiteral("犬"));
        h.click(Window::Form3, "Command1");
        QCOMPARE(h.messageBox.shown, QStringList{Registered});
        QCOMPARE(counter(), QStringLiteral(" 3"));
        h.control<QLineEdit>(Window::Form3, "Text1")->setText(QStringLiteral("cat"));
        h.click(Window::Form3, "Command2");
        QVERIFY(!h.app.window(Window::Form3));
        h.click(Window::Form1, "Command2");
        QCOMPARE(counter(), QStringLiteral(" 1"));
        QCOMPARE(h.control<QLineEdit>(Window::Form3, "Text1")->text(), QString());
    }

    void registerLeavesTheFocusWhereItWas_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("message");
        QTest::newRow("word_box_success") << "Text1" << "dog" << Registered;
        QTest::newRow("meaning_box_success") << "Text2" << "dog" << Registered;
        QTest::newRow("back_button_success") << "Command2" << "dog" << Registered;
        QTest::newRow("register_button_by_keyboard") << "Command1" << "dog" << Registered;
        QTest::newRow("meaning_box_missing_field") << "Text2" << "" << Missing;
        QTest::newRow("word_box_refused") << "Text1" << "a<>" << HoldsSeparator;
    }

    void registerLeavesTheFocusWhereItWas()
    {
        QFETCH(QString, focused);
        QFETCH(QString, word);
        QFETCH(QString, message);
        WordEntry e("");
        e.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e.window()));
        QWidget *target = e.window()->findChild<QWidget *>(focused);
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        e.word()->setText(word);
        e.meaning()->setText(QStringLiteral("犬"));
        if (focused == QLatin1String("Command1"))
            QTest::keyClick(target, Qt::Key_Space);
        else
            e.h.control<QPushButton>(Window::Form3, "Command1")->click(); // a click that does not take the focus
        QCOMPARE(e.h.messageBox.shown, QStringList{message});
        QCOMPARE(QApplication::focusWidget(), target);
    }
};

TAMBERLO_QTEST_MAIN(Form3Test)
#include "form3_test.moc"
