#pragma once

#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>

class QPainter;

namespace vq {

// Plain keeps to four cells a row, square corners and no smoothing, as a 16-colour icon would.
enum class PoleStyle { Plain, Smooth };

// One filled shape of the drawing; square corners when radius is 0.
struct PoleShape {
    QRectF rect;
    qreal radius = 0;
    QColor colour;
};

// The pole display in miniature as shapes in a box of this size from (0, 0), back to front.
// Every picture of it (window icons, the About logo, the installed icons) comes from here.
QList<PoleShape> poleDisplayShapes(const QSizeF& size, PoleStyle style);

void paintPoleDisplay(QPainter& painter, const QRectF& area, PoleStyle style);
QImage poleDisplayImage(const QSize& size, PoleStyle style);
QByteArray poleDisplaySvg(const QSize& size);

// The square sizes of the application icon, and the style each is drawn in.
QList<int> appIconSizes();
PoleStyle appIconStyle(int size);

// The application's icon at every size; needs a QGuiApplication.
QIcon appIcon();

} // namespace vq
