// Word entry through its seams: the counter, the exact bytes each registration appends, and every
// registration that is refused leaving file, boxes and counter as they were.

#include "dictionaryfile.h"
#include "digitalcounter.h"
#include "fakes.h"
#include "systemreason.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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
const QByteArray FullDictionary = QByteArray("a<>b\r\n").repeated(MaxEntries);

// How a registration is made to fail after the window has counted the file.
enum class Stage { None, DirectoryInItsPlace, FolderGone, DeviceInItsPlace };

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString reason(int err) { return QString::fromStdString(systemReason(err)); }

// A word-entry window open on a dictionary of its own.
struct WordEntry {
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("words"));
    QString path = folder + QStringLiteral("/dict.tmb");
    Harness h;

    explicit WordEntry(const QByteArray &contents)
    {
        QDir().mkpath(folder);
        write(path, contents);
        h.module.DictionaryPath = QFile::encodeName(path).toStdString();
        h.app.showWindow(Window::Form3);
    }

    QWidget *window() const { return h.app.window(Window::Form3); }
    QLineEdit *word() const { return h.control<QLineEdit>(Window::Form3, "Text1"); }
    QLineEdit *meaning() const { return h.control<QLineEdit>(Window::Form3, "Text2"); }
    QPushButton *button(const char *name) const { return h.control<QPushButton>(Window::Form3, name); }
    QString counter() const { return h.control<DigitalCounter>(Window::Form3, "CtlDigital1")->value(); }

    void registerPair(const QString &w, const QString &m)
    {
        word()->setText(w);
        meaning()->setText(m);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
    }
};
} // namespace

Q_DECLARE_METATYPE(Stage)

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
        QTest::newRow("angle_brackets_apart") << "a<" << ">b" << QByteArray("a<<>>b\r\n");
        QTest::newRow("ascii_backslash_and_tilde") << "C:\\~" << "~\\" << QByteArray("C:\\~<>~\\\r\n");
        QTest::newRow("fullwidth_tilde") << "wave" << "\uff5e" << QByteArray("wave<>\x81\x60\r\n");
        QTest::newRow("word_of_15_meaning_of_20")
            << "abcdefghijklmno" << "あいうえおかきくけこさしすせそたちつてと"
            << QByteArray("abcdefghijklmno<>") + QByteArray::fromHex(
                   "82a082a282a482a682a8" "82a982ab82ad82af82b1" "82b382b582b782b982bb" "82bd82bf82c282c482c6")
                   + "\r\n";
    }

    void registersExactlyWhatWasTyped()
    {
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        QFETCH(QByteArray, line);
        WordEntry e("");
        QCOMPARE(e.counter(), QStringLiteral(" 0"));
        e.registerPair(word, meaning);
        QCOMPARE(e.h.messageBox.shown, QStringList{Registered});
        QCOMPARE(read(e.path), line);
        QCOMPARE(e.counter(), QStringLiteral(" 1"));
        QCOMPARE(e.word()->text(), QString());
        QCOMPARE(e.meaning()->text(), QString());
        // Read back as the drill reads it, the pair is the one typed.
        const std::vector<std::string> pieces = splitEntry(readEntry(e.h.module.DictionaryPath, 1));
        QVERIFY(pieces.size() >= 2);
        QCOMPARE(QString::fromStdString(pieces[0]), word);
        QCOMPARE(QString::fromStdString(pieces[1]), meaning);
    }

    void successIsShownOnlyOnceTheLineIsOnDisk()
    {
        WordEntry e("cat<>\x94\x4c\r\n");
        QByteArray onDiskAtMessage;
        e.h.messageBox.onShow = [&](const QString &) { onDiskAtMessage = read(e.path); };
        e.registerPair(QStringLiteral("dog"), QStringLiteral("犬"));
        QCOMPARE(onDiskAtMessage, QByteArray("cat<>\x94\x4c\r\n") + DogInu);
        QCOMPARE(e.counter(), QStringLiteral(" 2"));
    }

    void registerAgainAtOnceFindsBothBoxesEmpty()
    {
        WordEntry e("");
        e.registerPair(QStringLiteral("dog"), QStringLiteral("犬"));
        QTest::mouseClick(e.button("Command1"), Qt::LeftButton);
        QCOMPARE(e.h.messageBox.shown, (QStringList{Registered, Missing}));
        QCOMPARE(read(e.path), DogInu);
        QCOMPARE(e.counter(), QStringLiteral(" 1"));
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
        QCOMPARE(read(e.path), DogInu);
        QCOMPARE(e.counter(), QStringLiteral(" 1"));
    }

    void refusedRegistrationChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QString>("message");

        const QString loneSurrogate = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
        QTest::newRow("separator_in_word") << DogInu << Stage::None << "a<>b" << "x" << HoldsSeparator;
        QTest::newRow("separator_in_meaning") << DogInu << Stage::None << "a" << "<>" << HoldsSeparator;
        QTest::newRow("separator_checked_before_characters") << DogInu << Stage::None << "<>" << "😀" << HoldsSeparator;
        QTest::newRow("emoji") << DogInu << Stage::None << "smile" << "😀" << NotStorable;
        QTest::newRow("yen_sign_would_read_back_as_backslash") << DogInu << Stage::None << "yen" << "\u00a5" << NotStorable;
        QTest::newRow("wave_dash_would_read_back_as_fullwidth_tilde") << DogInu << Stage::None << "wave" << "\u301c" << NotStorable;
        QTest::newRow("replacement_character") << DogInu << Stage::None << "\ufffd" << "x" << NotStorable;
        QTest::newRow("lone_surrogate_would_be_written_as_question_mark")
            << DogInu << Stage::None << loneSurrogate << "x" << NotStorable;
        QTest::newRow("line_feed_in_word") << DogInu << Stage::None << "a\nb" << "x" << NotStorable;
        QTest::newRow("carriage_return_in_meaning") << DogInu << Stage::None << "a" << "x\ry" << NotStorable;
        QTest::newRow("full") << FullDictionary << Stage::None << "dog" << "犬" << Full;
        QTest::newRow("separator_checked_before_full") << FullDictionary << Stage::None << "a<>" << "b" << HoldsSeparator;
        QTest::newRow("characters_checked_before_full") << FullDictionary << Stage::None << "a" << "😀" << NotStorable;
        QTest::newRow("directory_in_its_place") << DogInu << Stage::DirectoryInItsPlace << "cat" << "猫"
                                                << NotWritten + reason(EISDIR);
        QTest::newRow("folder_gone") << DogInu << Stage::FolderGone << "cat" << "猫" << NotWritten + reason(ENOENT);
        QTest::newRow("device_in_its_place") << DogInu << Stage::DeviceInItsPlace << "cat" << "猫"
                                             << NotWritten + NotRegularFileReason;
        QTest::newRow("characters_checked_before_writing") << DogInu << Stage::FolderGone << "cat" << "😀" << NotStorable;
    }

    void refusedRegistrationChangesNothing()
    {
        QFETCH(QByteArray, contents);
        QFETCH(Stage, stage);
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        QFETCH(QString, message);
        WordEntry e(contents);
        const QString counted = e.counter();
        // Whatever is at the dictionary's name when register is pressed, and what must still be there.
        QString kept = e.path;
        switch (stage) {
        case Stage::None:
            break;
        case Stage::DirectoryInItsPlace:
            kept = e.path + QStringLiteral(".away");
            QVERIFY(QFile::rename(e.path, kept));
            QVERIFY(QDir().mkdir(e.path));
            break;
        case Stage::FolderGone:
            kept = e.dir.filePath(QStringLiteral("away/dict.tmb"));
            QVERIFY(QDir().rename(e.folder, e.dir.filePath(QStringLiteral("away"))));
            break;
        case Stage::DeviceInItsPlace: {
            const int fd = ::open("/dev/full", O_WRONLY);
            if (fd < 0)
                QSKIP("no writable /dev/full");
            ::close(fd);
            kept = e.path + QStringLiteral(".away");
            QVERIFY(QFile::rename(e.path, kept));
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), e.path));
            break;
        }
        }

        e.registerPair(word, meaning);
        QCOMPARE(e.h.messageBox.shown, QStringList{message});
        QVERIFY(!e.h.app.hasEnded());
        QVERIFY(e.window()->isVisible());
        QCOMPARE(e.word()->text(), word);
        QCOMPARE(e.meaning()->text(), meaning);
        QCOMPARE(e.counter(), counted);
        QCOMPARE(read(kept), contents);
        if (stage == Stage::DirectoryInItsPlace)
            QVERIFY(QDir(e.path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        if (stage == Stage::FolderGone)
            QVERIFY(!QFileInfo::exists(e.folder)); // the missing folder is not made

        if (contents == FullDictionary)
            return;
        // Put right, the next registration counts on from the number loaded: nothing was counted before.
        if (stage == Stage::DirectoryInItsPlace || stage == Stage::DeviceInItsPlace) {
            QVERIFY(QDir().rmdir(e.path) || QFile::remove(e.path));
            QVERIFY(QFile::rename(kept, e.path));
        }
        if (stage == Stage::FolderGone)
            QVERIFY(QDir().rename(e.dir.filePath(QStringLiteral("away")), e.folder));
        e.registerPair(QStringLiteral("cat"), QStringLiteral("猫"));
        QCOMPARE(e.h.messageBox.shown.last(), Registered);
        QCOMPARE(read(e.path), contents + QByteArray("cat<>\x94\x4c\r\n"));
        QCOMPARE(e.counter(), QStringLiteral(" 2"));
    }

    void lastFreeEntryIsTakenThenTheDictionaryIsFull()
    {
        const QByteArray almostFull = QByteArray("a<>b\r\n").repeated(MaxEntries - 1);
        WordEntry e(almostFull);
        QCOMPARE(e.counter(), QStringLiteral(" 32766"));
        e.registerPair(QStringLiteral("dog"), QStringLiteral("犬"));
        QCOMPARE(e.counter(), QStringLiteral(" 32767"));
        e.registerPair(QStringLiteral("cat"), QStringLiteral("猫"));
        QCOMPARE(e.h.messageBox.shown, (QStringList{Registered, Full}));
        QCOMPARE(read(e.path), almostFull + DogInu);
        QCOMPARE(countEntries(e.h.module.DictionaryPath), MaxEntries);
    }

    void fileRemovedWhileOpenIsCreatedAnew()
    {
        WordEntry e(DogInu + "cat<>\x94\x4c\r\n");
        QCOMPARE(e.counter(), QStringLiteral(" 2"));
        QVERIFY(QFile::remove(e.path));
        e.registerPair(QStringLiteral("dog"), QStringLiteral("犬"));
        QCOMPARE(e.h.messageBox.shown, QStringList{Registered});
        QCOMPARE(read(e.path), DogInu);
        QCOMPARE(e.counter(), QStringLiteral(" 3")); // goes on from the number loaded
    }

    void backAndAddWordsAgainCountsTheFileAfresh()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("d.tmb"));
        write(path, DogInu);
        Harness h;
        h.module.DictionaryPath = QFile::encodeName(path).toStdString();
        h.app.start();
        QTest::mouseClick(h.control<QPushButton>(Window::Form1, "Command2"), Qt::LeftButton);
        auto counter = [&] { return h.control<DigitalCounter>(Window::Form3, "CtlDigital1")->value(); };
        QCOMPARE(counter(), QStringLiteral(" 1"));
        h.control<QLineEdit>(Window::Form3, "Text1")->setText(QStringLiteral("cat"));
        h.control<QLineEdit>(Window::Form3, "Text2")->setText(QStringLiteral("猫"));
        QTest::mouseClick(h.control<QPushButton>(Window::Form3, "Command1"), Qt::LeftButton);
        QCOMPARE(counter(), QStringLiteral(" 2"));
        write(path, QByteArray("x<>y\r\n").repeated(5)); // changed behind the window's back

        QTest::mouseClick(h.control<QPushButton>(Window::Form3, "Command2"), Qt::LeftButton);
        QVERIFY(!h.app.window(Window::Form3));
        QVERIFY(h.app.window(Window::Form1)->isVisible());
        QTest::mouseClick(h.control<QPushButton>(Window::Form1, "Command2"), Qt::LeftButton);
        QCOMPARE(counter(), QStringLiteral(" 5"));
        QCOMPARE(h.control<QLineEdit>(Window::Form3, "Text1")->text(), QString());
        QCOMPARE(h.messageBox.shown, QStringList{Registered});
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
        QApplication::setActiveWindow(e.window());
        QVERIFY(QTest::qWaitForWindowActive(e.window()));
        QWidget *target = e.window()->findChild<QWidget *>(focused);
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        e.word()->setText(word);
        e.meaning()->setText(QStringLiteral("犬"));
        if (focused == QLatin1String("Command1"))
            QTest::keyClick(target, Qt::Key_Space);
        else
            e.button("Command1")->click(); // a click that does not itself take the focus
        QCOMPARE(e.h.messageBox.shown, QStringList{message});
        QCOMPARE(QApplication::focusWidget(), target);
    }
};

TAMBERLO_QTEST_MAIN(Form3Test)
#include "form3_test.moc"
