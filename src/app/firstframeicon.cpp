#include "app/firstframeicon.h"

#include "ui/poledrawing.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace vq {

namespace {

class IconAfterFirstFrame : public QObject {
public:
    explicit IconAfterFirstFrame(QWidget* window) : QObject(qApp)
    {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, &IconAfterFirstFrame::setIcon,
                Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued: the frame goes to the window system as this paint returns.
            QTimer::singleShot(0, this, &IconAfterFirstFrame::setIcon);
        }
        return false;
    }

private:
    void setIcon()
    {
        if (QApplication::windowIcon().isNull())
            QApplication::setWindowIcon(appIcon());
        deleteLater();
    }
};

} // namespace

void setIconAfterFirstFrame(QWidget* window)
{
    if (QApplication::windowIcon().isNull())
        new IconAfterFirstFrame(window);
}

} // namespace vq
