#include "app/commandline.h"

#include "cli/arguments.h"

#include <vector>

namespace vq {

namespace {

QString comExample()
{
    return QStringLiteral("such as --com 1=/dev/ttyUSB0");
}

// Plain decimal digits only, so "+1", " 1" and "1x" are refused rather than guessed at.
int parsePortNumber(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 2)
        return 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return 0;
    }
    const int n = text.toInt();
    return n >= 1 && n <= kMaxPortNumber ? n : 0;
}

const std::vector<cli::OptionDef>& options()
{
    static const std::vector<cli::OptionDef> defs = [] {
        std::vector<cli::OptionDef> all{
            {{QStringLiteral("h"), QStringLiteral("help")},
             {},
             QStringLiteral("Show this help and exit.")},
            {{QStringLiteral("v"), QStringLiteral("version")},
             {},
             QStringLiteral("Show the version and exit.")},
            {{QStringLiteral("list-ports")},
             {},
             QStringLiteral("List the serial ports of this system, each with the COM number it "
                            "gets, and exit.")},
            {{QStringLiteral("com")},
             QStringLiteral("N=DEVICE"),
             QStringLiteral("Use DEVICE for port COMN, N from 1 to %1; repeat it for more ports. "
                            "DEVICE is a path such as /dev/ttyUSB0 or a pseudo-terminal; a bare "
                            "name such as ttyUSB0 means /dev/ttyUSB0. Without it COM1 onward are "
                            "the serial ports this system has: on-board ports first, then USB "
                            "adapters by their stable name.")
                 .arg(kMaxPortNumber)},
            {{QStringLiteral("virtual-display")},
             {},
             QStringLiteral("Start vq3360-virtual-display and use it as COM1, to try every "
                            "command without a display; closing the utility ends both.")},
        };
        for (const cli::OptionDef& qt : cli::qtOptions())
            all.push_back(qt);
        return all;
    }();
    return defs;
}

} // namespace

CommandLine parseCommandLine(const QList<QByteArray>& args)
{
    CommandLine result;
    const cli::Arguments parsed = cli::scan(args, options());
    if (!parsed.error.isEmpty()) {
        result.error = parsed.error;
        return result;
    }
    if (!parsed.positionals.isEmpty()) {
        result.error = QStringLiteral("unexpected argument %1")
                           .arg(QString::fromLocal8Bit(parsed.positionals.constFirst()));
        return result;
    }
    result.help = parsed.isSet(QStringLiteral("help"));
    result.version = parsed.isSet(QStringLiteral("version"));
    result.listPorts = parsed.isSet(QStringLiteral("list-ports"));
    result.virtualDisplay = parsed.isSet(QStringLiteral("virtual-display"));
    result.qtArgs = cli::qtArguments(parsed);

    for (const QByteArray& value : parsed.values(QStringLiteral("com"))) {
        const QString shown = QString::fromLocal8Bit(value);
        const qsizetype eq = value.indexOf('=');
        if (eq < 0) {
            result.error =
                QStringLiteral("--com %1: expected N=DEVICE, %2").arg(shown, comExample());
            return result;
        }
        const int port = parsePortNumber(value.left(eq));
        if (port == 0) {
            result.error = QStringLiteral("--com %1: N must be a port number from 1 to %2")
                               .arg(shown, QString::number(kMaxPortNumber));
            return result;
        }
        const QByteArray device = value.mid(eq + 1);
        if (device.isEmpty()) {
            result.error = QStringLiteral("--com %1: DEVICE is missing").arg(shown);
            return result;
        }
        if (result.map.devices.contains(port)) {
            result.error = QStringLiteral("--com %1: COM%2 is already mapped to %3")
                               .arg(shown, QString::number(port),
                                    QString::fromLocal8Bit(result.map.devices.value(port)));
            return result;
        }
        result.map.devices.insert(port, device);
    }
    if (result.virtualDisplay && result.map.devices.contains(1)) {
        result.error = QStringLiteral("--virtual-display is COM1, which --com 1=%1 maps too")
                           .arg(QString::fromLocal8Bit(result.map.devices.value(1)));
        return result;
    }
    return result;
}

QString helpText()
{
    return cli::helpText(
        QStringLiteral("vq3360"),
        QStringLiteral("Sets up the VQ3360 customer pole display over a serial port."), options());
}

} // namespace vq
