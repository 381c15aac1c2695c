#pragma once

#include "serial/commerror.h"

#include <QString>

namespace vq {

// The utility's own words for a port failure, as its status rows and boxes show them.
QString failureText(const CommError& error);

// What a box says when a write finds the device gone.
inline const QString kDeviceUnavailable = QStringLiteral("Device unavailable!");
inline const QString kPortNotOpen = QStringLiteral("Port not open...,please open the port first");

// Why a write failed, in the operator's words: the device went away, the port closed
// meanwhile, or whatever else the port said.
QString writeFailureText(const CommError& error);

} // namespace vq
