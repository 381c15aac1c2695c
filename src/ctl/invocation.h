#pragma once

#include "cli/arguments.h"
#include "ctl/actions.h"
#include "serial/linesettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vq::ctl {

// What vq3360ctl was asked to do, read from its command line (and its profile) in one go,
// before anything is opened.
struct Invocation {
    enum What { Run, DryRun, Help, Version, ListPorts, Complete, Manual } what = Run;
    bool json = false;
    Plan plan;
    LineSettings lineSettings;
    QList<QByteArray> devices;
    QString complete; // what to complete
    QString error;    // bad usage: nothing is sent
};

// args without the program name, byte for byte; a profile FIFO nobody writes to is given up
// after fifoWaitMs.
Invocation parseInvocation(const QList<QByteArray>& args, int fifoWaitMs = 10000);

QString helpText();
// The manual page's ACTIONS and OPTIONS, from what the help is made of.
QString manualSections();

// The words a shell may complete an argument with: "actions", "devices", "framings", or an
// action's name for the names it takes.
QStringList completions(const QString& what);

} // namespace vq::ctl
