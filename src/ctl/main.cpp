// vq3360ctl: the utility's display commands from a script, for one display or many.
#include "cli/startup.h"
#include "cli/termination.h"
#include "ctl/invocation.h"
#include "ctl/report.h"
#include "ctl/runner.h"
#include "serial/portlist.h"

#include <csignal>
#include <QCoreApplication>

using namespace vq;

int main(int argc, char** argv)
{
    cli::ensureStandardStreams();
    // A reader that goes away must not end a run half-way with the device changed.
    ::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vq3360ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
    cli::stampLogLines();

    const ctl::Invocation run = ctl::parseInvocation(cli::rawArguments(argc, argv));
    ctl::Report report(run.json);
    if (!run.error.isEmpty()) {
        report.usage(run.error);
        return 2;
    }
    switch (run.what) {
    case ctl::Invocation::Help:
        report.raw(ctl::helpText().toUtf8());
        return 0;
    case ctl::Invocation::Manual:
        report.raw(ctl::manualSections().toUtf8());
        return 0;
    case ctl::Invocation::Version:
        report.raw(QByteArray("vq3360ctl ") + VQ_VERSION + '\n');
        return 0;
    case ctl::Invocation::ListPorts: {
        QList<PortInfo> ports = systemPorts();
        describePorts(ports);
        const PortMap numbers = numberPorts(ports);
        report.raw(run.json ? portListJson(ports, numbers)
                            : portListText(ports, numbers, PortListFor::Ctl).toUtf8());
        return 0;
    }
    case ctl::Invocation::Complete: {
        const QStringList words = ctl::completions(run.complete);
        report.raw(words.isEmpty() ? QByteArray() : (words.join(u'\n') + u'\n').toUtf8());
        return 0;
    }
    case ctl::Invocation::DryRun:
        ctl::printPlan(run.plan, report);
        return 0;
    case ctl::Invocation::Run:
        break;
    }
    const cli::TerminationSignals termination;
    const bool allDone = ctl::runPlan(run.plan, run.devices, run.lineSettings, report);
    if (cli::TerminationSignals::count() > 0)
        cli::TerminationSignals::endBy(cli::TerminationSignals::first());
    return allDone ? 0 : 1;
}
