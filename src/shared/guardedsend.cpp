#include "shared/guardedsend.h"

#include <QList>

namespace vq {

QString writeFailureText(const CommError& error)
{
    if (error.number() == err::DeviceUnavailable)
        return QStringLiteral("Device unavailable!");
    return error.number() == err::PortNotOpen ? kPortNotOpen : error.description();
}

void reportWriteFailure(Boxes& boxes, const CommError& error)
{
    boxes.ShowMessage(writeFailureText(error), box::Ok,
                      error.number() == err::PortNotOpen ? kMessageTitle : QStringLiteral("Error"));
}

bool portOpenOrRefuse(CommPort& port, Boxes& boxes, const QString& refusalText)
{
    if (port.portOpen())
        return true;
    boxes.ShowMessage(refusalText, box::Ok, kMessageTitle);
    return false;
}

bool sendReported(CommPort& port, Boxes& boxes, const QByteArray& command)
{
    try {
        port.output(command);
    } catch (const CommError& e) {
        reportWriteFailure(boxes, e);
        return false;
    }
    return true;
}

bool guardedSend(CommPort& port, Boxes& boxes, const QByteArray& command,
                 const QString& refusalText)
{
    return portOpenOrRefuse(port, boxes, refusalText) && sendReported(port, boxes, command);
}

} // namespace vq
