// The real file-open dialog, driven while it is open: where it starts, what it shows, and which
// answers it gives back.

#include "fakes.h"
#include "platform/dialogs.h"
#include "testmain.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <functional>

using namespace tamberlo;
using namespace tamberlo::testing;

namespace {
const QString Filter = QStringLiteral("Tamberlo 辞書(*.tmb)");

OpenFileRequest dictionaryRequest(const QString &initialFile = {})
{
    return {initialFile, {Filter}, Filter, QStringLiteral("tmb")};
}

// Runs `act` once a modal widget of type T is open, from inside its event loop.
template <typename T>
void whenOpen(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *widget = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        }
    });
    timer->start();
}

QLineEdit *fileNameBox(QFileDialog *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

void type(QFileDialog *dialog, const QString &text)
{
    QLineEdit *box = fileNameBox(dialog);
    box->setText(text); // typed key by key, the name would open the completer's popup
    QTest::keyClick(box, Qt::Key_Return);
}
} // namespace

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Qt's dialog keeps its own settings file; keep ours out of the user's.
        QStandardPaths::setTestModeEnabled(true);
    }

    // Without an initial file it opens in the working directory, wherever an earlier dialog was; with
    // one, in that file's folder with the file chosen, which Return confirms.
    void opensWhereItShould()
    {
        QTemporaryDir elsewhere;
        writeBytes(elsewhere.filePath("before.tmb"), "");
        QtFileDialog dialog;
        // An earlier dialog in another folder: Qt would open the next one there again.
        whenOpen<QFileDialog>([&](QFileDialog *d) { type(d, elsewhere.filePath("before.tmb")); });
        QVERIFY(dialog.getOpenFileName(nullptr, dictionaryRequest()));

        WorkingDirectory here;
        QString directory;
        QString shownName = QStringLiteral("<unset>");
        QString shownFilter;
        auto look = [&](QFileDialog *d) {
            directory = d->directory().absolutePath();
            shownName = fileNameBox(d)->text();
            shownFilter = d->selectedNameFilter();
        };
        whenOpen<QFileDialog>([&](QFileDialog *d) {
            look(d);
            d->reject();
        });
        OpenFileRequest request = dictionaryRequest();
        request.nameFilters.prepend(QStringLiteral("Other (*.x)")); // the selected one need not be the first
        QCOMPARE(dialog.getOpenFileName(nullptr, request), std::nullopt);
        QCOMPARE(directory, QDir(here.path()).absolutePath());
        QCOMPARE(shownName, QString());
        QCOMPARE(shownFilter, Filter);

        QVERIFY(QDir(here.path()).mkdir("sub"));
        const QString file = here.file("sub/words.tmb");
        writeBytes(file, "");
        whenOpen<QFileDialog>([&](QFileDialog *d) {
            look(d);
            QTest::keyClick(fileNameBox(d), Qt::Key_Return);
        });
        QCOMPARE(dialog.getOpenFileName(nullptr, dictionaryRequest(file)), std::optional<QString>(file));
        QCOMPARE(directory, here.file("sub"));
        QCOMPARE(shownName, QStringLiteral("words.tmb"));
    }

    // Whatever the locale (ctest runs this one under C with English as the language).
    void qtTextsAreJapanese()
    {
        QStringList texts;
        whenOpen<QFileDialog>([&](QFileDialog *d) {
            for (const char *name : {"fileNameLabel", "fileTypeLabel"})
                texts << d->findChild<QLabel *>(QLatin1String(name))->text();
            auto *buttons = d->findChild<QDialogButtonBox *>();
            for (QDialogButtonBox::StandardButton button : {QDialogButtonBox::Open, QDialogButtonBox::Cancel})
                texts << buttons->button(button)->text();
            d->reject();
        });
        QtFileDialog().getOpenFileName(nullptr, dictionaryRequest());
        QCOMPARE(texts, (QStringList{"ファイル名(&N):", "ファイルの種類:", "開く(&O)", "キャンセル"}));
    }

    // Without Qt's Japanese catalogue the caller is told so. This binary runs again from a copy whose
    // qt.conf points Qt at a folder without it.
    void missingQtTextsAreReported()
    {
        if (qEnvironmentVariableIsSet("TAMBERLO_QT_TEXTS_HIDDEN")) {
            QVERIFY(!installJapaneseQtTexts(*qApp));
            return;
        }
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));
        writeBytes(dir.filePath(QStringLiteral("qt.conf")),
                   "[Paths]\nPlugins=" + QLibraryInfo::path(QLibraryInfo::PluginsPath).toUtf8()
                       + "\nTranslations=" + dir.path().toUtf8() + "\n");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TAMBERLO_QT_TEXTS_HIDDEN"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(copy, {QStringLiteral("missingQtTextsAreReported")});
        QVERIFY(child.waitForFinished());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, child.readAll().constData());
    }

    void typedNameIsCompleted_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("without_extension") << "words" << "words.tmb";
        QTest::newRow("with_extension") << "words.tmb" << "words.tmb";
        QTest::newRow("other_extension_kept") << "notes.txt" << "notes.txt";
        QTest::newRow("japanese_name") << "単語" << "単語.tmb";
    }

    void typedNameIsCompleted()
    {
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        WorkingDirectory cwd;
        for (const char *name : {"words.tmb", "notes.txt", "単語.tmb"})
            writeBytes(cwd.file(QString::fromUtf8(name)), "");
        QtFileDialog dialog;
        whenOpen<QFileDialog>([&](QFileDialog *d) { type(d, typed); });
        QCOMPARE(dialog.getOpenFileName(nullptr, dictionaryRequest()), std::optional<QString>(cwd.file(chosen)));
    }

    void missingFileIsNotAccepted()
    {
        WorkingDirectory cwd;
        QtFileDialog dialog;
        QString warning;
        bool stillOpen = false;
        whenOpen<QFileDialog>([&](QFileDialog *d) {
            whenOpen<QMessageBox>([&](QMessageBox *box) {
                warning = box->text();
                box->accept();
            });
            type(d, QStringLiteral("nothere"));
            stillOpen = d->isVisible();
            d->reject();
        });
        QCOMPARE(dialog.getOpenFileName(nullptr, dictionaryRequest()), std::nullopt);
        QVERIFY2(warning.contains(QStringLiteral("ファイルが見つかりません")), qPrintable(warning));
        QVERIFY(stillOpen);
        QVERIFY(!QFile::exists(cwd.file("nothere.tmb")));
    }

    // The common dialog's filter text, "description|patterns|...", as the name filters it asks for.
    void filterTextBecomesQtFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("description_shows_its_pattern") << "Tamberlo 辞書(*.tmb)|*.tmb"
                                                        << QStringList{"Tamberlo 辞書(*.tmb)"};
        QTest::newRow("description_without_pattern") << "Dictionaries|*.tmb" << QStringList{"Dictionaries (*.tmb)"};
        QTest::newRow("several_patterns") << "Word lists|*.tmb;*.txt" << QStringList{"Word lists (*.tmb *.txt)"};
        QTest::newRow("two_entries") << "A|*.a|B|*.b" << QStringList{"A (*.a)", "B (*.b)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void filterTextBecomesQtFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, qt);
        QCOMPARE(qtNameFilters(filter), qt);
    }

    void filterIndexOutsideTheFiltersSelectsNone()
    {
        FakeFileDialog dialog;
        CommonDialog common(dialog);
        common.setFilter(QStringLiteral("A|*.a"));
        for (int index : {0, 2}) {
            common.setFilterIndex(index);
            common.showOpen(nullptr);
        }
        QCOMPARE(dialog.requests.at(0).selectedFilter, QString());
        QCOMPARE(dialog.requests.at(1).selectedFilter, QString());
    }
};

TAMBERLO_QTEST_MAIN(FileDialogTest)
#include "filedialog_test.moc"
