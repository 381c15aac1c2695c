#pragma once

#include "shared/boxes.h"
#include "ui/controltable.h"

#include <array>
#include <optional>
#include <QString>
#include <span>

namespace vq {

// The five controls of the window `msg`, in the order of its control table.
enum class MsgControl { Command1, Command2, Command3, Label1, Text1 };
inline constexpr int kMsgControlCount = 5;

// The box's controls, in the order of MsgControl.
// clang-format off
inline constexpr ControlDef kMsgControls[] = {
    {.name = "Command1", .kind = ControlKind::Button, .caption = "Ok",
     .rect = {480, 1080, 855, 375}, .tabIndex = 0},
    {.name = "Command2", .kind = ControlKind::Button, .caption = "Cancel",
     .rect = {1680, 1080, 855, 375}, .flags = CancelButton, .tabIndex = 1},
    {.name = "Command3", .kind = ControlKind::Button, .caption = "NO",
     .rect = {2880, 1080, 855, 375}, .tabIndex = 2},
    {.name = "Label1", .kind = ControlKind::Label, .caption = "",
     .rect = {240, 120, 3735, 1215}, .font = {"Arial Narrow", 9.75}, .bg = SysActiveBorder,
     .flags = Centred | Wrapped, .tabIndex = 3},
    {.name = "Text1", .kind = ControlKind::Text, .caption = "Text1",
     .rect = {120, 1200, 4095, 375}, .font = {"Arial Narrow", 9.75, true}, .tabIndex = 4},
};
// clang-format on

enum class LabelAlign { Centre, Left };

struct MsgControlState {
    TwipsRect rect; // each value held at single precision, as the window stores it
    QString caption;
    bool visible = true;
    bool enabled = true;
    int tabIndex = 0;
};

// What the window `msg` looks like when it is shown; the window only applies it.
struct MsgLayout {
    QString title;
    // Outer extent in twips; empty keeps the design client extent.
    std::optional<double> outerWidth;
    std::optional<double> outerHeight;
    LabelAlign labelAlign = LabelAlign::Centre;
    std::array<MsgControlState, kMsgControlCount> controls{};

    MsgControlState& operator[](MsgControl c) { return controls[size_t(c)]; }
    const MsgControlState& operator[](MsgControl c) const { return controls[size_t(c)]; }
};

// The design table of `msg`, the state in which every call creates it.
const FormDef& msgFormDef();
std::span<const ControlDef> msgControlTable();
MsgLayout msgDesignLayout();

// The message box: length bands, then the row of the type-code table.
MsgLayout messageBoxLayout(const QString& text, int typeCode, const QString& title);

// A message of one line that is wider than its centred label but fits the window is not
// wrapped: the label widens about its centre, within the client width. Widths in twips.
void keepOnOneLine(MsgLayout& layout, double textWidth, double clientWidth);

// The input box: prompt on the left, buttons stacked on the right, text field along the bottom.
MsgLayout inputBoxLayout(const QString& prompt, const QString& title, const QString& defaultText);

// The code a button sets, decided by its caption compared exactly; empty leaves it unchanged.
std::optional<qint16> resultForButton(MsgControl button, const QString& caption);

} // namespace vq
