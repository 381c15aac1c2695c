#include "dialogs/formabout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace vq {

namespace {

constexpr FontSpec kTimes14{"Times New Roman", 14.25};

constexpr FormSpec kFormAbout{.name = "FormAbout",
                              .caption = "About VQ3360 Function Demo",
                              .clientWidth = 6015,
                              .clientHeight = 2925,
                              .bg = SysTitleBarText};

// clang-format off
constexpr ControlSpec kControls[] = {
    {.name = "Command1", .kind = ControlKind::Button, .caption = "OK",
     .rect = {2400, 2400, 855, 375}, .font = kTimes14, .flags = DefaultButton, .tabIndex = 0},
    {.name = "Label5", .kind = ControlKind::Label,
     .caption = "Made by the vq3360 project team, 2026",
     .rect = {240, 1680, 5655, 615}, .font = {"Times New Roman", 15.75, true}, .fg = 0x0000C0,
     .bg = SysWindowBackground, .flags = Wrapped, .tabIndex = 1},
    {.name = "Label2", .kind = ControlKind::Label,
     .caption = "ZTK Customer Pole Display VQ3360 setup utility",
     .rect = {1320, 240, 4095, 735}, .font = kTimes14, .fg = SysWindowText,
     .bg = SysWindowBackground, .flags = Wrapped, .tabIndex = 2},
    {.name = "Label3", .kind = ControlKind::Label, .caption = "Version " VQ_VERSION,
     .rect = {1320, 960, 2295, 375}, .font = {"Times New Roman", 12}, .fg = SysWindowText,
     .bg = SysWindowBackground, .flags = Wrapped, .tabIndex = 3},
    {.name = "Picture1", .kind = ControlKind::Picture, .rect = {120, 360, 1095, 855},
     .tabIndex = 4},
};
// clang-format on

constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                         Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// A pole display in miniature: a two-line head on a pole, the same drawing at any size.
void drawPoleDisplay(QPainter& p, const QRectF& area, bool smooth)
{
    p.setRenderHint(QPainter::Antialiasing, smooth);
    const qreal w = area.width();
    const qreal h = area.height();
    const QRectF head(area.left() + w * 0.05, area.top() + h * 0.04, w * 0.9, h * 0.5);
    const QRectF glass = head.adjusted(w * 0.05, h * 0.07, -w * 0.05, -h * 0.07);
    const qreal poleWidth = qMax<qreal>(2.0, w * 0.08);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRectF(area.center().x() - poleWidth / 2, head.bottom(), poleWidth,
                      area.bottom() - head.bottom() - h * 0.08));
    p.setBrush(QColor(0x00, 0x00, 0x80));
    p.drawRect(QRectF(area.left() + w * 0.25, area.bottom() - h * 0.12, w * 0.5, h * 0.12));
    p.setBrush(QColor(0x00, 0x00, 0x80));
    p.drawRoundedRect(head, smooth ? 3 : 0, smooth ? 3 : 0);
    p.setBrush(Qt::black);
    p.drawRect(glass);

    // Two rows of lit character cells, as the vacuum-fluorescent glass shows them.
    p.setBrush(QColor(0x00, 0xFF, 0xFF));
    const int cells = smooth ? 8 : 4;
    const qreal pitch = glass.width() / cells;
    const qreal rowHeight = glass.height() / 2;
    for (int row = 0; row < 2; ++row) {
        const int lit = row == 0 ? cells : cells - 2;
        for (int i = 0; i < lit; ++i) {
            p.drawRect(QRectF(glass.left() + i * pitch + pitch * 0.2,
                              glass.top() + row * rowHeight + rowHeight * 0.2, pitch * 0.6,
                              rowHeight * 0.6));
        }
    }
}

} // namespace

FormAbout::FormAbout(QScreen* screen) : QDialog(nullptr, kFixedDialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (screen)
        setScreen(screen);
    m_controls = buildForm(this, kFormAbout, kControls);
    setWindowIcon(QIcon(iconImage()));
    if (auto* picture = m_controls.get<QLabel>(QStringLiteral("Picture1")))
        picture->setPixmap(logo());
    if (auto* ok = m_controls.get<QPushButton>(QStringLiteral("Command1"))) {
        connect(ok, &QPushButton::clicked, this, &FormAbout::Command1_Click);
        ok->setFocus(Qt::OtherFocusReason);
    }
    create(); // the window system's frame, where it reports one early, counts in the centring
    Form_Load();
}

namespace {

QPixmap poleDisplayPixmap(int width, int height, bool smooth)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    drawPoleDisplay(p, QRectF(0, 0, width, height), smooth);
    return pixmap;
}

} // namespace

QPixmap FormAbout::logo()
{
    return poleDisplayPixmap(70, 42, true);
}

// Plain colours of the 16-colour set, no smoothing, as a 16-colour icon would be.
QPixmap FormAbout::iconImage()
{
    return poleDisplayPixmap(32, 32, false);
}

void FormAbout::Form_Load()
{
    centreOnScreen(this);
}

void FormAbout::Command1_Click()
{
    close();
}

void FormAbout::keyPressEvent(QKeyEvent* event)
{
    // The window has no cancel button, so Escape leaves it open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vq
