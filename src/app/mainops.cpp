#include "app/mainops.h"

#include "shared/failuretext.h"
#include "shared/linechoices.h"

#include <QFileInfo>

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
            if (port.portOpen())
                continue;
            state.PortNumber = qint16(n);
            result.probe[n - 1] = probePort(port, n);
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

StatusText probePort(CommPort& port, int n)
{
    try {
        port.setCommPort(qint16(n));
        port.setPortOpen(true);
        port.setPortOpen(false);
    } catch (const CommError& e) {
        return {failureText(e), kRed};
    }
    return {QStringLiteral("Enable"), kBlue};
}

PortPresence portPresence(const CommPort& port)
{
    PortPresence now;
    for (int n = 1; n <= kComPortCount; ++n) {
        const QString device = port.deviceName(n);
        if (device.isEmpty())
            continue;
        now.present[n - 1] = QFileInfo::exists(device);
        QString folder = QFileInfo(device).absolutePath();
        while (!QFileInfo(folder).isDir())
            folder = QFileInfo(folder).absolutePath();
        if (!now.folders.contains(folder))
            now.folders << folder;
    }
    return now;
}

QList<int> rowsToProbe(const PortPresence& before, const PortPresence& now, int busy)
{
    QList<int> rows;
    for (int n = 1; n <= kComPortCount; ++n) {
        if (n != busy && before.present[n - 1] != now.present[n - 1])
            rows << n;
    }
    return rows;
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
