// The main menu through its seams: creating dictionaries in the working directory, choosing one in
// the file dialog (and what the dialog remembers within one life of the window), and its messages.

#include "fakes.h"
#include "testmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <cerrno>
#include <unistd.h>

using namespace tamberlo;
using namespace tamberlo::testing;

namespace {
const QString SelectPrompt = QStringLiteral("辞書選択を押して辞書ファイルを選択してください");
const QString NamePrompt = QStringLiteral("新規辞書名を入力してください");
const QString Created = QStringLiteral("辞書ファイルを作成しました");
const QString AlreadyExists = QStringLiteral("その名前の辞書ファイルはすでに存在します");
const QString NotCreated = QStringLiteral("辞書ファイルを作成できませんでした\n");

void click(Harness &h, const char *button) { h.click(Window::Form1, button); }
QString label3(const Harness &h) { return h.control<QLabel>(Window::Form1, "Label3")->text(); }
QLineEdit *text1(const Harness &h) { return h.control<QLineEdit>(Window::Form1, "Text1"); }
} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void createNamesTheFileAfterTheText_data()
    {
        QTest::addColumn<bool>("touchText");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("plain_name") << true << "words" << "words.tmb";
        QTest::newRow("untouched_prompt") << false << "" << (NamePrompt + ".tmb");
        QTest::newRow("extension_typed_gets_it_twice") << true << "words.tmb" << "words.tmb.tmb";
        QTest::newRow("empty_text") << true << "" << ".tmb";
        QTest::newRow("pattern_without_match_is_taken_literally") << true << "w*" << "w*.tmb";
    }

    void createNamesTheFileAfterTheText()
    {
        QFETCH(bool, touchText);
        QFETCH(QString, typed);
        QFETCH(QString, fileName);
        WorkingDirectory cwd;
        Harness h;
        h.app.start();
        if (touchText)
            text1(h)->setText(typed);
        const QString before = text1(h)->text();
        click(h, "Command5");
        QCOMPARE(h.messageBox.shown, QStringList{Created});
        QCOMPARE(QDir(cwd.path()).entryList(QDir::Files | QDir::Hidden), QStringList{fileName});
        QCOMPARE(readBytes(cwd.file(fileName)), QByteArray());
        // The new file is not selected, and the name stays in the box.
        QVERIFY(h.module.DictionaryPath.empty());
        QCOMPARE(label3(h), SelectPrompt);
        QCOMPARE(text1(h)->text(), before);
        QVERIFY(!h.app.hasEnded());
    }

    // A second create of the name, and a name whose pattern matches a dictionary, leave it alone.
    // Which patterns match is the existence test's, in the core; here, that the typed text is the pattern.
    void existingDictionaryIsNeverCreatedAgain_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("created_before") << "単語";
        QTest::newRow("pattern_matches") << "単*";
    }

    void existingDictionaryIsNeverCreatedAgain()
    {
        QFETCH(QString, typed);
        WorkingDirectory cwd;
        Harness h;
        h.app.start();
        text1(h)->setText(QStringLiteral("単語"));
        click(h, "Command5");
        writeBytes(cwd.file("単語.tmb"), "a<>b\r\n"); // filled in since
        text1(h)->setText(typed);
        click(h, "Command5");
        QCOMPARE(h.messageBox.shown, (QStringList{Created, AlreadyExists}));
        QCOMPARE(QDir(cwd.path()).entryList(QDir::Files), QStringList{"単語.tmb"});
        QCOMPARE(readBytes(cwd.file("単語.tmb")), QByteArray("a<>b\r\n"));
    }

    void nameThatCannotBeCreatedIsReportedAndTheProgramGoesOn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("directoryToMake");
        QTest::addColumn<int>("err");
        QTest::newRow("no_such_folder") << "missing/words" << "" << ENOENT;
        QTest::newRow("directory_of_that_name") << "words" << "words.tmb" << EISDIR;
        QTest::newRow("folder_is_a_file") << "plain.tmb/words" << "" << ENOTDIR;
        QTest::newRow("name_too_long") << QString(300, QLatin1Char('x')) << "" << ENAMETOOLONG;
    }

    void nameThatCannotBeCreatedIsReportedAndTheProgramGoesOn()
    {
        QFETCH(QString, typed);
        QFETCH(QString, directoryToMake);
        QFETCH(int, err);
        WorkingDirectory cwd;
        if (!directoryToMake.isEmpty())
            QVERIFY(QDir(cwd.path()).mkdir(directoryToMake));
        writeBytes(cwd.file("plain.tmb"), "");
        const QStringList before = QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        Harness h;
        h.module.DictionaryPath = "/chosen/earlier.tmb";
        h.app.start();
        text1(h)->setText(typed);
        click(h, "Command5");
        QCOMPARE(h.messageBox.shown.size(), 1);
        const QString shown = h.messageBox.shown.first();
        QVERIFY2(shown.startsWith(NotCreated), qPrintable(shown));
        QCOMPARE(shown.mid(NotCreated.size()), reason(err));
        QVERIFY(!h.app.hasEnded());
        QVERIFY(h.app.window(Window::Form1)->isVisible());
        QCOMPARE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(h.module.DictionaryPath, std::string("/chosen/earlier.tmb"));
        QCOMPARE(label3(h), QStringLiteral("/chosen/earlier.tmb"));
        QCOMPARE(text1(h)->text(), typed);
        // Still usable: a good name now goes through.
        text1(h)->setText(QStringLiteral("good"));
        click(h, "Command5");
        QCOMPARE(h.messageBox.shown.last(), Created);
    }

    // The first cancel has no earlier file to fall back on.
    void selectAsksForDictionaries()
    {
        WorkingDirectory cwd;
        Harness h;
        h.app.start();
        h.fileDialog.answers = {std::nullopt};
        click(h, "Command4");
        QCOMPARE(h.fileDialog.requests.size(), std::size_t(1));
        const OpenFileRequest &request = h.fileDialog.requests.front();
        QCOMPARE(request.nameFilters, QStringList{QStringLiteral("Tamberlo 辞書(*.tmb)")});
        QCOMPARE(request.selectedFilter, QStringLiteral("Tamberlo 辞書(*.tmb)"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("tmb"));
        QCOMPARE(request.initialFile, QString());
        QVERIFY(h.module.DictionaryPath.empty());
        QCOMPARE(label3(h), QString());
        QVERIFY(h.messageBox.shown.isEmpty());
    }

    // The dialog's file is the last one confirmed, for one life of the window; the folder of a
    // confirmed file becomes the working directory, where a new dictionary is then created.
    void dialogRemembersItsFileForOneLifeOfTheWindow()
    {
        WorkingDirectory cwd;
        QVERIFY(QDir(cwd.path()).mkpath("sub/deeper"));
        const QString a = cwd.file("a.tmb");
        const QString b = cwd.file("sub/deeper/b.tmb");
        writeBytes(b, "a<>b\r\n");
        Harness h;
        h.app.start();

        h.fileDialog.answers = {a, b, std::nullopt};
        click(h, "Command4"); // confirm A, then B over it
        click(h, "Command4");
        QCOMPARE(h.fileDialog.requests.at(1).initialFile, a);
        QCOMPARE(QDir::currentPath(), cwd.file("sub/deeper"));
        click(h, "Command4"); // cancel: B again, and the working directory stays
        QCOMPARE(QString::fromStdString(h.module.DictionaryPath), b);
        QCOMPARE(label3(h), b);
        QCOMPARE(h.fileDialog.requests.at(0).initialFile, QString());
        QCOMPARE(h.fileDialog.requests.at(2).initialFile, b);
        QCOMPARE(QDir::currentPath(), cwd.file("sub/deeper"));
        text1(h)->setText(QStringLiteral("new"));
        click(h, "Command5");
        QVERIFY(QFile::exists(cwd.file("sub/deeper/new.tmb")));
        QVERIFY(!QFile::exists(cwd.file("new.tmb")));

        click(h, "Command2"); // word entry, then back to a fresh main menu
        h.click(Window::Form3, "Command2");
        QVERIFY(!h.app.window(Window::Form3));
        QCOMPARE(text1(h)->text(), NamePrompt);
        QCOMPARE(label3(h), b);
        QCOMPARE(QString::fromStdString(h.module.DictionaryPath), b);

        click(h, "Command4"); // cancel in the fresh window: nothing to fall back on
        QCOMPARE(h.fileDialog.requests.at(3).initialFile, QString());
        QVERIFY(h.module.DictionaryPath.empty());
        QCOMPARE(label3(h), QString());
        QCOMPARE(h.messageBox.shown, QStringList{Created});
    }

    // On a 12 pt desktop the instruction is condensed to fit; the path that replaces it is fitted
    // on its own: natural width when it fits, condensed only as far as it needs.
    void pathIsFittedOnItsOwn_data()
    {
        QTest::addColumn<bool>("onLoad");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("condensed");
        QTest::newRow("short_path_selected") << false << "/d/a.tmb" << false;
        QTest::newRow("short_path_on_load") << true << "/d/a.tmb" << false;
        QTest::newRow("long_path_selected") << false << "/home/user/Documents/Tamberlo/dictionaries/basic-english.tmb"
                                            << true;
    }

    void pathIsFittedOnItsOwn()
    {
        QFETCH(bool, onLoad);
        QFETCH(QString, path);
        QFETCH(bool, condensed);
        const QFont desktop = QApplication::font();
        QFont large = desktop;
        large.setPointSize(12);
        QApplication::setFont(large);
        auto restore = qScopeGuard([&] { QApplication::setFont(desktop); });
        auto isCondensed = [](const QLabel *label) {
            return label->font().stretch() > QFont::AnyStretch && label->font().stretch() < QFont::Unstretched;
        };
        WorkingDirectory cwd; // the dialog moves to the chosen folder
        Harness h;
        if (onLoad)
            h.module.DictionaryPath = path.toStdString();
        h.app.start();
        QLabel *label = h.control<QLabel>(Window::Form1, "Label3");
        if (!onLoad) {
            QVERIFY(isCondensed(label));
            h.fileDialog.answers = {path};
            click(h, "Command4");
        }
        QCOMPARE(label->text(), path);
        QCOMPARE(isCondensed(label), condensed);
        const int width = QFontMetrics(label->font(), label).horizontalAdvance(path);
        QVERIFY2(width < label->contentsRect().width(), qPrintable(QString::number(width)));
    }
};

TAMBERLO_QTEST_MAIN(Form1Test)
#include "form1_test.moc"
