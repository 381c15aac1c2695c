#pragma once

#include "display/session.h"
#include "serial/commport.h"
#include "shared/boxes.h"
#include "shared/module1.h"

#include <array>
#include <functional>
#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

namespace vq {

// COM1 to COM6: the ports start-up probes and the PC settings dialog offers.
inline constexpr int kComPortCount = 6;

inline constexpr quint32 kBlue = 0x0000FF;
inline constexpr quint32 kRed = 0xFF0000;

// What one status row or the open/close line shows.
struct StatusText {
    QString text;
    quint32 colour = kBlue;
    bool operator==(const StatusText&) const = default;
};

// What a port-status row shows of a status, and its tooltip. A text wider than the row is cut
// after the last whole word (or part of a path) that fits, marked with "…"; the tooltip names
// the device the port number opens and keeps a failure whole. `width` measures a text in the
// row's font.
struct StatusRow {
    QString text;
    QString toolTip;
    bool operator==(const StatusRow&) const = default;
};
StatusRow statusRow(int port, const QString& device, const StatusText& status, double rowWidth,
                    const std::function<double(const QString&)>& width);

struct SettingsLine {
    QString settings; // Label7(3)
    QString port;     // Label7(4)
    bool operator==(const SettingsLine&) const = default;
};

SettingsLine readSettingsLine(const CommPort& port);

// Start-up: start values, settings, the probe of COM1 to COM6, port left closed on COM1.
struct StartupResult {
    std::array<std::optional<StatusText>, kComPortCount> probe; // empty where a port was skipped
    std::optional<SettingsLine> line;                           // empty when start-up ended early
};
StartupResult runStartup(CommPort& port, Module1& state, DisplaySession& session);

// Start-up's probe of one port: opened and closed again; "Enable", or the failure in red.
StatusText probePort(CommPort& port, int n);

// Which of COM1 to COM6 have their device now, and the folders that tell when one comes or
// goes: each device's nearest folder there is (udev's by-id folder goes with its last adapter).
struct PortPresence {
    std::array<bool, kComPortCount> present{};
    QStringList folders;
};
PortPresence portPresence(const CommPort& port);
// After a folder changed: the rows to probe again, those whose device came or went, but the row
// of the port that is open or closing (`busy`), whose own failures tell of it.
QList<int> rowsToProbe(const PortPresence& before, const PortPresence& now, int busy);

// The open (0) and close (1) presses. The line is empty where it keeps its text.
struct PressResult {
    SettingsLine line;
    std::optional<StatusText> openClose;
    int failure = 0; // the error number of an open that failed
};
PressResult pressOpenClose(int index, CommPort& port, Boxes& boxes, QString& lastOpenError);

// What the status bar says while bytes wait for a slow line; empty when none do.
QString pendingText(qint64 bytes);

} // namespace vq
