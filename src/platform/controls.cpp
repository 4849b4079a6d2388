#include "platform/controls.h"

#include "platform/contrast.h"
#include "platform/dialogs.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace tamberlo {

namespace {
int textWidth(const QFont &font, const QWidget *control, const QString &text)
{
    const QFontMetrics metrics(font, control);
    return std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1);
}

// The stand-in faces run wider than the faces the designs were drawn with, and no control may
// grow: a text that would be clipped is condensed just enough to fit with a pixel to spare.
// Every other text keeps its natural width.
void condenseToFit(QWidget *control, const QString &text, int room)
{
    QFont font = control->font();
    const int natural = textWidth(font, control, text);
    if (natural < room || natural == 0) // nothing to draw needs no room, even in a control of none
        return;
    int stretch = std::max<int>(QFont::UltraCondensed, 100 * (room - 1) / natural);
    font.setStretch(stretch);
    while (textWidth(font, control, text) >= room && stretch > QFont::UltraCondensed)
        font.setStretch(--stretch);
    control->setFont(font);
}

// Fitting loads the condensed face, which a label that opens hidden needs only once it is shown:
// its design caption is fitted as it is first shown, before any paint. A caption set later is
// fitted at once.
class Caption final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void showEvent(QShowEvent *event) override
    {
        if (std::exchange(m_unfitted, false))
            condenseToFit(this, text(), contentsRect().width());
        QLabel::showEvent(event);
    }

private:
    bool m_unfitted = true;
};

// A label paints its own white ground, so the desktop's text colour may vanish on it (a dark
// theme's light text): that colour gives way to black, and one that reads on white stays.
void readOnOwnGround(QPalette &colours)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor ink = colours.color(group, QPalette::WindowText);
        if (contrastRatio(ink, colours.color(group, QPalette::Window)) < ReadableContrast)
            colours.setColor(group, QPalette::WindowText, Qt::black);
    }
}

// Qt 6's line edit tells an input method it is welcome from its own state alone; this one also
// honours Qt::WA_InputMethodEnabled, so that a box turning it off is left alone by the method.
class TextBox final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    using QLineEdit::inputMethodQuery;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override
    {
        if (query == Qt::ImEnabled && !testAttribute(Qt::WA_InputMethodEnabled))
            return false;
        return QLineEdit::inputMethodQuery(query);
    }
};
} // namespace

QRect pixelRect(const Twips &place)
{
    return QRect(twipsToPixels(place.left), twipsToPixels(place.top),
                 twipsToPixels(place.width), twipsToPixels(place.height));
}

void placeControl(QWidget *control, const Twips &place)
{
    const QRect rect = pixelRect(place);
    control->move(rect.topLeft());
    control->setFixedSize(rect.size());
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(available.center());
    window->move(frame.topLeft());
}

QLabel *makeLabel(QWidget *window, const char *name, const LabelDesign &design)
{
    auto *label = new Caption(window);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignTop
                        | (design.align == TextAlign::Centred ? Qt::AlignHCenter : Qt::AlignLeft));
    label->setAutoFillBackground(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, Qt::white);
    if (design.colour)
        colours.setColor(QPalette::WindowText, *design.colour);
    else
        readOnOwnGround(colours);
    label->setPalette(colours);
    if (design.font)
        label->setFont(*design.font);
    label->setText(design.text);
    placeControl(label, design.place);
    return label;
}

void setCaption(QLabel *label, const QString &text)
{
    QFont font = label->font();
    if (font.stretch() != QFont::AnyStretch) {
        font.setStretch(QFont::AnyStretch);
        label->setFont(font);
    }
    label->setText(text);
    condenseToFit(label, text, label->contentsRect().width());
}

QPushButton *makeButton(QWidget *window, const char *name, const QString &caption, const Twips &place,
                        const std::optional<QFont> &font)
{
    auto *button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    // No window answers Enter or Escape with a button.
    button->setAutoDefault(false);
    button->setDefault(false);
    if (font)
        button->setFont(*font);
    placeControl(button, place);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = caption;
    condenseToFit(button, caption,
                  button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width());
    return button;
}

QLineEdit *makeTextBox(QWidget *window, const char *name, const QString &text, const Twips &place,
                       const std::optional<QFont> &font, int maxLength, const QString &accessibleName)
{
    auto *box = new TextBox(window);
    box->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    if (font)
        box->setFont(*font);
    box->setText(text);
    box->setCursorPosition(0);
    box->setAccessibleName(accessibleName);
    placeControl(box, place);
    return box;
}

// Five digits: room for every count up to 32767 (the design's four would not hold it); the number
// text's leading blank is not drawn.
DigitalCounter::DigitalCounter(QWidget *parent)
    : QLCDNumber(5, parent)
{
    setSegmentStyle(QLCDNumber::Filled);
    setFrameStyle(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    // Filled segments are shaded with Light and Dark: one colour keeps them crisp at this size.
    const QColor segments(255, 64, 32);
    colours.setColor(QPalette::WindowText, segments);
    colours.setColor(QPalette::Light, segments);
    colours.setColor(QPalette::Dark, segments);
    setPalette(colours);
    setValue(QStringLiteral(" 0"));
}

void DigitalCounter::setValue(const QString &numberText)
{
    m_value = numberText;
    display(numberText.trimmed());
    setAccessibleName(numberText.trimmed());
}

DigitalCounter *makeCounter(QWidget *window, const char *name, const Twips &place,
                            const QString &description)
{
    auto *counter = new DigitalCounter(window);
    counter->setObjectName(QLatin1String(name));
    counter->setAccessibleDescription(description);
    placeControl(counter, place);
    return counter;
}

QIcon programIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tamberlo-16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/tamberlo-32.xpm"), QSize(32, 32));
    return icon;
}

void setUpWindow(QWidget *window, const char *name, int widthTwips, int heightTwips)
{
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(ApplicationTitle);
    window->setWindowIcon(programIcon());
    // A top-level window always fills its ground from the palette.
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, Qt::white);
    window->setPalette(colours);
    window->setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

} // namespace tamberlo
