#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"
#include "shared/failuretext.h"

#include <QByteArray>
#include <QString>

namespace vq {

inline const QString kMessageTitle = QStringLiteral("message");

// Tells the operator, in a box, why a write failed.
void reportWriteFailure(Boxes& boxes, const CommError& error);

// The menu entries' refusal: true when the port is open, otherwise refuses with refusalText.
bool portOpenOrRefuse(CommPort& port, Boxes& boxes, const QString& refusalText = kPortNotOpen);

// One whole write; a failure is reported, not thrown. Returns true when it went out.
bool sendReported(CommPort& port, Boxes& boxes, const QByteArray& command);

// The menu entries' send: refuses with refusalText while the port is closed, writes the whole
// command in one write otherwise. Returns true when the write went out.
bool guardedSend(CommPort& port, Boxes& boxes, const QByteArray& command,
                 const QString& refusalText = kPortNotOpen);

} // namespace vq
