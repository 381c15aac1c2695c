#include "ui/poledrawing.h"

#include <QPainter>
#include <QPixmap>

namespace vq {

namespace {

const QColor kPole(0x80, 0x80, 0x80);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kGlass(Qt::black);
const QColor kLit(0x00, 0xFF, 0xFF);

QString svgNumber(qreal value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

QList<PoleShape> poleDisplayShapes(const QSizeF& size, PoleStyle style)
{
    const bool smooth = style == PoleStyle::Smooth;
    const qreal w = size.width();
    const qreal h = size.height();
    const QRectF head(w * 0.05, h * 0.04, w * 0.9, h * 0.5);
    const QRectF glass = head.adjusted(w * 0.05, h * 0.07, -w * 0.05, -h * 0.07);
    // A pole never thinner than two pixels, so it still shows on the smallest icon.
    const qreal poleWidth = qMax<qreal>(2.0, w * 0.08);
    // Corners round in proportion: 3 px on the 70 px About logo.
    const qreal radius = smooth ? 3.0 * w / 70 : 0;

    QList<PoleShape> shapes{
        {QRectF(w / 2 - poleWidth / 2, head.bottom(), poleWidth, h - head.bottom() - h * 0.08), 0,
         kPole},
        {QRectF(w * 0.25, h - h * 0.12, w * 0.5, h * 0.12), 0, kNavy},
        {head, radius, kNavy},
        {glass, 0, kGlass},
    };

    // Two rows of lit character cells, as the vacuum-fluorescent glass shows them.
    const int cells = smooth ? 8 : 4;
    const qreal pitch = glass.width() / cells;
    const qreal rowHeight = glass.height() / 2;
    for (int row = 0; row < 2; ++row) {
        const int lit = row == 0 ? cells : cells - 2;
        for (int i = 0; i < lit; ++i) {
            shapes.append({QRectF(glass.left() + i * pitch + pitch * 0.2,
                                  glass.top() + row * rowHeight + rowHeight * 0.2, pitch * 0.6,
                                  rowHeight * 0.6),
                           0, kLit});
        }
    }
    return shapes;
}

void paintPoleDisplay(QPainter& painter, const QRectF& area, PoleStyle style)
{
    painter.setRenderHint(QPainter::Antialiasing, style == PoleStyle::Smooth);
    painter.setPen(Qt::NoPen);
    for (const PoleShape& shape : poleDisplayShapes(area.size(), style)) {
        painter.setBrush(shape.colour);
        const QRectF rect = shape.rect.translated(area.topLeft());
        if (shape.radius > 0)
            painter.drawRoundedRect(rect, shape.radius, shape.radius);
        else
            painter.drawRect(rect);
    }
}

QImage poleDisplayImage(const QSize& size, PoleStyle style)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintPoleDisplay(painter, QRectF(QPointF(0, 0), size), style);
    return image;
}

QByteArray poleDisplaySvg(const QSize& size)
{
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                 "height=\"%2\" viewBox=\"0 0 %1 %2\">\n")
                      .arg(size.width())
                      .arg(size.height());
    for (const PoleShape& shape : poleDisplayShapes(size, PoleStyle::Smooth)) {
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\"")
                   .arg(svgNumber(shape.rect.x()), svgNumber(shape.rect.y()),
                        svgNumber(shape.rect.width()), svgNumber(shape.rect.height()));
        if (shape.radius > 0)
            svg += QStringLiteral(" rx=\"%1\"").arg(svgNumber(shape.radius));
        svg += QStringLiteral(" fill=\"%1\"/>\n").arg(shape.colour.name());
    }
    svg += QStringLiteral("</svg>\n");
    return svg.toUtf8();
}

QList<int> appIconSizes()
{
    return {16, 32, 48, 64, 128, 256};
}

PoleStyle appIconStyle(int size)
{
    // Eight cells a row blur into one another below 48 px.
    return size < 48 ? PoleStyle::Plain : PoleStyle::Smooth;
}

QIcon appIcon()
{
    QIcon icon;
    for (const int size : appIconSizes())
        icon.addPixmap(QPixmap::fromImage(poleDisplayImage(QSize(size, size), appIconStyle(size))));
    return icon;
}

} // namespace vq
