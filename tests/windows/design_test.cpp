// Each window's controls against the design tables: place, text, font, colour, visibility.

#include "digitalcounter.h"
#include "fakes.h"
#include "fonts.h"
#include "testmain.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>

using namespace tamberlo;
using namespace tamberlo::testing;

Q_DECLARE_METATYPE(tamberlo::Window)

namespace {
const QColor DefaultColour; // invalid: the toolkit's standard text colour
const QString WindowFont;   // empty: the window's own font

// Opens the window through the real navigation, on a fresh empty dictionary where one is needed.
struct OpenWindow {
    QTemporaryDir dir;
    Harness h;
    QWidget *window = nullptr;

    explicit OpenWindow(Window which)
    {
        if (which != Window::Form1) {
            h.module.DictionaryPath = dir.filePath(QStringLiteral("d.tmb")).toStdString();
            QFile(dir.filePath(QStringLiteral("d.tmb"))).open(QIODevice::WriteOnly);
        }
        h.app.showWindow(which);
        window = h.app.window(which);
    }
};
} // namespace

class DesignTest : public QObject {
    Q_OBJECT

private slots:
    void controls_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("face");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("visible");

        const QString gothic = MsPGothic;
        const QString times = TimesNewRoman;
        auto row = [](const char *tag, Window w, const char *name, const QString &text, QRect twips,
                      const QString &face, double points, bool bold, QColor colour, bool visible = true) {
            QTest::newRow(tag) << w << QString::fromLatin1(name) << text << twips << face << points << bold
                               << colour << visible;
        };
        row("form1_Label1", Window::Form1, "Label1", "Tamberlo", {360, 240, 7215, 735}, times, 36, true, QColor(0, 0, 255));
        row("form1_Command1", Window::Form1, "Command1", "暗記開始", {240, 1200, 1575, 375}, gothic, 12, true, DefaultColour);
        row("form1_Command2", Window::Form1, "Command2", "単語追加", {2280, 1200, 1575, 375}, gothic, 12, true, DefaultColour);
        row("form1_Command3", Window::Form1, "Command3", "終了", {4320, 1200, 1455, 375}, gothic, 12, true, DefaultColour);
        row("form1_Label2", Window::Form1, "Label2", "Tamberlo Project", {6360, 2640, 1575, 255}, gothic, 9, true, QColor(0, 128, 0));
        row("form1_Command4", Window::Form1, "Command4", "辞書選択", {240, 1800, 1575, 375}, gothic, 12, true, DefaultColour);
        row("form1_Label3", Window::Form1, "Label3", "辞書選択を押して辞書ファイルを選択してください", {2280, 1920, 5415, 255}, WindowFont, 0, false, DefaultColour);
        row("form1_Command5", Window::Form1, "Command5", "新規辞書作成", {240, 2400, 1575, 375}, gothic, 9.75, true, DefaultColour);
        row("form1_Text1", Window::Form1, "Text1", "新規辞書名を入力してください", {2280, 2400, 3735, 375}, WindowFont, 0, false, DefaultColour);
        row("form1_Label4", Window::Form1, "Label4", "Ver 2.0", {6840, 1200, 735, 255}, times, 12, true, QColor(255, 0, 0));

        row("form2_Label1", Window::Form2, "Label1", "", {0, 360, 7935, 1095}, times, 48, true, QColor(0, 0, 192));
        row("form2_Command1", Window::Form2, "Command1", "開始", {4320, 2640, 1215, 495}, gothic, 18, false, DefaultColour);
        row("form2_Command2", Window::Form2, "Command2", "終了", {6240, 2640, 1095, 495}, gothic, 18, false, DefaultColour);
        row("form2_Text1", Window::Form2, "Text1", "2", {2160, 2640, 495, 420}, gothic, 14.25, false, DefaultColour);
        row("form2_Label2", Window::Form2, "Label2", "", {0, 1800, 8055, 375}, gothic, 18, false, DefaultColour);
        row("form2_Label3", Window::Form2, "Label3", "s/word", {2760, 2760, 975, 375}, gothic, 14.25, false, DefaultColour);
        row("form2_Label4", Window::Form2, "Label4", "SPEED", {840, 2640, 1095, 375}, gothic, 18, false, QColor(0, 128, 0));
        row("form2_Label5", Window::Form2, "Label5", "No.", {840, 2640, 495, 375}, gothic, 18, false, QColor(255, 0, 0), false);
        row("form2_CtlDigital1", Window::Form2, "CtlDigital1", QString(), {1560, 2640, 1140, 420}, QString(), 0, false, DefaultColour, false);

        row("form3_Text1", Window::Form3, "Text1", "", {1320, 360, 4935, 375}, gothic, 12, true, DefaultColour);
        row("form3_Text2", Window::Form3, "Text2", "", {1320, 1080, 4935, 375}, gothic, 12, true, DefaultColour);
        row("form3_Label1", Window::Form3, "Label1", "英語", {240, 360, 735, 375}, gothic, 18, false, QColor(0, 0, 255));
        row("form3_Command1", Window::Form3, "Command1", "登録", {3480, 1800, 1095, 495}, gothic, 18, false, DefaultColour);
        row("form3_Label2", Window::Form3, "Label2", "日本語", {120, 1080, 975, 375}, gothic, 14.25, true, QColor(255, 0, 0));
        row("form3_Label3", Window::Form3, "Label3", "現在登録数", {240, 1920, 1575, 375}, gothic, 14.25, true, QColor(0, 128, 0));
        row("form3_Command2", Window::Form3, "Command2", "戻る", {5040, 1800, 1095, 495}, gothic, 18, false, DefaultColour);
        row("form3_CtlDigital1", Window::Form3, "CtlDigital1", QString(), {1920, 1800, 1140, 420}, QString(), 0, false, DefaultColour);
    }

    void controls()
    {
        QFETCH(Window, window);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, twips);
        QFETCH(QString, face);
        QFETCH(double, points);
        QFETCH(bool, bold);
        QFETCH(QColor, colour);
        QFETCH(bool, visible);

        OpenWindow open(window);
        QWidget *control = open.window->findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QCOMPARE(control->isVisibleTo(open.window), visible);

        if (auto *label = qobject_cast<QLabel *>(control)) {
            QCOMPARE(label->text(), text);
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(!label->wordWrap());
            QVERIFY(label->autoFillBackground());
            QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::white));
            QVERIFY(label->alignment() & Qt::AlignTop);
            const QColor expected = colour.isValid() ? colour : open.window->palette().color(QPalette::WindowText);
            QCOMPARE(label->palette().color(QPalette::WindowText), expected);
        } else if (auto *button = qobject_cast<QPushButton *>(control)) {
            QCOMPARE(button->text(), text);
            QVERIFY(!button->autoDefault() && !button->isDefault());
        } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
            QCOMPARE(box->text(), text);
            QCOMPARE(box->echoMode(), QLineEdit::Normal);
            QVERIFY(box->placeholderText().isEmpty());
        }

        if (!face.isEmpty()) {
            QCOMPARE(control->font().family(), face);
            QCOMPARE(control->font().pointSizeF(), points);
            QCOMPARE(control->font().bold(), bold);
            QCOMPARE(control->font().italic(), name == "Label1" && window == Window::Form1);
        } else if (!qobject_cast<DigitalCounter *>(control)) {
            QCOMPARE(control->font(), open.window->font());
        }
    }

    // A row for every label and button caption each window opens with, read from the window itself.
    void fixedTextsFit_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("name");
        for (Window window : {Window::Form1, Window::Form2, Window::Form3}) {
            OpenWindow open(window);
            for (QWidget *control : open.window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
                const QString text = control->property("text").toString();
                if ((qobject_cast<QLabel *>(control) || qobject_cast<QPushButton *>(control)) && !text.isEmpty())
                    QTest::addRow("%s_%s", qPrintable(open.window->objectName().toLower()),
                                  qPrintable(control->objectName()))
                        << window << control->objectName();
            }
        }
    }

    // Whole, with a pixel to spare; condensed only where the natural width would not fit.
    void fixedTextsFit()
    {
        QFETCH(Window, window);
        QFETCH(QString, name);
        OpenWindow open(window);
        QWidget *control = open.window->findChild<QWidget *>(name);
        QString text;
        int room = 0;
        if (auto *label = qobject_cast<QLabel *>(control)) {
            text = label->text();
            room = label->contentsRect().width();
        } else if (auto *button = qobject_cast<QPushButton *>(control)) {
            text = button->text();
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text;
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
        }
        auto width = [&](const QFont &font) {
            const QFontMetrics metrics(font, control);
            return qMax(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1);
        };
        QVERIFY2(width(control->font()) < room,
                 qPrintable(QStringLiteral("%1 px in %2 px").arg(width(control->font())).arg(room)));
        QFont natural = control->font();
        natural.setStretch(QFont::Unstretched);
        if (control->font().stretch() != QFont::AnyStretch && control->font().stretch() != QFont::Unstretched)
            QVERIFY2(width(natural) >= room, "condensed although its natural width fits");
    }

    void windows_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("controls");
        QTest::newRow("form1") << Window::Form1 << QSize(529, 196) << 10;
        QTest::newRow("form2") << Window::Form2 << QSize(532, 230) << 9;
        QTest::newRow("form3") << Window::Form3 << QSize(434, 169) << 8;
    }

    void windows()
    {
        QFETCH(Window, window);
        QFETCH(QSize, client);
        QFETCH(int, controls);
        OpenWindow open(window);
        QWidget *w = open.window;
        QCOMPARE(w->windowTitle(), QStringLiteral("Tamberlo"));
        QCOMPARE(w->size(), client);
        QCOMPARE(w->minimumSize(), client);
        QCOMPARE(w->maximumSize(), client);
        QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(!w->windowIcon().isNull());
        QVERIFY(w->isVisible());
        QCOMPARE(w->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), controls);
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY(qAbs(w->frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(w->frameGeometry().center().y() - screen.center().y()) <= 1);
    }

    void windowFont()
    {
        OpenWindow open(Window::Form2);
        QCOMPARE(open.window->font().family(), MsPGothic);
        QCOMPARE(open.window->font().pointSizeF(), 14.25);
    }

    void tabOrderAndFocus_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("form1") << Window::Form1 << QStringList{"Command1", "Command2", "Command3", "Command4", "Command5", "Text1"};
        QTest::newRow("form2") << Window::Form2 << QStringList{"Command1", "Command2", "Text1"};
        QTest::newRow("form3") << Window::Form3 << QStringList{"Text1", "Text2", "Command1", "Command2"};
    }

    void tabOrderAndFocus()
    {
        QFETCH(Window, window);
        QFETCH(QStringList, order);
        OpenWindow open(window);
        QWidget *w = open.window;
        activate(w);
        QCOMPARE(w->focusWidget()->objectName(), order.first());
        QStringList seen;
        QWidget *at = w->focusWidget();
        for (int i = 0; i < order.size(); ++i) {
            seen << at->objectName();
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || !at->isVisibleTo(w) || at == w)
                at = at->nextInFocusChain();
        }
        QCOMPARE(seen, order);
    }

    void textBoxLimits_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit");
        QTest::newRow("form1_unlimited") << Window::Form1 << "Text1" << 200;
        QTest::newRow("form2_speed") << Window::Form2 << "Text1" << 3;
        QTest::newRow("form3_word") << Window::Form3 << "Text1" << 15;
        QTest::newRow("form3_meaning") << Window::Form3 << "Text2" << 20;
    }

    void textBoxLimits()
    {
        QFETCH(Window, window);
        QFETCH(QString, name);
        QFETCH(int, limit);
        OpenWindow open(window);
        auto *box = open.window->findChild<QLineEdit *>(name);
        box->clear();
        QTest::keyClicks(box, QString(200 + 5, QLatin1Char('7')));
        QCOMPARE(box->text().size(), limit == 200 ? 205 : limit);
    }

    // Japanese reaches the boxes through an input method's committed text; the speed box, digits
    // only, asks for none.
    void composedText_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepts");
        QTest::newRow("form1_name") << Window::Form1 << "Text1" << true;
        QTest::newRow("form2_speed") << Window::Form2 << "Text1" << false;
        QTest::newRow("form3_word") << Window::Form3 << "Text1" << true;
        QTest::newRow("form3_meaning") << Window::Form3 << "Text2" << true;
    }

    void composedText()
    {
        QFETCH(Window, window);
        QFETCH(QString, name);
        QFETCH(bool, accepts);
        OpenWindow open(window);
        auto *box = open.window->findChild<QLineEdit *>(name);
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(box, &query);
        QCOMPARE(query.value(Qt::ImEnabled).toBool(), accepts);
        if (!accepts)
            return;
        box->clear();
        QInputMethodEvent preedit(QStringLiteral("いぬ"), {});
        QApplication::sendEvent(box, &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("犬"));
        QApplication::sendEvent(box, &commit);
        QCOMPARE(box->text(), QStringLiteral("犬"));
    }

    void drillOverlapStacking()
    {
        OpenWindow open(Window::Form2);
        const QList<QWidget *> children = open.window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        auto z = [&](const char *name) { return children.indexOf(open.window->findChild<QWidget *>(name)); };
        QVERIFY(z("CtlDigital1") > z("Label4"));
        QVERIFY(z("CtlDigital1") > z("Text1"));
        QVERIFY(z("Label5") > z("Label4"));
    }

    void counterShowsEveryEntryCount_data()
    {
        QTest::addColumn<QString>("numberText");
        QTest::newRow("zero") << " 0";
        QTest::newRow("seven") << " 7";
        QTest::newRow("largest") << " 32767";
    }

    void counterShowsEveryEntryCount()
    {
        QFETCH(QString, numberText);
        DigitalCounter counter;
        counter.setValue(numberText);
        QVERIFY(!counter.checkOverflow(numberText.trimmed().toInt()));
        QCOMPARE(counter.value(), numberText);
        QCOMPARE(counter.length(), qint16(4));
        QCOMPARE(counter.accessibleName(), numberText.trimmed());
    }

    void accessibleNames_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessible");
        QTest::newRow("form1_button") << Window::Form1 << "Command4" << "辞書選択";
        QTest::newRow("form1_box") << Window::Form1 << "Text1" << "新規辞書名";
        QTest::newRow("form3_word") << Window::Form3 << "Text1" << "英語";
        QTest::newRow("form3_meaning") << Window::Form3 << "Text2" << "日本語";
        QTest::newRow("form3_label") << Window::Form3 << "Label3" << "現在登録数";
        QTest::newRow("form3_counter") << Window::Form3 << "CtlDigital1" << "0";
    }

    void accessibleNames()
    {
        QFETCH(Window, window);
        QFETCH(QString, name);
        QFETCH(QString, accessible);
        OpenWindow open(window);
        QWidget *control = open.window->findChild<QWidget *>(name);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), accessible);
    }

private:
    static void activate(QWidget *w)
    {
        w->activateWindow();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
};

TAMBERLO_QTEST_MAIN(DesignTest)
#include "design_test.moc"
