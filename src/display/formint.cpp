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
    {.name = "Option1", .kind = ControlKind::Option, .caption = "U.S.A",
     .rect = {kCol1, kRow1, kWidth1, 375}, .font = kOptionFont, .tabIndex = 0},
    {.name = "Option2", .kind = ControlKind::Option, .caption = "FRANCE",
     .rect = {kCol1, kRow2, kWidth1, 375}, .font = kOptionFont, .tabIndex = 1},
    {.name = "Option3", .kind = ControlKind::Option, .caption = "GERMANY",
     .rect = {kCol1, kRow3, kWidth1, 375}, .font = kOptionFont, .tabIndex = 2},
    {.name = "Option4", .kind = ControlKind::Option, .caption = "U.K",
     .rect = {kCol1, kRow4, kWidth1, 375}, .font = kOptionFont, .tabIndex = 3},
    {.name = "Option5", .kind = ControlKind::Option, .caption = "DENMARK I",
     .rect = {kCol2, kRow1, kWidth2, 480}, .font = kOptionFont, .tabIndex = 4},
    {.name = "Option6", .kind = ControlKind::Option, .caption = "SWEDEN",
     .rect = {kCol2, kRow3, kWidth2, 375}, .font = kOptionFont, .tabIndex = 5},
    {.name = "Option7", .kind = ControlKind::Option, .caption = "ITALY",
     .rect = {kCol1, kRow5, kWidth1, 375}, .font = kOptionFont, .tabIndex = 6},
    {.name = "Option8", .kind = ControlKind::Option, .caption = "SPAIN",
     .rect = {kCol1, kRow6, kWidth1, 375}, .font = kOptionFont, .tabIndex = 7},
    {.name = "Option9", .kind = ControlKind::Option, .caption = "JAPAN",
     .rect = {kCol2, kRow4, kWidth2, 375}, .font = kOptionFont, .tabIndex = 8},
    {.name = "Option10", .kind = ControlKind::Option, .caption = "NORWAY",
     .rect = {kCol3, kRow2, kWidth3, 375}, .font = kOptionFont, .tabIndex = 9},
    {.name = "Option11", .kind = ControlKind::Option, .caption = "DENMARK II",
     .rect = {kCol2, kRow2, kWidth2, 375}, .font = kOptionFont, .tabIndex = 10},
    {.name = "Option12", .kind = ControlKind::Option, .caption = "SLAVONIC",
     .rect = {kCol3, kRow1, kWidth3, 375}, .font = kOptionFont, .tabIndex = 11},
    {.name = "Option13", .kind = ControlKind::Option, .caption = "RUSSIA",
     .rect = {kCol3, kRow3, kWidth3, 375}, .font = kOptionFont, .tabIndex = 12},
    {.name = "Option14", .kind = ControlKind::Option, .caption = "Factory define",
     .rect = {kCol3, kRow5, kWidth3, 375}, .font = kOptionFont, .tabIndex = 13},
    {.name = "Option15", .kind = ControlKind::Option, .caption = "Factory define",
     .rect = {kCol3, kRow4, kWidth3, 375}, .font = kOptionFont, .tabIndex = 16},
    {.name = "Option16", .kind = ControlKind::Option, .caption = "User define pattern",
     .rect = {kCol2, kRow5, kWidth2, 720}, .font = kOptionFont, .flags = Wrapped,
     .tabIndex = 17},
    {.name = "CmdOk", .kind = ControlKind::Button, .caption = "OK",
     .rect = {2280, 4440, 1095, 372}, .font = kButtonFont, .tabIndex = 14},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "Cancel",
     .rect = {3960, 4440, 1095, 372}, .font = kButtonFont, .tabIndex = 15},
};
// clang-format on

} // namespace

FormInt::FormInt(AppContext& ctx) : QWidget(nullptr, Qt::Dialog), m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_controls = buildForm(this, kFormInt, kControls);
    connect(m_controls.get<QPushButton>("CmdOk"), &QPushButton::clicked, this,
            &FormInt::CmdOk_Click);
    connect(m_controls.get<QPushButton>("Command2"), &QPushButton::clicked, this,
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
    m_controls.widget("Option1")->setFocus();
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
