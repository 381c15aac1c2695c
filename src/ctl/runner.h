#pragma once

#include "ctl/actions.h"

#include <QByteArray>
#include <QList>
#include <QTextStream>

namespace vq::ctl {

// How a run reports: a line for people, or one JSON object a line for other tools.
enum class Report { Text, Json };

// Each action with its bytes, opening nothing.
void printPlan(const Plan& plan, Report report, QTextStream& out);

// Opens each device in turn with the PC side's line, sends every action, waits for the line
// to take the bytes, closes; one failing device does not stop the others. True when every
// action reached every device.
bool runPlan(const Plan& plan, const QList<QByteArray>& devices, const LineSettings& line,
             Report report, QTextStream& out);

} // namespace vq::ctl
