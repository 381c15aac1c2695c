// vq3360ctl: the utility's display commands from a script, for one display or many.
#include "cli/arguments.h"
#include "cli/startup.h"
#include "cli/termination.h"
#include "ctl/actions.h"
#include "ctl/profile.h"
#include "ctl/report.h"
#include "ctl/runner.h"
#include "serial/portlist.h"
#include "shared/linechoices.h"

#include <csignal>
#include <QCoreApplication>
#include <vector>

using namespace vq;

namespace {

const std::vector<cli::OptionSpec>& options()
{
    static const std::vector<cli::OptionSpec> specs{
        {{QStringLiteral("h"), QStringLiteral("help")},
         {},
         QStringLiteral("Show this help and exit.")},
        {{QStringLiteral("v"), QStringLiteral("version")},
         {},
         QStringLiteral("Show the version and exit.")},
        {{QStringLiteral("device")},
         QStringLiteral("DEVICE"),
         QStringLiteral("A display's serial device; repeat it for more displays.")},
        {{QStringLiteral("line")},
         QStringLiteral("SETTINGS"),
         QStringLiteral(
             "The PC side's line, as the utility's settings string (default 9600,n,8,1).")},
        {{QStringLiteral("profile")},
         QStringLiteral("FILE"),
         QStringLiteral("Read the actions from FILE (- for stdin), before those given here: one "
                        "action a line as written here, a text to the end of its line; \"line "
                        "SETTINGS\"; # starts a comment line.")},
        {{QStringLiteral("dry-run")},
         {},
         QStringLiteral("Print each action and its bytes; open nothing.")},
        {{QStringLiteral("json")}, {}, QStringLiteral("Report one JSON object a line.")},
        {{QStringLiteral("list-ports")},
         {},
         QStringLiteral("List the serial ports of this system, each with the --device argument "
                        "that names it, and exit.")},
        // For the shell's completion: the words an argument takes.
        {{QStringLiteral("complete")}, QStringLiteral("WHAT"), {}},
    };
    return specs;
}

QString help()
{
    return cli::helpText(
        QStringLiteral("vq3360ctl"),
        QStringLiteral("Sets up VQ3360 pole displays from a script: the actions are "
                       "the utility's menu entries and dialogs, sent to each device "
                       "in turn. Everything after the first action is actions and "
                       "their texts.\n\n") +
            ctl::actionsHelp(),
        options(), QStringLiteral("ACTION"),
        QStringLiteral("An action and its arguments; see above."), QStringLiteral("[ACTION...]"));
}

QStringList completions(const QString& what)
{
    if (what == u"actions")
        return ctl::actionNames();
    if (what == u"framings") {
        QStringList names;
        for (const LineFraming& f : kLineFramings)
            names << QString::fromLatin1(f.text);
        return names;
    }
    if (what == u"devices") {
        QStringList names;
        for (const PortInfo& p : systemPorts())
            names << (p.stableName.isEmpty() ? p.device : p.stableName);
        return names;
    }
    return ctl::namesFor(what);
}

} // namespace

int main(int argc, char** argv)
{
    cli::ensureStandardStreams();
    // A reader that goes away must not end a run half-way with the device changed.
    ::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vq3360ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
    cli::stampLogLines();

    const cli::Arguments args =
        cli::scan(cli::rawArguments(argc, argv), options(), cli::Positionals::EndOptions);
    ctl::Report report(args.isSet(QStringLiteral("json")));
    if (!args.error.isEmpty()) {
        report.usage(args.error);
        return 2;
    }
    if (args.isSet(QStringLiteral("help"))) {
        report.raw(help().toUtf8());
        return 0;
    }
    if (args.isSet(QStringLiteral("version"))) {
        report.raw(QByteArray("vq3360ctl ") + VQ_VERSION + '\n');
        return 0;
    }
    if (args.isSet(QStringLiteral("list-ports"))) {
        const QList<PortInfo> ports = systemPorts();
        report.raw(report.json()
                       ? portListJson(ports, numberPorts(ports))
                       : portListText(ports, numberPorts(ports), PortListFor::Ctl).toUtf8());
        return 0;
    }
    if (args.isSet(QStringLiteral("complete"))) {
        const QStringList words = completions(args.value(QStringLiteral("complete")));
        report.raw(words.isEmpty() ? QByteArray() : (words.join(u'\n') + u'\n').toUtf8());
        return 0;
    }

    ctl::Planner planner;
    QString lineText = QStringLiteral("9600,n,8,1");
    const QList<QByteArray> profiles = args.values(QStringLiteral("profile"));
    if (profiles.size() > 1) {
        report.usage(QStringLiteral("--profile given twice; put the actions in one profile"));
        return 2;
    }
    if (!profiles.isEmpty()) {
        const ctl::Profile profile = ctl::readProfile(profiles.constFirst(), planner);
        if (!profile.error.isEmpty()) {
            report.usage(profile.error);
            return 2;
        }
        lineText = profile.line.value_or(lineText);
    }
    if (args.isSet(QStringLiteral("line")))
        lineText = args.value(QStringLiteral("line"));
    const auto settings = LineSettings::parse(lineText);
    if (!settings) {
        report.usage(
            QStringLiteral("--line %1: not line settings such as 9600,n,8,1").arg(lineText));
        return 2;
    }
    // The whole list is checked before the first byte goes out.
    if (!planner.addWords(args.positionals)) {
        report.usage(planner.plan().error);
        return 2;
    }
    const ctl::Plan plan = planner.take();
    if (plan.actions.isEmpty()) {
        report.usage(QStringLiteral("no action given"));
        return 2;
    }
    if (args.isSet(QStringLiteral("dry-run"))) {
        ctl::printPlan(plan, report);
        return 0;
    }
    const QList<QByteArray> devices = args.values(QStringLiteral("device"));
    if (devices.isEmpty()) {
        report.usage(QStringLiteral("no --device given"));
        return 2;
    }
    const cli::TerminationSignals termination;
    const bool allDone = ctl::runPlan(plan, devices, *settings, report);
    if (cli::TerminationSignals::count() > 0)
        cli::TerminationSignals::endBy(cli::TerminationSignals::first());
    return allDone ? 0 : 1;
}
