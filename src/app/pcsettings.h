#pragma once

#include "app/module1.h"
#include "serial/commport.h"

#include <array>
#include <optional>
#include <QString>

namespace vq {

// The PC side's baud texts and framing texts, in the order the choices are tested. The display
// settings dialog offers the same rows in the same order.
inline constexpr std::array<const char*, 8> kBaudTexts{"300",  "600",  "1200",  "2400",
                                                       "4800", "9600", "19200", "38400"};
inline constexpr std::array<const char*, 6> kFrameTexts{"N,8,1", "N,7,1", "E,8,1",
                                                        "E,7,1", "O,8,1", "O,7,1"};
inline constexpr int kComPortCount = 6;

// A baud row and a framing row, each possibly none.
struct LineChoices {
    std::optional<int> baud;
    std::optional<int> frame;
    bool operator==(const LineChoices&) const = default;
};

// First exact baud match; a framing text matches in its upper-case or lower-case spelling only.
LineChoices preselectLine(const QString& baudText, const QString& frameText);

// What the PC settings dialog holds: the two groups and the list item (-1: none selected).
struct PcChoices {
    LineChoices line;
    int listIndex = -1;
    bool operator==(const PcChoices&) const = default;
};

PcChoices loadPcSettings(const Module1& state);

struct HiddenFields {
    QString com1;
    QString baud1;
    bool operator==(const HiddenFields&) const = default;
};

HiddenFields hiddenFields(const Module1& state);

// "Set OK": rebuilds the variables and hands them to the port. Returns the port's description
// when it refused; the steps done before keep their effect.
std::optional<QString> applyPcSettings(const PcChoices& choices, Module1& state, CommPort& port);

} // namespace vq
