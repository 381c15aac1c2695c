#include "shared/failureparts.h"

#include <cstring>

namespace vq {

QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString refusalReason(const PortFailure& f)
{
    if (f.settings.stopBits == StopBits::OneAndHalf)
        return QStringLiteral("this system has no 1.5 stop bits");
    if (f.pseudoTerminal)
        return QStringLiteral("a pseudo-terminal takes only 8 data bits without parity");
    return {};
}

QString notSentText(qint64 bytes)
{
    return QStringLiteral("%1 bytes were not sent: the display did not take them").arg(bytes);
}

} // namespace vq
