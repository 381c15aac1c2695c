#pragma once

#include "display/session.h"
#include "serial/linesettings.h"

#include <functional>
#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vq::ctl {

// Bounds on what one run may ask for, so memory and time stay proportional to what is sent.
inline constexpr int kMaxActions = 10000;
inline constexpr int kMaxTextLength = 65536;

// One stretch of an action sent at one PC-side line.
struct Step {
    std::optional<LineSettings>
        pcSettings;           // the PC side switches to it first, once the line is clear
    bool mayRefuse = false;   // a line the device refuses is skipped and named
    QList<QByteArray> writes; // one entry a write, in order
};

// What a device is, for actions that write its own name on it.
struct DeviceInfo {
    QByteArray device;
    QString stableName;
    int comNumber = 0; // 0: the windows give it none
};

// One action of a run, checked and turned into the bytes its menu entry or dialog sends.
struct Action {
    QStringList words; // as written: the action's name and its arguments
    QString where;     // "FILE:LINE: " for a profile's, empty on the command line
    QList<Step> steps;
    // The writes when they depend on the device (identify).
    std::function<QList<QByteArray>(const DeviceInfo&)> forDevice;
    // The display's own line after it: the PC side follows before the next action.
    std::optional<LineSettings> settingsAfter;

    QList<QByteArray> writes(const DeviceInfo& device = {}) const;
};

// A whole action list, or why it cannot run; nothing of a refused list is sent.
struct Plan {
    QList<Action> actions;
    QString error;
};

// Builds actions in order; the clear sequence follows the emulations chosen before.
class Planner {
public:
    // The command line's words: each action name followed by its arguments.
    bool addWords(const QList<QByteArray>& words);
    // One action of a profile, already split into its name and arguments.
    bool addAction(const QStringList& words, const QString& where);

    const Plan& plan() const { return m_plan; }
    Plan take() { return std::move(m_plan); }

private:
    bool fail(const QString& why);

    Plan m_plan;
    DisplaySession m_session = DisplaySession::started();
};

// Whether an action takes the rest of its line as one text (in a profile).
bool takesText(const QString& name);

// Text of an action's argument: "\r" CR, "\n" LF, "\t" tab, "\b" backspace, "\e" ESC, "\xHH"
// any byte, "\\" a backslash; every other character as written. Empty with `error` set when an
// escape is unknown.
QString unescaped(const QString& text, QString* error);

// The names an action's argument accepts, for completion; empty where it is free.
QStringList namesFor(const QString& action);
QStringList actionNames();

// One line per action and the names each accepts, for --help.
QString actionsHelp();
// The same as the manual page's ACTIONS section.
QString actionsManual();

QString hexBytes(const QList<QByteArray>& writes);

} // namespace vq::ctl
