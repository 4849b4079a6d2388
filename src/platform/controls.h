#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QLCDNumber>
#include <QRect>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tamberlo {

// A place in twips (1/1440 inch) as the window designs give it.
struct Twips {
    int left;
    int top;
    int width;
    int height;
};

// 15 twips make one pixel at 96 dpi; Qt's logical pixels scale that on high-DPI screens.
inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}

QRect pixelRect(const Twips &place);

// Fixed place and size of a control; nothing moves it afterwards.
void placeControl(QWidget *control, const Twips &place);

// Centres a top-level window on the screen it would open on.
void centreOnScreen(QWidget *window);

enum class TextAlign { Left, Centred };

// Design-time settings shared by the window designs; nullopt keeps the window's own font or colour.
struct LabelDesign {
    QString text;
    Twips place;
    std::optional<QFont> font;
    std::optional<QColor> colour;
    TextAlign align = TextAlign::Left;
};

// An opaque white label of fixed size, plain text at the top, clipped at its edges. Without a design
// colour its text takes the desktop's colour where that reads on white, black where it does not.
QLabel *makeLabel(QWidget *window, const char *name, const LabelDesign &design);

// A caption set at run time: the label's design font, condensed only as far as this text needs
// to fit; beyond the narrowest face it is clipped.
void setCaption(QLabel *label, const QString &text);

QPushButton *makeButton(QWidget *window, const char *name, const QString &caption, const Twips &place,
                        const std::optional<QFont> &font);

// maxLength 0 means no limit.
QLineEdit *makeTextBox(QWidget *window, const char *name, const QString &text, const Twips &place,
                       const std::optional<QFont> &font, int maxLength, const QString &accessibleName);

// A seven-segment box that shows the number text it was given last (" 7", "-3").
class DigitalCounter final : public QLCDNumber {
    Q_OBJECT

public:
    explicit DigitalCounter(QWidget *parent = nullptr);

    void setValue(const QString &numberText);
    QString value() const { return m_value; }

private:
    QString m_value;
};

DigitalCounter *makeCounter(QWidget *window, const char *name, const Twips &place,
                            const QString &description);

// The rhombus icon shared by the program and its three windows.
QIcon programIcon();

// A white top-level window of fixed client size with the program's caption and icon.
void setUpWindow(QWidget *window, const char *name, int widthTwips, int heightTwips);

} // namespace tamberlo
