#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tamberlo {

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

void setClientSize(QWidget *window, int widthTwips, int heightTwips)
{
    window->setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
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

} // namespace tamberlo
