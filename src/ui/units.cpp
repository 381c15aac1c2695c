#include "ui/units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vq {

double screenDpi()
{
    static const double dpi = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->logicalDotsPerInchY() : 96.0;
    }();
    return dpi;
}

int px(double twips)
{
    return twipsToPixels(twips, screenDpi());
}

QRect pxRect(const TwipsRect& r)
{
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const double dpi = screenDpi();
    const QSize outer = window->frameGeometry().size();
    const QSize client = window->size();
    const QSize frame = outer - client; // zero before the window system has framed it
    const QSize screenSize = screen ? screen->size() : QSize(1280, 1024);
    const int leftTw = centredTwips(pixelsToTwips(screenSize.width(), dpi),
                                    pixelsToTwips(client.width() + frame.width(), dpi));
    const int topTw = centredTwips(pixelsToTwips(screenSize.height(), dpi),
                                   pixelsToTwips(client.height() + frame.height(), dpi));
    window->move(px(leftTw), px(topTw));
}

} // namespace vq
