#pragma once

#include <QRect>

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

// Fixed client-area size of a top-level window.
void setClientSize(QWidget *window, int widthTwips, int heightTwips);

// Centres a top-level window on the screen it would open on.
void centreOnScreen(QWidget *window);

} // namespace tamberlo
