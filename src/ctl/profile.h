#pragma once

#include "ctl/actions.h"

#include <optional>
#include <QByteArray>
#include <QString>

namespace vq::ctl {

// A profile is plain text, one action a line written as on the command line: the action's name,
// a blank, its arguments. A text (upper, lower, type) runs from just after that one blank to the
// end of the line, byte for byte, blanks, quotes, commas and semicolons included; escapes as on
// the command line give control bytes. "line SETTINGS" sets the PC side's line. Blank lines and
// lines starting with # are skipped. UTF-8; a line that is not is read as Latin-1.
inline constexpr qint64 kMaxProfileBytes = 4 * 1024 * 1024;

struct Profile {
    std::optional<QString> lineSettings; // its "line" entry
    QString error;                       // "FILE:LINE: what is wrong", or "FILE: ..."
};

// Reads `name` ("-" for stdin; a pipe or FIFO is read as it comes) and adds its actions to the
// planner. A FIFO nobody writes to is given up after `waitMs`.
Profile readProfile(const QByteArray& name, Planner& planner, int waitMs = 10000);

// Splits one line of a profile into the action's name and arguments.
QStringList profileWords(const QString& line);

} // namespace vq::ctl
