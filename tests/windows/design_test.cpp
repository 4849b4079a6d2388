// Each window against its design: texts, fonts, colours, visibility, the places the design relates, and fixed texts that fit.

#include "fakes.h"
#include "platform/contrast.h"
#include "platform/controls.h"
#include "platform/fonts.h"
#include "testmain.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

using namespace tamberlo;
using namespace tamberlo::testing;

Q_DECLARE_METATYPE(tamberlo::Window)

namespace {
// Opens the window through the real navigation, on a fresh empty dictionary where one is needed.
struct OpenWindow {
    Harness h;
    QWidget *window = nullptr;

    explicit OpenWindow(Window which)
    {
        if (which != Window::Form1)
            h.useDictionary("");
        h.app.showWindow(which);
        window = h.app.window(which);
    }
};
} // namespace

class DesignTest : public QObject {
    Q_OBJECT

private slots:
    // Every control as the helper for its kind makes it, and what it shows when its window opens.
    void controls_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QStringList>("texts"); // "name=text" of every label, button and text box
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<QStringList>("centred");
        QTest::addColumn<QStringList>("spoken"); // "name=accessible name" where the text shown is not it
        QTest::newRow("form1") << Window::Form1
            << QStringList{"Label1=Tamberlo", "Command1=暗記開始", "Command2=単語追加", "Command3=終了",
                           "Label2=Tamberlo Project", "Command4=辞書選択",
                           "Label3=辞書選択を押して辞書ファイルを選択してください", "Command5=新規辞書作成",
                           "Text1=新規辞書名を入力してください", "Label4=Ver 2.0"}
            << QStringList() << QStringList() << QStringList{"Command4=辞書選択", "Text1=新規辞書名"};
        QTest::newRow("form2") << Window::Form2
            << QStringList{"Label1=", "Command1=開始", "Command2=終了", "Text1=2", "Label2=", "Label3=s/word",
                           "Label4=SPEED", "Label5=No."}
            << QStringList{"Label5", "CtlDigital1"} << QStringList{"Label1", "Label2"}
            << QStringList{"Text1=SPEED s/word", "CtlDigital1=0"};
        QTest::newRow("form3") << Window::Form3
            << QStringList{"Text1=", "Text2=", "Label1=英語", "Command1=登録", "Label2=日本語", "Label3=現在登録数",
                           "Command2=戻る"}
            << QStringList() << QStringList()
            << QStringList{"Text1=英語", "Text2=日本語", "Label3=現在登録数", "CtlDigital1=0"};
    }

    void controls()
    {
        QFETCH(Window, window);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, hidden);
        QFETCH(QStringList, centred);
        QFETCH(QStringList, spoken);
        OpenWindow open(window);
        QStringList shown;
        QStringList accessibleNames;
        for (QWidget *control : open.window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            const QString name = control->objectName();
            accessibleNames << name + QLatin1Char('=') + QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
            QCOMPARE(control->isVisibleTo(open.window), !hidden.contains(name));
            QCOMPARE(control->minimumSize(), control->maximumSize()); // placed once, never resized
            if (auto *label = qobject_cast<QLabel *>(control)) {
                shown << name + QLatin1Char('=') + label->text();
                QCOMPARE(label->textFormat(), Qt::PlainText);
                QVERIFY(!label->wordWrap());
                QVERIFY(label->autoFillBackground());
                QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::white));
                QCOMPARE(label->alignment(), Qt::AlignTop | (centred.contains(name) ? Qt::AlignHCenter : Qt::AlignLeft));
            } else if (auto *button = qobject_cast<QPushButton *>(control)) {
                shown << name + QLatin1Char('=') + button->text();
                QVERIFY(!button->autoDefault() && !button->isDefault());
            } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
                shown << name + QLatin1Char('=') + box->text();
                QCOMPARE(box->echoMode(), QLineEdit::Normal);
                QVERIFY(box->placeholderText().isEmpty());
            }
        }
        shown.sort();
        texts.sort();
        QCOMPARE(shown, texts);
        for (const QString &name : spoken)
            QVERIFY2(accessibleNames.contains(name), qPrintable(name));
    }

    // The design's fonts and label colours, each value once with the controls that carry it.
    void looks_data()
    {
        QTest::addColumn<QVariant>("look"); // a font; none for the window's own; a label's text colour
        QTest::addColumn<QStringList>("controls"); // "Form2.Label5"
        auto row = [](const char *tag, const QVariant &look, const QStringList &controls) {
            QTest::newRow(tag) << look << controls;
        };
        // Made here rather than by designFont(), so that a slip there shows.
        auto font = [](const QString &face, qreal points, Weight weight = Weight::Normal, Slant slant = Slant::Upright) {
            QFont expected(face);
            expected.setPointSizeF(points);
            expected.setBold(weight == Weight::Bold);
            expected.setItalic(slant == Slant::Italic);
            return QVariant::fromValue(expected);
        };
        row("gothic_12_bold", font(MsPGothic, 12, Weight::Bold),
            {"Form1.Command1", "Form1.Command2", "Form1.Command3", "Form1.Command4", "Form3.Text1", "Form3.Text2"});
        row("gothic_9_75_bold", font(MsPGothic, 9.75, Weight::Bold), {"Form1.Command5"});
        row("gothic_9_bold", font(MsPGothic, 9, Weight::Bold), {"Form1.Label2"});
        row("gothic_14_25_bold", font(MsPGothic, 14.25, Weight::Bold), {"Form3.Label2", "Form3.Label3"});
        row("gothic_18", font(MsPGothic, 18), {"Form2.Command1", "Form2.Command2", "Form2.Label2", "Form2.Label4",
                                               "Form2.Label5", "Form3.Label1", "Form3.Command1", "Form3.Command2"});
        row("times_36_bold_italic", font(TimesNewRoman, 36, Weight::Bold, Slant::Italic), {"Form1.Label1"});
        row("times_12_bold", font(TimesNewRoman, 12, Weight::Bold), {"Form1.Label4"});
        row("times_48_bold", font(TimesNewRoman, 48, Weight::Bold), {"Form2.Label1"});
        row("window_font", QVariant(), {"Form1.Label3", "Form1.Text1", "Form2.Text1", "Form2.Label3"});
        row("blue", QColor(0, 0, 255), {"Form1.Label1", "Form3.Label1"});
        row("dark_blue", QColor(0, 0, 192), {"Form2.Label1"});
        row("green", QColor(0, 128, 0), {"Form1.Label2", "Form2.Label4", "Form3.Label3"});
        row("red", QColor(255, 0, 0), {"Form1.Label4", "Form2.Label5", "Form3.Label2"});
        row("standard_colour", QColor(), {"Form1.Label3", "Form2.Label2", "Form2.Label3"});
    }

    void looks()
    {
        QFETCH(QVariant, look);
        QFETCH(QStringList, controls);
        for (const QString &dotted : controls) {
            OpenWindow open(Window(dotted.at(4).digitValue() - 1));
            QWidget *control = open.window->findChild<QWidget *>(dotted.section(QLatin1Char('.'), 1));
            QVERIFY2(control, qPrintable(dotted));
            if (!look.isValid()) {
                QCOMPARE(control->font(), open.window->font());
            } else if (look.typeId() == QMetaType::QColor) {
                const QColor colour = look.value<QColor>();
                const QColor standard = open.window->palette().color(QPalette::WindowText);
                QCOMPARE(control->palette().color(QPalette::WindowText), colour.isValid() ? colour : standard);
            } else {
                QFont shown = control->font();
                shown.setStretch(QFont::AnyStretch); // condensing to fit is fixedTextsFit's to judge
                QFont expected = look.value<QFont>();
                // Named by the face that stands in for the design's, where that is not installed.
                QCOMPARE(QFontInfo(shown).family(), QFontInfo(expected).family());
                expected.setFamilies(shown.families());
                QCOMPARE(shown, expected);
            }
        }
    }

    // WCAG 2 contrast ratios to two decimals; #767676 is the lightest grey that reaches 4.5:1 on white.
    void contrast_data()
    {
        QTest::addColumn<QColor>("ink");
        QTest::addColumn<QColor>("ground");
        QTest::addColumn<int>("hundredths");
        QTest::newRow("black_on_white") << QColor(Qt::black) << QColor(Qt::white) << 2100;
        QTest::newRow("white_on_black") << QColor(Qt::white) << QColor(Qt::black) << 2100;
        QTest::newRow("white_on_white") << QColor(Qt::white) << QColor(Qt::white) << 100;
        QTest::newRow("lightest_grey_that_reads") << QColor(0x76, 0x76, 0x76) << QColor(Qt::white) << 454;
        QTest::newRow("next_grey_does_not") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 448;
        QTest::newRow("red") << QColor(255, 0, 0) << QColor(Qt::white) << 400;
        QTest::newRow("green") << QColor(0, 128, 0) << QColor(Qt::white) << 514;
        QTest::newRow("blue") << QColor(0, 0, 255) << QColor(Qt::white) << 859;
    }

    void contrast()
    {
        QFETCH(QColor, ink);
        QFETCH(QColor, ground);
        QFETCH(int, hundredths);
        QCOMPARE(qRound(contrastRatio(ink, ground) * 100), hundredths);
    }

    // A label paints its own white ground, so its text must read there whatever the desktop's
    // palette (design colours are kept: the design's red is 4.00:1); buttons and text boxes take
    // ground and text from the desktop.
    void labelsReadOnTheirGround_data()
    {
        QTest::addColumn<QPalette>("desktop");
        QTest::addColumn<QStringList>("desktopInk"); // the labels drawn in the desktop's own text colour
        QTest::newRow("dark") << QPalette(QColor(0x42, 0x42, 0x45), QColor(0x22, 0x20, 0x20)) << QStringList();
        QPalette lightGreyText = QApplication::palette();
        lightGreyText.setColor(QPalette::WindowText, QColor(0x59, 0x59, 0x59));
        QTest::newRow("light_grey_text") << lightGreyText
                                         << QStringList{"Form1.Label3", "Form2.Label2", "Form2.Label3"};
    }

    void labelsReadOnTheirGround()
    {
        QFETCH(QPalette, desktop);
        QFETCH(QStringList, desktopInk);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(desktop);
        auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
        QStringList inDesktopInk;
        for (Window window : {Window::Form1, Window::Form2, Window::Form3}) {
            OpenWindow open(window);
            for (QWidget *control : open.window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
                const QString dotted = open.window->objectName() + QLatin1Char('.') + control->objectName();
                const QPalette colours = control->palette();
                if (!qobject_cast<QLabel *>(control)) {
                    if (qobject_cast<QPushButton *>(control) || qobject_cast<QLineEdit *>(control))
                        for (QPalette::ColorRole role : {QPalette::Button, QPalette::ButtonText, QPalette::Base, QPalette::Text})
                            QVERIFY2(colours.color(role) == desktop.color(role), qPrintable(dotted));
                    continue;
                }
                for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                    const QColor ink = colours.color(group, QPalette::WindowText);
                    const double ratio = contrastRatio(ink, colours.color(group, QPalette::Window));
                    QVERIFY2(ratio >= 4.5 || ink == QColor(255, 0, 0),
                             qPrintable(QStringLiteral("%1: %2:1").arg(dotted).arg(ratio, 0, 'f', 2)));
                }
                if (colours.color(QPalette::Active, QPalette::WindowText) == desktop.color(QPalette::WindowText))
                    inDesktopInk << dotted;
            }
        }
        QCOMPARE(inDesktopInk, desktopInk);
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

    // Shown whole, as it would be with room to spare; condensed only where the natural face would be
    // cut, and only about as far as that.
    void fixedTextsFit()
    {
        QFETCH(Window, window);
        QFETCH(QString, name);
        OpenWindow open(window);
        QWidget *control = open.window->findChild<QWidget *>(name);
        if (!control->isVisible()) // "No." opens hidden: no condensed face is loaded for it until shown
            QCOMPARE(control->font().stretch(), int(QFont::AnyStretch));
        control->show();
        const int room = control->width();
        auto inkWithRoomToSpare = [&] {
            control->setFixedWidth(room + 200); // even, so a centred text moves by whole pixels
            const int ink = inkColumns(control);
            control->setFixedWidth(room);
            return ink;
        };
        const int ink = inkColumns(control);
        QVERIFY(ink > 0);
        QCOMPARE(ink, inkWithRoomToSpare());
        const QFont font = control->font();
        if (font.stretch() == QFont::AnyStretch || font.stretch() == QFont::Unstretched)
            return;
        QFont natural = font;
        natural.setStretch(QFont::Unstretched);
        control->setFont(natural);
        const int cut = inkColumns(control);
        QVERIFY2(cut < inkWithRoomToSpare(), "condensed although its natural face fits");
        QVERIFY2(ink * 10 >= cut * 9, qPrintable(QStringLiteral("condensed to %1 px of %2").arg(ink).arg(cut)));
    }

    // The fit's edges: a caption keeps its face with a pixel to spare, is condensed without one, and
    // goes no narrower than the narrowest face however little room it has.
    void captionAtTheEdgeOfItsRoom_data()
    {
        QTest::addColumn<int>("quarters"); // of the caption's natural width
        QTest::addColumn<int>("spare");
        QTest::addColumn<int>("stretch"); // 0: as it is; -1: condensed, but not to the narrowest face
        QTest::newRow("pixel_to_spare") << 4 << 1 << int(QFont::AnyStretch);
        QTest::newRow("exactly_as_wide") << 4 << 0 << -1;
        QTest::newRow("a_quarter_as_wide") << 1 << 0 << int(QFont::UltraCondensed);
    }

    void captionAtTheEdgeOfItsRoom()
    {
        QFETCH(int, quarters);
        QFETCH(int, spare);
        QFETCH(int, stretch);
        QWidget window;
        QLabel *label = makeLabel(&window, "Label1", {});
        const QString text = QStringLiteral("辞書を選択してください");
        const QFontMetrics metrics(label->font(), label);
        const int width = metrics.horizontalAdvance(text);
        QVERIFY(metrics.boundingRect(text).right() < width); // no ink beyond the advance
        label->setFixedWidth(width * quarters / 4 + spare);
        setCaption(label, text);
        if (stretch >= 0) {
            QCOMPARE(label->font().stretch(), stretch);
        } else {
            QVERIFY(label->font().stretch() > QFont::UltraCondensed);
            QVERIFY(QFontMetrics(label->font(), label).horizontalAdvance(text) < width);
        }
    }

    // Ink that overhangs the advance, as an italic's last stroke does, needs room too: with room for
    // all but its last column the caption is condensed.
    void overhangingInkNeedsRoom()
    {
        QWidget window;
        QLabel *label = makeLabel(&window, "Label1", {{}, {}, designFont(TimesNewRoman, 48, Weight::Bold, Slant::Italic), std::nullopt});
        const QString text = QStringLiteral("f");
        const QFontMetrics metrics(label->font(), label);
        const int lastInk = metrics.boundingRect(text).right();
        QVERIFY2(lastInk > metrics.horizontalAdvance(text), "the stroke does not overhang");
        label->setFixedWidth(lastInk);
        setCaption(label, text);
        QVERIFY(label->font().stretch() != QFont::AnyStretch);
    }

    // Places the design relates rather than gives: the drill's shared corner, the label a row lower
    // and the label that runs past the window's edge. Every other place is its constructor's twips,
    // which the end-to-end tests click. Where the bottom row overlaps, "No." and the counter lie
    // above "SPEED" and the speed box. The drill's own font is the one its plain controls take.
    void drillWindowAsDesigned()
    {
        QCOMPARE(pixelRect({15, 30, 45, 60}), QRect(1, 2, 3, 4));
        OpenWindow open(Window::Form2);
        auto at = [&](const char *name) { return open.window->findChild<QWidget *>(name)->geometry(); };
        QCOMPARE(at("Label5").topLeft(), at("Label4").topLeft());
        QCOMPARE(at("Label3").top(), at("Label4").top() + twipsToPixels(120));
        QCOMPARE(at("Label2").right() + 1, open.window->width() + twipsToPixels(75));
        QVERIFY(at("CtlDigital1").intersects(at("Label4")) && at("CtlDigital1").intersects(at("Text1")));
        const QList<QWidget *> children = open.window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        auto z = [&](const char *name) { return children.indexOf(open.window->findChild<QWidget *>(name)); };
        QVERIFY(z("CtlDigital1") > z("Label4") && z("CtlDigital1") > z("Text1") && z("Label5") > z("Label4"));
        QCOMPARE(QFontInfo(open.window->font()).family(), QFontInfo(QFont(MsPGothic)).family());
        QCOMPARE(open.window->font().pointSizeF(), 14.25);
    }

    // Each window's frame, its controls and the order the tab key takes them in, from the focus it opens with.
    void windows_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("controls");
        QTest::addColumn<QStringList>("tabOrder");
        QTest::newRow("form1") << Window::Form1 << QSize(529, 196) << 10
                               << QStringList{"Command1", "Command2", "Command3", "Command4", "Command5", "Text1"};
        QTest::newRow("form2") << Window::Form2 << QSize(532, 230) << 9 << QStringList{"Command1", "Command2", "Text1"};
        QTest::newRow("form3") << Window::Form3 << QSize(434, 169) << 8
                               << QStringList{"Text1", "Text2", "Command1", "Command2"};
    }

    void windows()
    {
        QFETCH(Window, window);
        QFETCH(QSize, client);
        QFETCH(int, controls);
        QFETCH(QStringList, tabOrder);
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

        activate(w);
        QStringList seen;
        QWidget *at = w->focusWidget();
        for (int i = 0; i < tabOrder.size(); ++i) {
            seen << at->objectName();
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || !at->isVisibleTo(w) || at == w)
                at = at->nextInFocusChain();
        }
        QCOMPARE(seen, tabOrder);
    }

    // Each box's limit; Japanese reaches a box through an input method's committed text, and the
    // speed box, digits only, asks for none.
    void textBoxes_data()
    {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit"); // 0: none
        QTest::addColumn<bool>("composes");
        QTest::newRow("form1_name") << Window::Form1 << "Text1" << 0 << true;
        QTest::newRow("form2_speed") << Window::Form2 << "Text1" << 3 << false;
        QTest::newRow("form3_word") << Window::Form3 << "Text1" << 15 << true;
        QTest::newRow("form3_meaning") << Window::Form3 << "Text2" << 20 << true;
    }

    void textBoxes()
    {
        QFETCH(Window, window);
        QFETCH(QString, name);
        QFETCH(int, limit);
        QFETCH(bool, composes);
        OpenWindow open(window);
        auto *box = open.window->findChild<QLineEdit *>(name);
        box->clear();
        QTest::keyClicks(box, QString(205, QLatin1Char('7')));
        QCOMPARE(box->text().size(), limit == 0 ? 205 : limit);
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(box, &query);
        QCOMPARE(query.value(Qt::ImEnabled).toBool(), composes);
        if (!composes)
            return;
        box->clear();
        QInputMethodEvent preedit(QStringLiteral("いぬ"), {});
        QApplication::sendEvent(box, &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("犬"));
        QApplication::sendEvent(box, &commit);
        QCOMPARE(box->text(), QStringLiteral("犬"));
    }

    // Five digits hold every count up to 32767; the number text's leading blank is not shown.
    void counterShowsTheLargestCount()
    {
        DigitalCounter counter;
        counter.setValue(QStringLiteral(" 32767"));
        QVERIFY(!counter.checkOverflow(32767));
        QCOMPARE(counter.intValue(), 32767);
        QCOMPARE(counter.value(), QStringLiteral(" 32767"));
        QCOMPARE(counter.accessibleName(), QStringLiteral("32767"));
    }

    // Its black ground is its own, not the white window's showing through.
    void counterPaintsItsGround()
    {
        OpenWindow open(Window::Form3);
        const QImage shot = open.window->grab().toImage();
        const QPoint corner = open.window->findChild<QWidget *>("CtlDigital1")->geometry().topLeft();
        QCOMPARE(shot.pixelColor((QPointF(corner) * shot.devicePixelRatio()).toPoint()), QColor(Qt::black));
    }

private:
    // How many pixel columns the control's text inks: the control drawn with its text and without.
    static int inkColumns(QWidget *control)
    {
        const QVariant text = control->property("text");
        const QImage with = control->grab().toImage();
        control->setProperty("text", QString());
        const QImage without = control->grab().toImage();
        control->setProperty("text", text);
        int columns = 0;
        for (int x = 0; x < with.width(); ++x) {
            int y = 0;
            while (y < with.height() && with.pixel(x, y) == without.pixel(x, y))
                ++y;
            columns += y < with.height();
        }
        return columns;
    }

    static void activate(QWidget *w)
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
};

TAMBERLO_QTEST_MAIN(DesignTest)
#include "design_test.moc"
