#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"

#include <QByteArray>
#include <QString>

namespace vq {

// The display's two demonstration lines.
enum class DemoRow { Upper, Lower };

inline const QString kPortNotOpenShort = QStringLiteral("Port not open...");
inline const QString kDemoInputTitle = QStringLiteral("input character");

// The text is placed as typed: no length byte, no fill, nothing escaped.
QByteArray storeCommand(DemoRow row, const QString& text);
QByteArray showCommand();
QByteArray clearCommand(DemoRow row);

QString storePrompt(DemoRow row);

// The persistent-demo menu entries over a port and the boxes.
void storeDemoMessage(CommPort& port, Boxes& boxes, DemoRow row);
void showDemoMessages(CommPort& port, Boxes& boxes);
void clearDemoMessage(CommPort& port, Boxes& boxes, DemoRow row);

} // namespace vq
