#include "display/formint.h"

#include "display/charset.h"
#include "shared/appcontext.h"
#include "shared/guardedsend.h"

#include <QPushButton>

namespace vq {

namespace {

constexpr FontDef kOptionFont{"Comic Sans MS", 13.5, true};
constexpr FontDef kButtonFont{"Times New Roman", 14.25};

// Column lefts and widths: each option stops short of the next column.
constexpr double kCol1 = 360, kCol2 = 2520, kCol3 = 5040;
constexpr double kWidth1 = 2055, kWidth2 = 2415, kWidth3 = 2700;
constexpr double kRow1 = 840, kRow2 = 1440, kRow3 = 2040, kRow4 = 2640, kRow5 = 3240, kRow6 = 3840;

constexpr FormDef kFormInt{.name = "FormInt",
                           .caption = "International Character Set",
                           .clientWidth = 7860,
                           .clientHeight = 5010};

// The grid does not follow the code order; both "Factory define" options are told apart by
// place only.
// clang-format off
constexpr ControlDef kControls[] = {
    {.name = "Label1", .kind = ControlKind::Label, .caption = "Select international character",
     .rect = {840, 120, 6135, 735}, .font = {"Times New Roman", 26.25}, .fg = 0x0000FF},
    {.name = kCharsets[0].option, .kind = ControlKind::Option, .caption = kCharsets[0].caption,
     .rect = {kCol1, kRow1, kWidth1, 375}, .font = kOptionFont, .tabIndex = 0, .spoken = kCharsets[0].name},
    {.name = kCharsets[1].option, .kind = ControlKind::Option, .caption = kCharsets[1].caption,
     .rect = {kCol1, kRow2, kWidth1, 375}, .font = kOptionFont, .tabIndex = 1, .spoken = kCharsets[1].name},
    {.name = kCharsets[2].option, .kind = ControlKind::Option, .caption = kCharsets[2].caption,
     .rect = {kCol1, kRow3, kWidth1, 375}, .font = kOptionFont, .tabIndex = 2, .spoken = kCharsets[2].name},
    {.name = kCharsets[3].option, .kind = ControlKind::Option, .caption = kCharsets[3].caption,
     .rect = {kCol1, kRow4, kWidth1, 375}, .font = kOptionFont, .tabIndex = 3, .spoken = kCharsets[3].name},
    {.name = kCharsets[4].option, .kind = ControlKind::Option, .caption = kCharsets[4].caption,
     .rect = {kCol2, kRow1, kWidth2, 480}, .font = kOptionFont, .tabIndex = 4, .spoken = kCharsets[4].name},
    {.name = kCharsets[5].option, .kind = ControlKind::Option, .caption = kCharsets[5].caption,
     .rect = {kCol2, kRow3, kWidth2, 375}, .font = kOptionFont, .tabIndex = 5, .spoken = kCharsets[5].name},
    {.name = kCharsets[6].option, .kind = ControlKind::Option, .caption = kCharsets[6].caption,
     .rect = {kCol1, kRow5, kWidth1, 375}, .font = kOptionFont, .tabIndex = 6, .spoken = kCharsets[6].name},
    {.name = kCharsets[7].option, .kind = ControlKind::Option, .caption = kCharsets[7].caption,
     .rect = {kCol1, kRow6, kWidth1, 375}, .font = kOptionFont, .tabIndex = 7, .spoken = kCharsets[7].name},
    {.name = kCharsets[8].option, .kind = ControlKind::Option, .caption = kCharsets[8].caption,
     .rect = {kCol2, kRow4, kWidth2, 375}, .font = kOptionFont, .tabIndex = 8, .spoken = kCharsets[8].name},
    {.name = kCharsets[9].option, .kind = ControlKind::Option, .caption = kCharsets[9].caption,
     .rect = {kCol3, kRow2, kWidth3, 375}, .font = kOptionFont, .tabIndex = 9, .spoken = kCharsets[9].name},
    {.name = kCharsets[10].option, .kind = ControlKind::Option, .caption = kCharsets[10].caption,
     .rect = {kCol2, kRow2, kWidth2, 375}, .font = kOptionFont, .tabIndex = 10, .spoken = kCharsets[10].name},
    {.name = kCharsets[11].option, .kind = ControlKind::Option, .caption = kCharsets[11].caption,
     .rect = {kCol3, kRow1, kWidth3, 375}, .font = kOptionFont, .tabIndex = 11, .spoken = kCharsets[11].name},
    {.name = kCharsets[12].option, .kind = ControlKind::Option, .caption = kCharsets[12].caption,
     .rect = {kCol3, kRow3, kWidth3, 375}, .font = kOptionFont, .tabIndex = 12, .spoken = kCharsets[12].name},
    {.name = kCharsets[13].option, .kind = ControlKind::Option, .caption = kCharsets[13].caption,
     .rect = {kCol3, kRow5, kWidth3, 375}, .font = kOptionFont, .tabIndex = 13, .spoken = kCharsets[13].name},
    {.name = kCharsets[14].option, .kind = ControlKind::Option, .caption = kCharsets[14].caption,
     .rect = {kCol3, kRow4, kWidth3, 375}, .font = kOptionFont, .tabIndex = 16, .spoken = kCharsets[14].name},
    {.name = kCharsets[15].option, .kind = ControlKind::Option, .caption = kCharsets[15].caption,
     .rect = {kCol2, kRow5, kWidth2, 720}, .font = kOptionFont, .flags = Wrapped,
     .tabIndex = 17, .spoken = kCharsets[15].name},
    {.name = "CmdOk", .kind = ControlKind::Button, .caption = "OK",
     .rect = {2280, 4440, 1095, 372}, .font = kButtonFont, .tabIndex = 14},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "Cancel",
     .rect = {3960, 4440, 1095, 372}, .font = kButtonFont, .tabIndex = 15},
};
// clang-format on

// A control of the table above, found while compiling.
consteval ControlKey control(std::string_view name, int index = -1)
{
    return ControlKey::in(kControls, name, index);
}

} // namespace

FormInt::FormInt(AppContext& ctx) : QWidget(nullptr, Qt::Dialog), m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_controls = buildForm(this, kFormInt, kControls);
    connect(m_controls.get<QPushButton>(control("CmdOk")), &QPushButton::clicked, this,
            &FormInt::CmdOk_Click);
    connect(m_controls.get<QPushButton>(control("Command2")), &QPushButton::clicked, this,
            &FormInt::Command2_Click);
}

FormInt* FormInt::showDialog(AppContext& ctx)
{
    return ctx.showOne<FormInt>([&ctx] {
        auto* dialog = new FormInt(ctx);
        dialog->Form_Load();
        return dialog;
    });
}

std::optional<int> FormInt::selectedOption() const
{
    const auto row = checkedRow(m_controls.options());
    return row ? std::optional<int>(*row + 1) : std::nullopt;
}

void FormInt::Form_Load()
{
    centreOnScreen(this);
    m_controls.widget(control("Option1"))->setFocus();
}

// Tests the port like the menu entries do: a port closed meanwhile, or no main window at all,
// gets the usual refusal and the dialog keeps its selection.
void FormInt::CmdOk_Click()
{
    const int option = charsetOkOption(selectedOption());
    checkRow(m_controls.options(), option - 1);
    if (guardedSend(m_ctx.port(), m_ctx.boxes(), charsetCommand(option)))
        close();
}

void FormInt::Command2_Click()
{
    AppContext& ctx = m_ctx;
    close();
    ctx.showMainWindow();
}

} // namespace vq
