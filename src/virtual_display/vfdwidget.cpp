#include "virtual_display/vfdwidget.h"

#include "virtual_display/screenmodel.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace vq::vdisplay {

namespace {

const QColor phosphor(0x3C, 0xF0, 0xC8);
const QColor unlitCell(0x0B, 0x24, 0x20);
constexpr int cellWidth = 30;
constexpr int cellHeight = 48;
constexpr int cellGap = 5;
constexpr int rowGap = 12;
constexpr int glassMargin = 22;
constexpr int bezel = 14;

QChar glyphFor(unsigned char byte)
{
    // 80..9F have no Latin-1 glyph; show a shaded block so the cell is visibly not blank.
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(0x2592);
    return QChar::fromLatin1(static_cast<char>(byte));
}

} // namespace

VfdWidget::VfdWidget(QWidget* parent)
    : QWidget(parent), m_cells(ScreenModel::CellCount, ' '), m_blink(new QTimer(this))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_blink->setInterval(530);
    connect(m_blink, &QTimer::timeout, this, [this] {
        m_cursorLit = !m_cursorLit;
        update();
    });
    m_blink->start();
}

void VfdWidget::setContents(const QByteArray& cells, int cursor)
{
    m_cells = cells.leftJustified(ScreenModel::CellCount, ' ', true);
    m_cursor = cursor;
    m_cursorLit = true; // typing keeps the cursor visible, as on the device
    m_blink->start();
    update();
}

QSize VfdWidget::sizeHint() const
{
    const int width = ScreenModel::Columns * (cellWidth + cellGap) - cellGap;
    const int height = ScreenModel::Rows * cellHeight + rowGap;
    return {width + 2 * (glassMargin + bezel), height + 2 * (glassMargin + bezel)};
}

QSize VfdWidget::minimumSizeHint() const
{
    return sizeHint();
}

void VfdWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QSize content = sizeHint();
    const QRectF housing(QPointF((width() - content.width()) / 2.0, 0), QSizeF(content));
    QLinearGradient body(housing.topLeft(), housing.bottomLeft());
    body.setColorAt(0, QColor(0x3A, 0x3E, 0x42));
    body.setColorAt(1, QColor(0x1C, 0x1E, 0x20));
    p.setPen(QPen(QColor(0x0E, 0x0F, 0x10), 1));
    p.setBrush(body);
    p.drawRoundedRect(housing, 14, 14);

    const QRectF glass = housing.adjusted(bezel, bezel, -bezel, -bezel);
    QLinearGradient tint(glass.topLeft(), glass.bottomLeft());
    tint.setColorAt(0, QColor(0x06, 0x16, 0x14));
    tint.setColorAt(1, QColor(0x02, 0x09, 0x08));
    p.setPen(QPen(QColor(0, 0, 0), 2));
    p.setBrush(tint);
    p.drawRoundedRect(glass, 6, 6);

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), font.family()});
    font.setBold(true);
    font.setPixelSize(38);
    font.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(font);

    const QPointF origin = glass.topLeft() + QPointF(glassMargin, glassMargin);
    for (int index = 0; index < ScreenModel::CellCount; ++index) {
        const int row = index / ScreenModel::Columns;
        const int column = index % ScreenModel::Columns;
        const QRectF cell(origin.x() + column * (cellWidth + cellGap),
                          origin.y() + row * (cellHeight + rowGap), cellWidth, cellHeight);
        p.setPen(Qt::NoPen);
        p.setBrush(unlitCell);
        p.drawRoundedRect(cell, 2, 2);

        const auto byte = static_cast<unsigned char>(m_cells[index]);
        if (byte != ' ') {
            const QString text(glyphFor(byte));
            // A few faint offset copies stand in for the glow of a lit segment.
            QColor glow = phosphor;
            glow.setAlpha(45);
            p.setPen(glow);
            for (const QPointF offset :
                 {QPointF(-1.5, 0), QPointF(1.5, 0), QPointF(0, -1.5), QPointF(0, 1.5)})
                p.drawText(cell.translated(offset), Qt::AlignCenter, text);
            p.setPen(phosphor);
            p.drawText(cell, Qt::AlignCenter, text);
        }
        if (index == m_cursor && m_cursorLit) {
            const QRectF bar(cell.left() + 1, cell.bottom() - 4, cell.width() - 2, 3);
            p.setPen(Qt::NoPen);
            p.setBrush(phosphor);
            p.drawRect(bar);
        }
    }

    // Faint reflection across the upper half of the glass.
    QLinearGradient shine(glass.topLeft(), QPointF(glass.left(), glass.center().y()));
    shine.setColorAt(0, QColor(255, 255, 255, 22));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(glass.topLeft(), QSizeF(glass.width(), glass.height() / 2)), 6, 6);
}

} // namespace vq::vdisplay
