#pragma once

#include "serial/linesettings.h"

#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vq::ctl {

// One action of a run, checked and turned into the bytes its menu entry or dialog sends.
struct Action {
    QStringList words;        // as written: the action's name and its arguments
    QList<QByteArray> writes; // one entry a write, in order
    // The display's own line after it (display-line): the PC side follows before the next action.
    std::optional<LineSettings> lineAfter;
};

// A whole action list, or why it cannot run; nothing of a refused list is sent.
struct Plan {
    QList<Action> actions;
    QString error;
};

// words: the actions as given, each name followed by its arguments.
Plan planActions(const QStringList& words);

// The actions of a profile line: the name, then its arguments; a text is the rest of the line.
QStringList actionWords(const QString& line);

// One line per action and the names each accepts, for --help.
QString actionsHelp();

QString hexBytes(const QList<QByteArray>& writes);

} // namespace vq::ctl
