#pragma once

#include "serial/commerror.h"

#include <QString>

namespace vq {

// The parts of the words for a port failure that the windows and vq3360ctl both say.

// What the system calls an error number.
QString systemErrorText(int error);
// Why a device refused settings, where it can be told: "this system has no 1.5 stop bits";
// empty where nothing but a system error says it.
QString refusalReason(const PortFailure& failure);
// The bytes a wait threw away.
QString notSentText(qint64 bytes);

} // namespace vq
