#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"
#include "shared/linechoices.h"

#include <QByteArray>
#include <QList>
#include <string_view>

namespace vq {

// Parameter bytes of the display's own line settings, row for row with kBaudTexts and
// kFrameTexts. The display counts its rates down to "0" at 9600, then 19200 is "7" and 38400 "6".
inline constexpr std::string_view kDisplayBaudParams = "54321076";
inline constexpr std::string_view kDisplayFrameParams = "123456";
static_assert(kDisplayBaudParams.size() == kBaudTexts.size());
static_assert(kDisplayFrameParams.size() == kFrameTexts.size());

inline const QString kComPortNotOpen = QStringLiteral("ComPort Not Open errno:");

QByteArray displayBaudCommand(int row);
QByteArray displayFrameCommand(int row);

// Baud rate first, framing second; a group without a choice sends nothing.
QList<QByteArray> displaySettingsCommands(const LineChoices& choices);

// Writes the commands in turn; the first failure stops the rest and is reported. True when
// every command went out.
bool applyDisplaySettings(CommPort& port, Boxes& boxes, const LineChoices& choices);

// Only a gone device and a closed port are worth a message to the operator here.
void reportDisplayFailure(Boxes& boxes, const CommError& error);

} // namespace vq
