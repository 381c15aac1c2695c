#include "app/formset.h"

#include "app/mainops.h"
#include "shared/linechoices.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace vq {

namespace {

constexpr FormDef kFormSet{
    .name = "FormSet", .caption = "PC Communications ", .clientWidth = 5430, .clientHeight = 4500};

// clang-format off
constexpr ControlDef kControls[] = {
    {.name = "Label4", .kind = ControlKind::Label, .caption = "Com Port",
     .rect = {1095, 120, 1215, 375}, .fg = kRed},
    {.name = "Combo1", .kind = ControlKind::Combo, .caption = "Com1",
     .rect = {2408, 120, 1935, 405}, .tabIndex = 0, .label = "Label4"},
    {.name = "Frame1", .kind = ControlKind::Frame, .caption = "&Baud Rate",
     .rect = {360, 720, 4575, 1455}, .fg = kRed},
    {.name = "Option1", .kind = ControlKind::Option, .caption = kLineRates[0].text,
     .rect = {360, 480, 900, 375}, .parent = "Frame1", .tabIndex = 1},
    {.name = "Option2", .kind = ControlKind::Option, .caption = kLineRates[1].text,
     .rect = {1320, 480, 900, 375}, .parent = "Frame1", .tabIndex = 2},
    {.name = "Option3", .kind = ControlKind::Option, .caption = kLineRates[2].text,
     .rect = {2280, 480, 900, 375}, .parent = "Frame1", .tabIndex = 3},
    {.name = "Option4", .kind = ControlKind::Option, .caption = kLineRates[3].text,
     .rect = {3240, 480, 900, 375}, .parent = "Frame1", .tabIndex = 4},
    {.name = "Option5", .kind = ControlKind::Option, .caption = kLineRates[4].text,
     .rect = {360, 960, 900, 375}, .parent = "Frame1", .tabIndex = 5},
    {.name = "Option6", .kind = ControlKind::Option, .caption = kLineRates[5].text,
     .rect = {1320, 960, 900, 375}, .parent = "Frame1", .tabIndex = 6},
    {.name = "Option7", .kind = ControlKind::Option, .caption = kLineRates[6].text,
     .rect = {2280, 960, 900, 375}, .parent = "Frame1", .tabIndex = 7},
    {.name = "Option14", .kind = ControlKind::Option, .caption = kLineRates[7].text,
     .rect = {3240, 960, 900, 375}, .parent = "Frame1", .tabIndex = 8},
    {.name = "Frame2", .kind = ControlKind::Frame, .caption = "&Parity",
     .rect = {360, 2280, 4575, 1335}, .fg = kRed},
    {.name = "Option8", .kind = ControlKind::Option, .caption = kLineFramings[0].caption,
     .rect = {240, 480, 1335, 360}, .parent = "Frame2", .tabIndex = 9},
    {.name = "Option9", .kind = ControlKind::Option, .caption = kLineFramings[1].caption,
     .rect = {240, 840, 1335, 360}, .parent = "Frame2", .tabIndex = 10},
    {.name = "Option10", .kind = ControlKind::Option, .caption = kLineFramings[2].caption,
     .rect = {1800, 480, 1335, 360}, .parent = "Frame2", .tabIndex = 11},
    {.name = "Option11", .kind = ControlKind::Option, .caption = kLineFramings[3].caption,
     .rect = {1800, 840, 1335, 360}, .parent = "Frame2", .tabIndex = 12},
    {.name = "Option12", .kind = ControlKind::Option, .caption = kLineFramings[4].caption,
     .rect = {3240, 480, 1215, 360}, .parent = "Frame2", .tabIndex = 13},
    {.name = "Option13", .kind = ControlKind::Option, .caption = kLineFramings[5].caption,
     .rect = {3240, 840, 1215, 360}, .parent = "Frame2", .tabIndex = 14},
    {.name = "CmdOk", .kind = ControlKind::Button, .caption = "Set OK",
     .rect = {720, 3960, 1575, 375}, .flags = DefaultButton, .tabIndex = 15},
    {.name = "CmdCancel", .kind = ControlKind::Button, .caption = "Exit",
     .rect = {3000, 3960, 1575, 375}, .flags = CancelButton, .tabIndex = 16},
    {.name = "com1", .kind = ControlKind::HiddenText, .rect = {120, 3960, 495, 285}},
    {.name = "baud1", .kind = ControlKind::HiddenText, .rect = {4680, 3960, 615, 285}},
};
// clang-format on

// A control of the table above, found while compiling.
consteval ControlKey control(std::string_view name, int index = -1)
{
    return ControlKey::in(kControls, name, index);
}

} // namespace

FormSet::FormSet(Module1& state, CommPort& port, Boxes& boxes, QWidget* parent)
    : QDialog(parent), m_state(state), m_port(port), m_boxes(boxes)
{
    m_controls = buildForm(this, kFormSet, kControls);
    auto* combo = m_controls.get<QComboBox>(control("Combo1"));
    for (int n = 1; n <= kComPortCount; ++n)
        combo->addItem(QStringLiteral("Com%1").arg(n));
    trackListPicks();
    combo->setEditText(QStringLiteral("Com1"));

    connect(m_controls.get<QPushButton>(control("CmdOk")), &QPushButton::clicked, this,
            &FormSet::CmdOk_Click);
    connect(m_controls.get<QPushButton>(control("CmdCancel")), &QPushButton::clicked, this,
            &FormSet::CmdCancel_Click);
    Form_Load();
}

// The classic list forgets its selection once the operator types into it, even text that names
// an item; only a pick from the list (popup or arrow keys) selects again.
void FormSet::trackListPicks()
{
    auto* combo = m_controls.get<QComboBox>(control("Combo1"));
    combo->setInsertPolicy(QComboBox::NoInsert);
    auto* edit = new QLineEdit(combo);
    // Qt selects an item matching the typed text when editing ends; these two connections
    // bracket its own, so that selection is not taken for a pick.
    connect(edit, &QLineEdit::editingFinished, this, [this] { m_editFinishing = true; });
    combo->setLineEdit(edit);
    edit->setAccessibleName(combo->accessibleName()); // named by its label, as the box is
    connect(edit, &QLineEdit::editingFinished, this, [this] { m_editFinishing = false; });
    combo->setCompleter(nullptr);
    connect(edit, &QLineEdit::textEdited, this, [this] { m_listIndex = -1; });
    connect(combo, &QComboBox::activated, this, [this](int index) {
        if (!m_editFinishing)
            m_listIndex = index;
    });
}

PcChoices FormSet::choices() const
{
    return {{checkedRow(m_controls.options(control("Frame1"))),
             checkedRow(m_controls.options(control("Frame2")))},
            m_listIndex};
}

void FormSet::showHidden(const HiddenFields& fields)
{
    m_controls.get<QLineEdit>(control("com1"))->setText(fields.com1);
    m_controls.get<QLineEdit>(control("baud1"))->setText(fields.baud1);
}

void FormSet::Form_Load()
{
    centreOnScreen(this);
    showHidden(hiddenFields(m_state));
    const PcChoices loaded = loadPcSettings(m_state);
    checkRow(m_controls.options(control("Frame1")), loaded.line.baud);
    checkRow(m_controls.options(control("Frame2")), loaded.line.frame);
    m_controls.get<QComboBox>(control("Combo1"))->setCurrentIndex(loaded.listIndex);
    m_listIndex = loaded.listIndex;
}

void FormSet::CmdOk_Click()
{
    if (const auto failure = applyPcSettings(choices(), m_state, m_port)) {
        m_boxes.standardOk(*failure, kAppTitle);
        return;
    }
    showHidden(hiddenFields(m_state));
}

void FormSet::CmdCancel_Click()
{
    reject();
}

} // namespace vq
