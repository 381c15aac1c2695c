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
