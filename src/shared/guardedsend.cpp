#include "shared/guardedsend.h"

#include <QList>

namespace vq {

void reportWriteFailure(Boxes& boxes, const CommError& error)
{
    boxes.ShowMessage(writeFailureText(error), box::Ok,
                      error.kind() == PortFailure::NotOpen ? kMessageTitle
                                                           : QStringLiteral("Error"));
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
