#pragma once

#include <array>
#include <optional>
#include <QString>

namespace vq {

// One line speed as both sides are offered it, and the parameter the display's own baud command
// takes for it: the display counts down to "0" at 9600, then 19200 is "7" and 38400 "6".
struct LineRate {
    const char* text; // the caption and the settings string's baud field
    char displayParam;
};
// One framing: as the settings string writes it, as the dialogs caption it, and the parameter
// of the display's framing command.
struct LineFraming {
    const char* text;
    const char* caption;
    char displayParam;
};

// In the order the choices are tested: the PC settings dialog and the display settings dialog
// show the same rows in the same order.
inline constexpr std::array<LineRate, 8> kLineRates{{
    {"300", '5'},
    {"600", '4'},
    {"1200", '3'},
    {"2400", '2'},
    {"4800", '1'},
    {"9600", '0'},
    {"19200", '7'},
    {"38400", '6'},
}};
inline constexpr std::array<LineFraming, 6> kLineFramings{{
    {"N,8,1", " N_8_1", '1'},
    {"N,7,1", " N_7_1", '2'},
    {"E,8,1", " E_8_1", '3'},
    {"E,7,1", " E_7_1", '4'},
    {"O,8,1", " O_8_1", '5'},
    {"O,7,1", " O_7_1", '6'},
}};

// A rate row and a framing row, each possibly none.
struct LineChoices {
    std::optional<int> baud;
    std::optional<int> frame;
    bool operator==(const LineChoices&) const = default;
};

// First exact baud match; a framing text matches in its upper-case or lower-case spelling only.
LineChoices preselectLine(const QString& baudText, const QString& frameText);

// The settings string of a rate and a framing, such as 9600,n,8,1 of "9600" and "n,8,1".
QString settingsText(const QString& baudText, const QString& frameText);
// The same of a rate and a framing row, such as 19200,N,8,1.
QString settingsText(const LineChoices& rows);

} // namespace vq
