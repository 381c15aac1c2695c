#include "demo/democommands.h"

#include "shared/frame.h"
#include "shared/guardedsend.h"

namespace vq {

// Storing numbers the lines 1 and 2, clearing 2 and 3: the display's own numbering.
QByteArray storeCommand(DemoRow row, const QString& text)
{
    return displayCommand(code::StoreLine, row == DemoRow::Upper ? '1' : '2', toDisplayBytes(text));
}

QByteArray showCommand()
{
    return displayCommand(code::ShowDemo, 0x08);
}

QByteArray clearCommand(DemoRow row)
{
    return displayCommand(code::Bell, row == DemoRow::Upper ? '2' : '3');
}

QString storePrompt(DemoRow row)
{
    return QStringLiteral("Please input demo messages to save on %1 line,the maximum data "
                          "character is under 200. ")
        .arg(row == DemoRow::Upper ? QStringLiteral("upper") : QStringLiteral("lower"));
}

void storeDemoMessage(CommPort& port, Boxes& boxes, DemoRow row)
{
    // Refuse before asking, so the operator types nothing in vain; the port is not read again
    // after the modal box.
    if (!portOpenOrRefuse(port, boxes))
        return;
    const QString text = boxes.ShowInput(storePrompt(row), kDemoInputTitle, QString());
    if (!text.isEmpty())
        sendReported(port, boxes, storeCommand(row, text));
}

void showDemoMessages(CommPort& port, Boxes& boxes)
{
    guardedSend(port, boxes, showCommand());
}

void clearDemoMessage(CommPort& port, Boxes& boxes, DemoRow row)
{
    guardedSend(port, boxes, clearCommand(row),
                row == DemoRow::Upper ? kPortNotOpenShort : kPortNotOpen);
}

} // namespace vq
