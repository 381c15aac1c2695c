#include "ctl/invocation.h"

#include "ctl/profile.h"
#include "serial/portlist.h"
#include "shared/linechoices.h"

#include <vector>

namespace vq::ctl {

namespace {

const std::vector<cli::OptionDef>& options()
{
    static const std::vector<cli::OptionDef> defs{
        {{QStringLiteral("device")},
         QStringLiteral("DEVICE"),
         QStringLiteral("A display's serial device, taken byte for byte; repeat it for more "
                        "displays.")},
        {{QStringLiteral("line")},
         QStringLiteral("SETTINGS"),
         QStringLiteral("The PC side's line, as vq3360 writes it: baud rate, parity letter, data "
                        "bits and stop bits, such as %1 (the default).")
             .arg(LineSettings{}.toString())},
        {{QStringLiteral("profile")},
         QStringLiteral("FILE"),
         QStringLiteral("Read actions from FILE (- for stdin) before those given on the command "
                        "line: one action a line, written as here, a text to the end of its line; "
                        "\"line SETTINGS\" sets the line; # starts a comment line.")},
        {{QStringLiteral("dry-run")},
         {},
         QStringLiteral("Print each action and its bytes in hex; open nothing.")},
        {{QStringLiteral("json")},
         {},
         QStringLiteral("Report one JSON object a line on stdout: an action with its bytes, a "
                        "line change, the lines a rescue skipped, a device's outcome (\"ok\", the "
                        "actions sent, \"error\" with the words of stderr), a refused command "
                        "line.")},
        {{QStringLiteral("list-ports")},
         {},
         QStringLiteral("List the serial ports of the system, each with its COM number in vq3360 "
                        "and the --device argument that names it (by its stable name where it has "
                        "one), and exit; with --json one object a port.")},
        {{QStringLiteral("h"), QStringLiteral("help")},
         {},
         QStringLiteral("Show the actions and options and exit.")},
        {{QStringLiteral("v"), QStringLiteral("version")},
         {},
         QStringLiteral("Show the version and exit.")},
        {{QStringLiteral("complete")}, QStringLiteral("WHAT"), {}}, // for the shell's completion
        {{QStringLiteral("manual")}, {}, {}}, // the manual page's sections, when it is built
    };
    return defs;
}

} // namespace

Invocation parseInvocation(const QList<QByteArray>& raw, int fifoWaitMs)
{
    Invocation run;
    const cli::Arguments args = cli::scan(raw, options(), cli::Positionals::EndOptions);
    run.json = args.isSet(QStringLiteral("json"));
    run.error = args.error;
    const auto asked = [&](const char* name) { return args.isSet(QLatin1String(name)); };
    if (!run.error.isEmpty())
        return run;
    if (asked("help") || asked("version") || asked("list-ports") || asked("complete") ||
        asked("manual")) {
        run.what = asked("help")         ? Invocation::Help
                   : asked("version")    ? Invocation::Version
                   : asked("list-ports") ? Invocation::ListPorts
                   : asked("manual")     ? Invocation::Manual
                                         : Invocation::Complete;
        run.complete = args.value(QStringLiteral("complete"));
        return run;
    }
    const auto fail = [&](const QString& why) {
        run.error = why;
        run.plan = {};
        return run;
    };
    Planner planner;
    QString settings = DisplaySession::startupLine().toString();
    const QList<QByteArray> profiles = args.values(QStringLiteral("profile"));
    if (profiles.size() > 1)
        return fail(QStringLiteral("--profile given twice; put the actions in one profile"));
    if (!profiles.isEmpty()) {
        const Profile profile = readProfile(profiles.constFirst(), planner, fifoWaitMs);
        if (!profile.error.isEmpty())
            return fail(profile.error);
        settings = profile.lineSettings.value_or(settings);
    }
    if (args.isSet(QStringLiteral("line")))
        settings = args.value(QStringLiteral("line"));
    const auto line = LineSettings::parse(settings);
    if (!line)
        return fail(QStringLiteral("--line %1: not line settings such as %2")
                        .arg(settings, DisplaySession::startupLine().toString()));
    run.lineSettings = *line;
    // The whole list is checked before the first byte goes out.
    if (!planner.addWords(args.positionals))
        return fail(planner.plan().error);
    run.plan = planner.take();
    if (run.plan.actions.isEmpty())
        return fail(QStringLiteral("no action given"));
    run.what = asked("dry-run") ? Invocation::DryRun : Invocation::Run;
    run.devices = args.values(QStringLiteral("device"));
    if (run.what == Invocation::Run && run.devices.isEmpty())
        return fail(QStringLiteral("no --device given"));
    return run;
}

QString helpText()
{
    return cli::helpText(
        QStringLiteral("vq3360ctl"),
        QStringLiteral("Sets up VQ3360 pole displays from a script: the actions are "
                       "the utility's menu entries and dialogs, sent to each device "
                       "in turn. Everything after the first action is actions and "
                       "their texts.\n\n") +
            actionsHelp(),
        options(), QStringLiteral("ACTION"),
        QStringLiteral("An action and its arguments; see above."), QStringLiteral("[ACTION...]"));
}

QString manualSections()
{
    return actionsManual() + cli::manualOptions(options());
}

QStringList completions(const QString& what)
{
    QStringList names;
    if (what == u"actions")
        return actionNames();
    if (what == u"framings") {
        for (const LineFraming& f : kLineFramings)
            names << QString::fromLatin1(f.text);
        return names;
    }
    if (what == u"devices") {
        for (const PortInfo& p : systemPorts())
            names << (p.stableName.isEmpty() ? p.device : p.stableName);
        return names;
    }
    return namesFor(what);
}

} // namespace vq::ctl
