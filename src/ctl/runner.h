#pragma once

#include "ctl/actions.h"
#include "ctl/report.h"

#include <QByteArray>
#include <QList>

namespace vq::ctl {

// Each action with its bytes, opening nothing.
void printPlan(const Plan& plan, Report& report);

// Opens each device in turn with the PC side's line, sends every action, waits for the line
// to take the bytes, closes; one failing device does not stop the others. A termination signal
// takes no new action: what is on its way is waited for, as at a close (a second signal cuts
// that short), the device is put back and the rest are left alone. True when every action
// reached every device.
bool runPlan(const Plan& plan, const QList<QByteArray>& devices, const LineSettings& pcSettings,
             Report& report);

// What the system's port list and the windows' numbering say of a device.
DeviceInfo deviceInfo(const QByteArray& device);

} // namespace vq::ctl
