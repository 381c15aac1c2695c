#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"
#include "shared/module1.h"

#include <array>
#include <QByteArray>
#include <string_view>

namespace vq {

// One entry of the emulation submenu: the mode byte the display takes and the sequence that
// clears the display once it runs that emulation.
struct Emulation {
    std::string_view menu;
    char mode;
    std::string_view clear;
};

// In menu order; the mode bytes do not follow it.
inline constexpr std::array<Emulation, 8> kEmulations{{
    {"numZtk", '7', "\x0c"},
    {"NUMDSP800", '0', "\x04\x01\x43\x31\x58\x17"},
    {"NUMPOS", '1', "\x0c"},
    {"NUMADM788", '2', "\x0c"},
    {"NUMADM787", '3', "\x0c"},
    {"NUMAEDEX", '4', ""},
    {"NUMUTCP", '5', "\x1f"},
    {"NUMUTCS", '6', "\x1f"},
}};

// The clear sequence from start-up until an emulation is chosen.
inline const QByteArray kStartupClear("\x0c", 1);

// The row of a menu entry, found while compiling.
consteval std::size_t emulationRow(std::string_view menu)
{
    for (std::size_t i = 0; i < kEmulations.size(); ++i) {
        if (kEmulations[i].menu == menu)
            return i;
    }
    throw "no such emulation entry";
}

// Not built from EmulationPrefix: the reset code is a control byte of its own.
QByteArray resetCommand();

// Sends the row's command through the guarded send; ClearCmd changes only once it went out.
bool selectEmulation(CommPort& port, Boxes& boxes, Module1& state, const Emulation& row);

bool resetDisplay(CommPort& port, Boxes& boxes);

} // namespace vq
