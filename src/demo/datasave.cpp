#include "demo/datasave.h"

#include "demo/interactive.h"
#include "display/session.h"
#include "shared/appcontext.h"
#include "shared/frame.h"
#include "shared/guardedsend.h"

#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vq {

namespace {

constexpr FormDef kDatasave{.name = "DATASAVE",
                            .caption = "interactive demo",
                            .clientWidth = 6585,
                            .clientHeight = 4515,
                            .bg = 0xE0E0E0};

// clang-format off
constexpr ControlDef kControls[] = {
    {.name = "Label1", .kind = ControlKind::Label, .caption = "Interactive demo",
     .rect = {1080, 120, 4095, 615}, .font = {"Times New Roman", 26.25, true}, .fg = 0x0000FF,
     .tabIndex = 2},
    {.name = "Label2", .kind = ControlKind::Label,
     .caption = "What you type in the box goes to display", .rect = {600, 960, 5175, 375},
     .font = {"Times New Roman", 15.75}, .fg = 0xC04000, .tabIndex = 3},
    {.name = "keyin", .kind = ControlKind::MultiText, .caption = "",
     .rect = {720, 1560, 4692, 2772}, .font = {"Comic Sans MS", 7.5}, .fg = 0x000000,
     .bg = 0xC0FFFF, .tabIndex = 0, .label = "Label2"},
    {.name = "clear", .kind = ControlKind::Button, .caption = "Clear",
     .rect = {5520, 3240, 975, 372}, .font = {"Times New Roman", 14.25}, .tabIndex = 4},
    {.name = "cancel", .kind = ControlKind::Button, .caption = "Exit",
     .rect = {5520, 3840, 975, 372}, .font = {"Times New Roman", 14.25}, .tabIndex = 1},
};
// clang-format on

// A control of the table above, found while compiling.
consteval ControlKey control(std::string_view name, int index = -1)
{
    return ControlKey::in(kControls, name, index);
}

} // namespace

DATASAVE* DATASAVE::showDemo(AppContext& ctx)
{
    return ctx.showOne<DATASAVE>([&ctx] { return new DATASAVE(ctx); });
}

DATASAVE::DATASAVE(AppContext& ctx) : m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_controls = buildForm(this, kDatasave, kControls);
    keyin()->installEventFilter(this);
    connect(m_controls.get<QPushButton>(control("clear")), &QPushButton::clicked, this,
            &DATASAVE::clear_Click);
    connect(m_controls.get<QPushButton>(control("cancel")), &QPushButton::clicked, this,
            &DATASAVE::cancel_Click);
    Form_Load();
}

QPlainTextEdit* DATASAVE::keyin() const
{
    return m_controls.get<QPlainTextEdit>(control("keyin"));
}

void DATASAVE::Form_Load()
{
    centreOnScreen(this);
    keyin()->setFocus();
}

bool DATASAVE::keyin_KeyPress(int KeyAscii)
{
    return sendTyped(m_ctx.port(), m_ctx.boxes(), char(KeyAscii));
}

void DATASAVE::clear_Click()
{
    // The box is emptied only when the display was, so it keeps showing what the display has.
    if (sendClear(m_ctx.port(), m_ctx.boxes(), m_ctx.session()))
        keyin()->clear();
}

void DATASAVE::cancel_Click()
{
    close();
}

void DATASAVE::Form_Unload()
{
    m_ctx.showMainWindow();
}

void DATASAVE::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

bool DATASAVE::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != keyin())
        return QWidget::eventFilter(watched, event);
    QByteArray typed;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        typed = typedBytes(key->key(), key->modifiers(), key->text());
    } else if (event->type() == QEvent::InputMethod) {
        // Composed characters (dead keys) arrive here rather than as key presses.
        typed = toDisplayBytes(static_cast<QInputMethodEvent*>(event)->commitString());
    }
    for (const char byte : typed) {
        // A refused character stays out of the box; the operator has been told why.
        if (!keyin_KeyPress(uchar(byte)))
            return true;
    }
    return false;
}

} // namespace vq
