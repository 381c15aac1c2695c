#include "display/displaysettings.h"

#include "shared/failuretext.h"
#include "shared/frame.h"

namespace vq {

QByteArray displayBaudCommand(int row)
{
    return displayCommand(code::DisplayBaud, kLineRates.at(size_t(row)).displayParam);
}

QByteArray displayFrameCommand(int row)
{
    return displayCommand(code::DisplayFraming, kLineFramings.at(size_t(row)).displayParam);
}

QList<QByteArray> displaySettingsCommands(const LineChoices& choices)
{
    QList<QByteArray> commands;
    if (choices.baud)
        commands << displayBaudCommand(*choices.baud);
    if (choices.frame)
        commands << displayFrameCommand(*choices.frame);
    return commands;
}

bool applyDisplaySettings(CommPort& port, Boxes& boxes, const LineChoices& choices)
{
    try {
        for (const QByteArray& command : displaySettingsCommands(choices))
            port.output(command);
    } catch (const CommError& e) {
        reportDisplayFailure(boxes, e);
        return false;
    }
    return true;
}

void reportDisplayFailure(Boxes& boxes, const CommError& error)
{
    if (error.kind() == PortFailure::DeviceGone)
        boxes.ShowMessage(kDeviceUnavailable, box::Ok, QStringLiteral("Error"));
    else if (error.kind() == PortFailure::NotOpen)
        boxes.ShowMessage(kComPortNotOpen + QString::number(error.number()), box::Ok,
                          QStringLiteral("Message"));
}

} // namespace vq
