#include "display/formbaud.h"

#include "display/displaysettings.h"
#include "shared/appcontext.h"

#include <QPushButton>

namespace vq {

namespace {

constexpr FontDef kFrameFont{"Times New Roman", 12, true};
constexpr FontDef kFramingFont{"MS Sans Serif", 12, true};

constexpr FormDef kFormBaud{.name = "FormBaud",
                            .caption = "Display Settings ",
                            .clientWidth = 6645,
                            .clientHeight = 3645,
                            .font = {"MS Sans Serif", 8.25, true}};

// clang-format off
constexpr ControlDef kControls[] = {
    {.name = "Frame1", .kind = ControlKind::Frame, .caption = "&Baud Rate",
     .rect = {240, 240, 4575, 1455}, .font = kFrameFont, .fg = 0x0000C0},
    {.name = "Option1", .kind = ControlKind::Option, .caption = kLineRates[0].text,
     .rect = {480, 600, 1215, 495}, .parent = "Frame1", .bg = 0xFFFFFF, .tabIndex = 0},
    {.name = "Option2", .kind = ControlKind::Option, .caption = kLineRates[1].text,
     .rect = {1440, 600, 1215, 495}, .parent = "Frame1", .tabIndex = 1},
    {.name = "Option3", .kind = ControlKind::Option, .caption = kLineRates[2].text,
     .rect = {2400, 600, 1215, 495}, .parent = "Frame1", .tabIndex = 2},
    {.name = "Option4", .kind = ControlKind::Option, .caption = kLineRates[3].text,
     .rect = {3480, 600, 855, 495}, .parent = "Frame1", .tabIndex = 3},
    {.name = "Option5", .kind = ControlKind::Option, .caption = kLineRates[4].text,
     .rect = {480, 1080, 1215, 495}, .parent = "Frame1", .tabIndex = 4},
    {.name = "Option6", .kind = ControlKind::Option, .caption = kLineRates[5].text,
     .rect = {1440, 1080, 1215, 495}, .parent = "Frame1", .tabIndex = 5},
    {.name = "Option7", .kind = ControlKind::Option, .caption = kLineRates[6].text,
     .rect = {2400, 1080, 975, 495}, .parent = "Frame1", .tabIndex = 6},
    {.name = "Option8", .kind = ControlKind::Option, .caption = kLineRates[7].text,
     .rect = {3480, 1080, 975, 495}, .parent = "Frame1", .tabIndex = 7},
    {.name = "Frame2", .kind = ControlKind::Frame, .caption = "&Parity",
     .rect = {240, 2040, 4575, 1455}, .font = kFrameFont, .fg = 0xFF0000},
    {.name = "Option9", .kind = ControlKind::Option, .caption = kLineFramings[0].caption,
     .rect = {240, 360, 1215, 375}, .parent = "Frame2", .font = kFramingFont, .tabIndex = 8},
    {.name = "Option10", .kind = ControlKind::Option, .caption = kLineFramings[1].caption,
     .rect = {240, 840, 1215, 375}, .parent = "Frame2", .font = kFramingFont, .tabIndex = 9},
    {.name = "Option11", .kind = ControlKind::Option, .caption = kLineFramings[2].caption,
     .rect = {1680, 360, 1215, 375}, .parent = "Frame2", .font = kFramingFont, .bg = 0xFFFFFF,
     .tabIndex = 10},
    {.name = "Option12", .kind = ControlKind::Option, .caption = kLineFramings[3].caption,
     .rect = {1680, 720, 1455, 615}, .parent = "Frame2", .font = kFramingFont, .tabIndex = 11},
    {.name = "Option13", .kind = ControlKind::Option, .caption = kLineFramings[4].caption,
     .rect = {3120, 360, 1215, 375}, .parent = "Frame2", .font = kFramingFont, .tabIndex = 12},
    {.name = "Option14", .kind = ControlKind::Option, .caption = kLineFramings[5].caption,
     .rect = {3120, 720, 1215, 615}, .parent = "Frame2", .font = kFramingFont, .tabIndex = 13},
    {.name = "CmdOk", .kind = ControlKind::Button, .caption = "OK",
     .rect = {5160, 360, 1215, 495}, .font = kFrameFont, .flags = DefaultButton, .tabIndex = 14},
    {.name = "CmdCancel", .kind = ControlKind::Button, .caption = "Cancel",
     .rect = {5160, 1080, 1215, 495}, .font = kFrameFont, .flags = CancelButton, .tabIndex = 15},
};
// clang-format on

// A control of the table above, found while compiling.
consteval ControlKey control(std::string_view name, int index = -1)
{
    return ControlKey::in(kControls, name, index);
}

} // namespace

FormBaud::FormBaud(AppContext& ctx) : m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_controls = buildForm(this, kFormBaud, kControls);
    connect(m_controls.get<QPushButton>(control("CmdOk")), &QPushButton::clicked, this,
            &FormBaud::CmdOk_Click);
    connect(m_controls.get<QPushButton>(control("CmdCancel")), &QPushButton::clicked, this,
            &FormBaud::CmdCancel_Click);
}

FormBaud* FormBaud::showDialog(AppContext& ctx)
{
    return ctx.showOne<FormBaud>([&ctx] {
        auto* dialog = new FormBaud(ctx);
        dialog->Form_Load();
        return dialog;
    });
}

LineChoices FormBaud::choices() const
{
    return {checkedRow(m_controls.options(control("Frame1"))),
            checkedRow(m_controls.options(control("Frame2")))};
}

void FormBaud::Form_Load()
{
    centreOnScreen(this);
    const LineChoices pre = preselectLine(m_ctx.state().BaudText, m_ctx.state().FrameText);
    checkRow(m_controls.options(control("Frame1")), pre.baud);
    checkRow(m_controls.options(control("Frame2")), pre.frame);
}

// Reaches the port through the context, so with the main window gone the writes fail as closed.
void FormBaud::CmdOk_Click()
{
    if (applyDisplaySettings(m_ctx.port(), m_ctx.boxes(), choices()))
        close();
}

void FormBaud::CmdCancel_Click()
{
    close();
}

} // namespace vq
