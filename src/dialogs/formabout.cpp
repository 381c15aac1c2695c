#include "dialogs/formabout.h"

#include "ui/poledrawing.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace vq {

namespace {

constexpr FontDef kTimes14{"Times New Roman", 14.25};

constexpr FormDef kFormAbout{.name = "FormAbout",
                             .caption = "About VQ3360 Function Demo",
                             .clientWidth = 6015,
                             .clientHeight = 2925,
                             .bg = SysTitleBarText};

// clang-format off
constexpr ControlDef kControls[] = {
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
     .tabIndex = 4, .spoken = "The pole display's logo"},
};
// clang-format on

// A control of the table above, found while compiling.
consteval ControlKey control(std::string_view name, int index = -1)
{
    return ControlKey::in(kControls, name, index);
}

} // namespace

FormAbout::FormAbout(QScreen* screen) : QDialog(nullptr, kFixedDialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (screen)
        setScreen(screen);
    m_controls = buildForm(this, kFormAbout, kControls);
    setWindowIcon(QIcon(iconImage()));
    if (auto* picture = m_controls.get<QLabel>(control("Picture1")))
        picture->setPixmap(logo());
    if (auto* ok = m_controls.get<QPushButton>(control("Command1"))) {
        connect(ok, &QPushButton::clicked, this, &FormAbout::Command1_Click);
        ok->setFocus(Qt::OtherFocusReason);
    }
    create(); // the window system's frame, where it reports one early, counts in the centring
    Form_Load();
}

QPixmap FormAbout::logo()
{
    return QPixmap::fromImage(poleDisplayImage(QSize(70, 42), PoleStyle::Smooth));
}

// Plain colours of the 16-colour set, no smoothing, as a 16-colour icon would be.
QPixmap FormAbout::iconImage()
{
    return QPixmap::fromImage(poleDisplayImage(QSize(32, 32), PoleStyle::Plain));
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
