#pragma once

#include "app/mainops.h"
#include "serial/commport.h"
#include "shared/linechoices.h"
#include "shared/module1.h"

#include <optional>
#include <QString>

namespace vq {

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
