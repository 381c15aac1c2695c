#include "display/displaysettings.h"

namespace vq {

namespace {
QByteArray frame(char code, char parameter)
{
    return QByteArray("\x02\x05", 2) + code + parameter + '\x03';
}
} // namespace

QByteArray displayBaudCommand(int row)
{
    return frame('B', kDisplayBaudParams.at(size_t(row)));
}

QByteArray displayFrameCommand(int row)
{
    return frame('P', kDisplayFrameParams.at(size_t(row)));
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
    if (error.number() == err::DeviceUnavailable)
        boxes.ShowMessage(QStringLiteral("Device unavailable!"), 4, QStringLiteral("Error"));
    else if (error.number() == err::PortNotOpen)
        boxes.ShowMessage(kComPortNotOpen + QString::number(error.number()), 4,
                          QStringLiteral("Message"));
}

} // namespace vq
