#include "virtual_display/vfdwidget.h"

#include "virtual_display/protocoltables.h"

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

// Blinking cells and the cursor change every so many ticks; a scrolling message moves a cell.
constexpr int blinkTicks = 10;
constexpr int cursorTicks = 11;
constexpr int scrollTicks = 5;

QChar shownGlyph(QChar glyph)
{
    // 80..9F have no Latin-1 glyph; show a shaded block so the cell is visibly not blank.
    if (glyph.unicode() >= 0x80 && glyph.unicode() <= 0x9F)
        return QChar(0x2592);
    return glyph;
}

} // namespace

VfdWidget::VfdWidget(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_timer->setInterval(TickMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        ++m_ticks;
        update();
    });
    m_timer->start();
}

void VfdWidget::setContents(const ScreenModel& screen)
{
    m_screen = screen;
    m_ticks = 0; // typing keeps the cursor lit, as on the device
    update();
}

unsigned char VfdWidget::shownCode(int cell) const
{
    const QByteArray text = m_screen.scrollText();
    const ScreenState& state = m_screen.state();
    if (cell >= ScreenModel::Columns || state.scrolling == Scrolling::None || text.isEmpty())
        return m_screen.cell(cell);
    // The message and a row of blanks pass through the row from the right; once is one pass,
    // ending where it began.
    const int length = int(text.size()) + ScreenModel::Columns;
    int step = m_ticks / scrollTicks;
    if (state.scrolling == Scrolling::Once && step >= length)
        step = 0;
    const int at = (step + cell) % length;
    return at < text.size() ? static_cast<unsigned char>(text[at]) : ' ';
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

    const ScreenState& state = m_screen.state();
    // Brightness 1..4 dims the phosphor; the glass blinks or is blanked as a whole.
    QColor lit = phosphor;
    lit.setAlphaF(0.4 + 0.2 * (state.brightness - 1));
    const bool glassOn =
        state.blink == 0 || (state.blink != 255 && (m_ticks / state.blink) % 2 == 0);
    const bool blinkOn = (m_ticks / blinkTicks) % 2 == 0;

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

        const std::uint8_t marks = state.marks[index];
        const bool on = glassOn && (!(marks & Blink) || blinkOn);
        const bool reverse = on && (marks & Reverse);
        if (reverse) {
            p.setBrush(lit);
            p.drawRoundedRect(cell, 2, 2);
        }
        const unsigned char code = shownCode(index);
        const ScreenModel::Pattern* pattern =
            (marks & UserGlyph) ? m_screen.pattern(code) : nullptr;
        if (on && pattern) {
            // Five columns of seven dots, the top dot in bit 7.
            p.setPen(Qt::NoPen);
            p.setBrush(reverse ? unlitCell : lit);
            const qreal dot = cell.width() / 6;
            for (int column = 0; column < 5; ++column) {
                for (int row = 0; row < 7; ++row) {
                    if ((*pattern)[size_t(column)] & (0x80 >> row))
                        p.drawEllipse(QRectF(cell.left() + dot * (column + 0.5),
                                             cell.top() + 4 + dot * 1.2 * row, dot * 0.9,
                                             dot * 0.9));
                }
            }
        } else if (on && code != ' ') {
            const QString text(
                shownGlyph(index < ScreenModel::Columns && state.scrolling != Scrolling::None
                               ? glyphFor(code, state.charset)
                               : state.glyph(index)));
            // A few faint offset copies stand in for the glow of a lit segment.
            QColor glow = lit;
            glow.setAlphaF(lit.alphaF() * 0.18);
            p.setPen(glow);
            for (const QPointF offset :
                 {QPointF(-1.5, 0), QPointF(1.5, 0), QPointF(0, -1.5), QPointF(0, 1.5)})
                p.drawText(cell.translated(offset), Qt::AlignCenter, text);
            p.setPen(reverse ? unlitCell : lit);
            p.drawText(cell, Qt::AlignCenter, text);
        }
        if (on && (marks & Dot)) {
            p.setPen(Qt::NoPen);
            p.setBrush(lit);
            p.drawEllipse(QRectF(cell.right() - 1, cell.bottom() - 6, 5, 5));
        }
        const bool cursorLit = (m_ticks / cursorTicks) % 2 == 0;
        if (index == state.cursor && state.cursorShown && glassOn && cursorLit) {
            const QRectF bar(cell.left() + 1, cell.bottom() - 4, cell.width() - 2, 3);
            p.setPen(Qt::NoPen);
            p.setBrush(lit);
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
