#pragma once

#include <array>
#include <optional>
#include <QByteArray>

namespace vq {

// One character set: its option in the dialog, the caption it shows, the code it selects and
// the name vq3360ctl (and a screen reader) knows it by. The two "Factory define" options share
// their caption and are told apart by place in the dialog and by code in their names.
struct Charset {
    const char* option;
    const char* caption;
    char code;
    const char* name;
};

// Option n (1 to 16) selects code 0x30 + n - 1.
inline constexpr std::array<Charset, 16> kCharsets{{
    {"Option1", "U.S.A", '0', "U.S.A"},
    {"Option2", "FRANCE", '1', "FRANCE"},
    {"Option3", "GERMANY", '2', "GERMANY"},
    {"Option4", "U.K", '3', "U.K"},
    {"Option5", "DENMARK I", '4', "DENMARK I"},
    {"Option6", "SWEDEN", '5', "SWEDEN"},
    {"Option7", "ITALY", '6', "ITALY"},
    {"Option8", "SPAIN", '7', "SPAIN"},
    {"Option9", "JAPAN", '8', "JAPAN"},
    {"Option10", "NORWAY", '9', "NORWAY"},
    {"Option11", "DENMARK II", ':', "DENMARK II"},
    {"Option12", "SLAVONIC", ';', "SLAVONIC"},
    {"Option13", "RUSSIA", '<', "RUSSIA"},
    {"Option14", "Factory define", '=', "Factory define 3D"},
    {"Option15", "Factory define", '>', "Factory define 3E"},
    {"Option16", "User define pattern", '?', "User define pattern"},
}};

inline constexpr int kCharsetCount = int(kCharsets.size());
// "User define pattern": what OK sends when no other set is chosen.
inline constexpr int kUserPatternOption = 16;

// The command of option 1 to 16.
QByteArray charsetCommand(int option);

// The option OK sends for the current selection of the group.
int charsetOkOption(std::optional<int> selected);

} // namespace vq
