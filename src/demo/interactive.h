#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"

#include <functional>
#include <QByteArray>
#include <QString>

namespace vq {

struct DisplaySession;

inline const QString kOpenPortQuestion =
    QStringLiteral("Port not open...\rNow, Want To Open the Port?");

// The interactive demo's start: offers to open a closed port through the main window's open
// press, which records a failure in lastOpenError and gives its error number. True when the
// demo window is to be shown: not when this start's open found no port for the number.
bool startInteractiveDemo(CommPort& port, Boxes& boxes, QString& lastOpenError,
                          const std::function<int()>& pressOpen);

// The bytes one key press types, as the key, its modifiers and its text give them; empty for a
// key that types no character (arrows, Delete, function keys, Tab, modifiers alone).
QByteArray typedBytes(int key, Qt::KeyboardModifiers modifiers, const QString& text);

// One typed byte, or Clear's ClearCmd and CR, in one write. Refused while the port is closed;
// true when it went out.
bool sendTyped(CommPort& port, Boxes& boxes, char byte);
bool sendClear(CommPort& port, Boxes& boxes, const DisplaySession& session);

} // namespace vq
