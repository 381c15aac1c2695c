#include "serial/log.h"

namespace vq {

Q_LOGGING_CATEGORY(lcSerial, "vq.serial", QtWarningMsg)

} // namespace vq
