#include "app/mainops.h"

#include "shared/failuretext.h"
#include "shared/linechoices.h"

namespace vq {

namespace {

QString cutToWidth(const QString& text, double room,
                   const std::function<double(const QString&)>& width)
{
    if (width(text) <= room)
        return text;
    // Cut before a blank or after a slash, so no word and no part of a path is split; a first
    // part too long for the row on its own is cut where the row ends.
    for (const bool anywhere : {false, true}) {
        for (qsizetype n = text.size() - 1; n > 0; --n) {
            if (!anywhere && text[n] != u' ' && text[n - 1] != u'/')
                continue;
            const QString head = text.left(n).trimmed() + QStringLiteral("\u2026");
            if (width(head) <= room)
                return head;
        }
    }
    return QStringLiteral("\u2026");
}

} // namespace

StatusRow statusRow(int port, const QString& device, const StatusText& status, double rowWidth,
                    const std::function<double(const QString&)>& width)
{
    QString tip = QStringLiteral("COM%1").arg(port);
    if (!device.isEmpty())
        tip += QStringLiteral(": ") + device;
    if (status.colour == kRed)
        tip += u'\n' + status.text;
    return {cutToWidth(status.text, rowWidth, width), tip};
}

SettingsLine readSettingsLine(const CommPort& port)
{
    return {port.settings(), QStringLiteral("Port : %1").arg(port.commPort())};
}

StartupResult runStartup(CommPort& port, Module1& state, DisplaySession& session)
{
    StartupResult result;
    session.setStartupPrefix();
    const QString line = DisplaySession::startupLine().toString();
    state.BaudText = line.section(u',', 0, 0);
    state.FrameText = line.section(u',', 1);
    state.PortSettings = settingsText(state.BaudText, state.FrameText);
    try {
        port.setSettings(state.PortSettings);
        for (int n = 1; n <= kComPortCount; ++n) {
            try {
                if (port.portOpen())
                    continue;
                state.PortNumber = qint16(n);
                port.setCommPort(state.PortNumber);
                port.setPortOpen(true);
                result.probe[n - 1] = StatusText{QStringLiteral("Enable"), kBlue};
                port.setPortOpen(false);
            } catch (const CommError& e) {
                result.probe[n - 1] = StatusText{failureText(e), kRed};
            }
        }
        state.PortNumber = 1;
        port.setCommPort(state.PortNumber);
        result.line = readSettingsLine(port);
        session.setStartupClear();
    } catch (const CommError&) {
        // Start-up ends early with the port closed and no message.
        if (port.portOpen())
            port.setPortOpen(false);
    }
    return result;
}

PressResult pressOpenClose(int index, CommPort& port, Boxes& boxes, QString& lastOpenError)
{
    PressResult result{readSettingsLine(port), std::nullopt};
    if (index == 0) {
        try {
            // A device gone or replaced since it was opened is opened afresh.
            if (port.deviceGone())
                port.setPortOpen(false);
            if (!port.portOpen())
                port.setPortOpen(true);
            result.openClose = StatusText{QStringLiteral("Open"), kBlue};
        } catch (const CommError& e) {
            boxes.standardOk(QStringLiteral("Error!!") + failureText(e), kAppTitle);
            lastOpenError = failureText(e);
            result.failure = e.number();
        }
    } else if (index == 1) {
        if (port.portOpen())
            port.setPortOpen(false);
        result.openClose = StatusText{QStringLiteral("Close"), kRed};
    }
    return result;
}

QString pendingText(qint64 bytes)
{
    return bytes > 0 ? QStringLiteral("Sending: %1 bytes pending").arg(bytes) : QString();
}

} // namespace vq
