// vq3360ctl: the utility's display commands from a script, for one display or many.
#include "ctl/actions.h"
#include "ctl/runner.h"
#include "serial/portlist.h"
#include "serial/portmap.h"

#include <cstdio>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTextStream>

using namespace vq;

namespace {

int usageError(const QString& what)
{
    std::fprintf(stderr, "vq3360ctl: %s\nTry --help.\n", qPrintable(what));
    return 2;
}

// The [line] section's settings and the [actions] list, in order.
bool readProfile(const QString& file, QString& line, QStringList& words, QString& error)
{
    if (!QFile::exists(file)) {
        error = QStringLiteral("--profile %1: no such file").arg(file);
        return false;
    }
    QSettings profile(file, QSettings::IniFormat);
    if (profile.status() != QSettings::NoError) {
        error = QStringLiteral("--profile %1: not a profile (an INI file with [line] and "
                               "[actions])")
                    .arg(file);
        return false;
    }
    line = profile.value(QStringLiteral("line/settings")).toString();
    const int count = profile.beginReadArray(QStringLiteral("actions"));
    for (int i = 0; i < count; ++i) {
        profile.setArrayIndex(i);
        words << ctl::actionWords(profile.value(QStringLiteral("action")).toString());
    }
    profile.endArray();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vq3360ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets up VQ3360 pole displays from a script: the actions are the "
                       "utility's menu entries and dialogs, sent to each device in turn.\n\n") +
        ctl::actionsHelp());
    parser.addPositionalArgument(QStringLiteral("ACTION"),
                                 QStringLiteral("An action and its arguments; see above."),
                                 QStringLiteral("[ACTION...]"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("A display's serial device; repeat it for more displays."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption line(QStringLiteral("line"),
                                  QStringLiteral("The PC side's line, as the utility's settings "
                                                 "string (default 9600,n,8,1)."),
                                  QStringLiteral("SETTINGS"));
    const QCommandLineOption profile(
        QStringLiteral("profile"),
        QStringLiteral("Read the line and the actions from an INI file: [line] settings=..., "
                       "[actions] size=N, 1\\action=..., one action a line."),
        QStringLiteral("FILE"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("Print each action and its bytes; open "
                                                   "nothing."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Report one JSON object a line."));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       QStringLiteral("List the serial ports of this system, "
                                                      "each with the --device argument that "
                                                      "names it, and exit."));
    parser.addOptions({help, version, device, line, profile, dryRun, json, listPorts});
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    QTextStream out(stdout);
    if (parser.isSet(help)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out << "vq3360ctl " << VQ_VERSION << '\n';
        return 0;
    }
    if (parser.isSet(listPorts)) {
        out << portListText(systemPorts(), PortListFor::Ctl);
        return 0;
    }

    QString lineText = QStringLiteral("9600,n,8,1");
    QStringList words;
    if (parser.isSet(profile)) {
        QString fromProfile, error;
        if (!readProfile(parser.value(profile), fromProfile, words, error))
            return usageError(error);
        if (!fromProfile.isEmpty())
            lineText = fromProfile;
    }
    if (parser.isSet(line))
        lineText = parser.value(line);
    const auto settings = LineSettings::parse(lineText);
    if (!settings)
        return usageError(
            QStringLiteral("--line %1: not line settings such as 9600,n,8,1").arg(lineText));
    words << parser.positionalArguments();
    if (words.isEmpty())
        return usageError(QStringLiteral("no action given"));
    // The whole list is checked before the first byte goes out.
    const ctl::Plan plan = ctl::planActions(words);
    if (!plan.error.isEmpty())
        return usageError(plan.error);
    const ctl::Report report = parser.isSet(json) ? ctl::Report::Json : ctl::Report::Text;
    if (parser.isSet(dryRun)) {
        ctl::printPlan(plan, report, out);
        return 0;
    }

    QList<QByteArray> rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs << QByteArray(argv[i]);
    const QList<QByteArray> devices = rawOptionValues(rawArgs, "device");
    if (devices.isEmpty())
        return usageError(QStringLiteral("no --device given"));
    return ctl::runPlan(plan, devices, *settings, report, out) ? 0 : 1;
}
