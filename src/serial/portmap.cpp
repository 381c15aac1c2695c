#include "serial/portmap.h"

namespace vq {

namespace {

QString programName()
{
    return QStringLiteral("vq3360");
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

} // namespace

QString PortMap::deviceFor(int port) const
{
    if (const auto it = devices.constFind(port); it != devices.constEnd())
        return *it;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

CommandLine parseCommandLine(const QStringList& args)
{
    CommandLine result;
    const auto fail = [&](const QString& message) {
        result.error = message;
        return result;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            result.help = true;
            continue;
        }
        QString value;
        if (arg == u"--com") {
            if (i + 1 >= args.size())
                return fail(QStringLiteral("--com needs N=DEVICE, such as --com 1=/dev/ttyUSB0"));
            value = args[++i];
        } else if (arg.startsWith(u"--com=")) {
            value = arg.mid(6);
        } else if (arg.startsWith(u'-')) {
            return fail(QStringLiteral("unknown option %1").arg(arg));
        } else {
            return fail(QStringLiteral("unexpected argument %1").arg(arg));
        }

        const qsizetype eq = value.indexOf(u'=');
        if (eq < 0)
            return fail(QStringLiteral("--com %1: expected N=DEVICE, such as --com 1=/dev/ttyUSB0")
                            .arg(value));
        const int port = parsePortNumber(value.left(eq));
        if (port == 0)
            return fail(QStringLiteral("--com %1: N must be a port number from 1 to %2")
                            .arg(value, QString::number(kMaxPortNumber)));
        const QString device = value.mid(eq + 1);
        if (device.isEmpty())
            return fail(QStringLiteral("--com %1: DEVICE is missing").arg(value));
        if (result.map.devices.contains(port))
            return fail(QStringLiteral("--com %1: COM%2 is already mapped to %3")
                            .arg(value, QString::number(port), result.map.devices.value(port)));
        result.map.devices.insert(port, device);
    }
    return result;
}

QString usageText()
{
#ifdef Q_OS_WIN
    const QString devices = QStringLiteral("                  DEVICE is a port name such as COM7.\n"
                                           "                  Without it COMN is the port COMN.\n");
#else
    const QString devices =
        QStringLiteral("                  DEVICE is a path such as /dev/ttyUSB0 or a\n"
                       "                  pseudo-terminal; a bare name such as ttyUSB0 means\n"
                       "                  /dev/ttyUSB0. Without it COMN is /dev/ttyS(N-1),\n"
                       "                  so COM1 is /dev/ttyS0.\n");
#endif
    return QStringLiteral("Usage: %1 [--com N=DEVICE]...\n"
                          "Sets up the VQ3360 customer pole display over a serial port.\n"
                          "\n"
                          "  --com N=DEVICE  use DEVICE for port COMN, N from 1 to %2; repeat it\n"
                          "                  for more ports.\n")
               .arg(programName())
               .arg(kMaxPortNumber) +
           devices + QStringLiteral("  -h, --help      show this help and exit.\n");
}

} // namespace vq
