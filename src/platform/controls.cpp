#include "controls.h"

#include "digitalcounter.h"
#include "icon.h"
#include "messagebox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace tamberlo {

QLabel *makeLabel(QWidget *window, const char *name, const LabelDesign &design)
{
    auto *label = new QLabel(window);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignTop
                        | (design.align == TextAlign::Centred ? Qt::AlignHCenter : Qt::AlignLeft));
    label->setAutoFillBackground(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, Qt::white);
    if (design.colour)
        colours.setColor(QPalette::WindowText, *design.colour);
    label->setPalette(colours);
    if (design.font)
        label->setFont(*design.font);
    label->setText(design.text);
    placeControl(label, design.place);
    return label;
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
    return button;
}

QLineEdit *makeTextBox(QWidget *window, const char *name, const QString &text, const Twips &place,
                       const std::optional<QFont> &font, int maxLength, const QString &accessibleName)
{
    auto *box = new QLineEdit(window);
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

DigitalCounter *makeCounter(QWidget *window, const char *name, const Twips &place,
                            const QString &description)
{
    auto *counter = new DigitalCounter(window);
    counter->setObjectName(QLatin1String(name));
    counter->setAccessibleDescription(description);
    placeControl(counter, place);
    return counter;
}

void setUpWindow(QWidget *window, const char *name, int widthTwips, int heightTwips)
{
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(ApplicationTitle);
    window->setWindowIcon(programIcon());
    window->setAutoFillBackground(true);
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, Qt::white);
    window->setPalette(colours);
    setClientSize(window, widthTwips, heightTwips);
}

} // namespace tamberlo
