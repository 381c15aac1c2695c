#pragma once

#include <QLoggingCategory>

namespace vq {

// What the port does, for a technician: off unless QT_LOGGING_RULES turns vq.serial on.
Q_DECLARE_LOGGING_CATEGORY(lcSerial)

} // namespace vq
