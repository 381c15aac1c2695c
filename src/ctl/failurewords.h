#pragma once

#include "serial/commerror.h"

#include <QByteArray>
#include <QString>

namespace vq::ctl {

// What happened to the device, as a command-line tool says it, after the device's name.
QString failureWords(const CommError& error, const QByteArray& device);

} // namespace vq::ctl
