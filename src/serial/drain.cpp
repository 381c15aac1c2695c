#include "serial/drain.h"

namespace vq {

QString notSentText(qint64 bytes)
{
    return QStringLiteral("%1 bytes were not sent: the display did not take them").arg(bytes);
}

} // namespace vq
