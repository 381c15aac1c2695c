#include "app/commandline.h"

#include <algorithm>
#include <QCommandLineParser>
#include <QRegularExpression>

namespace vq {

namespace {

// The window system's options, taken as Qt's own tools take them and passed on to it.
const char* const kQtValueOptions[] = {"platform",        "platformpluginpath",
                                       "platformtheme",   "plugin",
                                       "qwindowgeometry", "qwindowicon",
                                       "qwindowtitle",    "display",
                                       "geometry",        "style",
                                       "stylesheet",      "session"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QString comExample()
{
    return QStringLiteral("such as --com 1=/dev/ttyUSB0");
}

// Plain decimal digits only, so "+1", " 1" and "1x" are refused rather than guessed at.
int parsePortNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 2)
        return 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const int n = text.toInt();
    return n >= 1 && n <= kMaxPortNumber ? n : 0;
}

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption listPorts{
        QStringLiteral("list-ports"),
        QStringLiteral("List the serial ports of this system, each with the --com argument that "
                       "makes it COM1, and exit.")};
    QCommandLineOption com{
        QStringLiteral("com"),
        QStringLiteral("Use DEVICE for port COMN, N from 1 to %1; repeat it for more ports. "
                       "DEVICE is a path such as /dev/ttyUSB0 or a pseudo-terminal; a bare name "
                       "such as ttyUSB0 means /dev/ttyUSB0. Without it COMN is /dev/ttyS(N-1), so "
                       "COM1 is /dev/ttyS0.")
            .arg(kMaxPortNumber),
        QStringLiteral("N=DEVICE")};
    QCommandLineOption platform{
        QStringLiteral("platform"),
        QStringLiteral("The window system to use, such as offscreen to run without a display. "
                       "Qt's other options (-style, -reverse...) are taken too."),
        QStringLiteral("name")};
    QList<QCommandLineOption> qt;

    Options()
    {
        for (const char* name : kQtValueOptions) {
            if (QLatin1String(name) != QLatin1String("platform")) {
                QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
                o.setFlags(QCommandLineOption::HiddenFromHelp);
                qt << o;
            }
        }
        for (const char* name : kQtFlags) {
            QCommandLineOption o(QString::fromLatin1(name));
            o.setFlags(QCommandLineOption::HiddenFromHelp);
            qt << o;
        }
    }

    void addTo(QCommandLineParser& parser) const
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            QStringLiteral("Sets up the VQ3360 customer pole display over a serial port."));
        parser.addOptions({help, version, listPorts, com, platform});
        parser.addOptions(qt);
    }
};

} // namespace

CommandLine parseCommandLine(const QList<QByteArray>& args)
{
    CommandLine result;
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    QStringList text{QStringLiteral("vq3360")};
    for (const QByteArray& arg : args)
        text << QString::fromLocal8Bit(arg);
    if (!parser.parse(text)) {
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error =
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().constFirst());
        return result;
    }
    result.help = parser.isSet(options.help);
    result.version = parser.isSet(options.version);
    result.listPorts = parser.isSet(options.listPorts);

    const QStringList values = parser.values(options.com);
    const QList<QByteArray> raw = rawOptionValues(args, "com");
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString& value = values[i];
        const qsizetype eq = value.indexOf(u'=');
        if (eq < 0) {
            result.error =
                QStringLiteral("--com %1: expected N=DEVICE, %2").arg(value, comExample());
            return result;
        }
        const int port = parsePortNumber(value.left(eq));
        if (port == 0) {
            result.error = QStringLiteral("--com %1: N must be a port number from 1 to %2")
                               .arg(value, QString::number(kMaxPortNumber));
            return result;
        }
        // The device as given, byte for byte; N and "=" are plain ASCII before it.
        const QByteArray device =
            i < raw.size() ? raw[i].mid(raw[i].indexOf('=') + 1) : value.mid(eq + 1).toLocal8Bit();
        if (device.isEmpty()) {
            result.error = QStringLiteral("--com %1: DEVICE is missing").arg(value);
            return result;
        }
        if (result.map.devices.contains(port)) {
            result.error = QStringLiteral("--com %1: COM%2 is already mapped to %3")
                               .arg(value, QString::number(port),
                                    QString::fromLocal8Bit(result.map.devices.value(port)));
            return result;
        }
        result.map.devices.insert(port, device);
    }

    // Passed on in the order given, each with its value.
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QString name =
            text[i].section(u'=', 0, 0).remove(QRegularExpression(QStringLiteral("^--?")));
        const bool flag = std::any_of(std::begin(kQtFlags), std::end(kQtFlags),
                                      [&](const char* f) { return name == QLatin1String(f); });
        const bool valued = std::any_of(std::begin(kQtValueOptions), std::end(kQtValueOptions),
                                        [&](const char* f) { return name == QLatin1String(f); });
        if (text[i] == u"--")
            break;
        if (name == u"com" && !text[i].contains(u'='))
            ++i; // its value is a device, whatever it reads
        if (!text[i].startsWith(u'-') || (!flag && !valued))
            continue;
        result.qtArgs << '-' + name.toLocal8Bit();
        if (valued && text[i].contains(u'='))
            result.qtArgs << text[i].section(u'=', 1).toLocal8Bit();
        else if (valued)
            result.qtArgs << text[++i].toLocal8Bit();
    }
    return result;
}

QString helpText()
{
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    // No application object yet, so the parser does not know the program's name.
    return parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("vq3360"));
}

} // namespace vq
