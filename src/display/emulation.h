#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"

#include <array>
#include <QByteArray>
#include <string_view>

namespace vq {

struct DisplaySession;

// One entry of the emulation submenu, with all that goes with it: its menu control and
// caption, the mode byte the display takes, the sequence that clears the display once it runs
// that emulation, and the name vq3360ctl knows it by.
struct Emulation {
    std::string_view menu;
    std::string_view caption;
    char mode;
    std::string_view clear;
    std::string_view name;

    QByteArray clearBytes() const { return QByteArray(clear.data(), qsizetype(clear.size())); }
};

// In menu order; the mode bytes do not follow it.
inline constexpr std::array<Emulation, 8> kEmulations{{
    {"numZtk", "Z&TK", '7', "\x0c", "ZTK"},
    {"NUMDSP800", "&DSP800", '0', "\x04\x01\x43\x31\x58\x17", "DSP800"},
    {"NUMPOS", "ESC/&POS", '1', "\x0c", "ESC/POS"},
    {"NUMADM788", "A&DM788", '2', "\x0c", "ADM788"},
    {"NUMADM787", "AD&M787", '3', "\x0c", "ADM787"},
    {"NUMAEDEX", "AEDE&X", '4', "", "AEDEX"},
    {"NUMUTCP", "UTC/&P", '5', "\x1f", "UTC/P"},
    {"NUMUTCS", "UTC/&S", '6', "\x1f", "UTC/S"},
}};

// The row of a menu entry, found while compiling.
consteval const Emulation& emulationRow(std::string_view menu)
{
    for (const Emulation& e : kEmulations) {
        if (e.menu == menu)
            return e;
    }
    throw "no such emulation entry";
}

// Not built from EmulationPrefix: the reset code is a control byte of its own.
QByteArray resetCommand();

// Sends the row's command through the guarded send; ClearCmd changes only once it went out.
bool selectEmulation(CommPort& port, Boxes& boxes, DisplaySession& session, const Emulation& row);

bool resetDisplay(CommPort& port, Boxes& boxes);

} // namespace vq
