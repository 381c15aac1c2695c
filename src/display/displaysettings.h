#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"
#include "shared/linechoices.h"

#include <QByteArray>
#include <QList>

namespace vq {

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
