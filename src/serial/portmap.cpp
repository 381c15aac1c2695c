#include "serial/portmap.h"

namespace vq {

namespace {

QString programName()
{
    return QStringLiteral("vq3360");
}

// Plain decimal digits only, so "+1", " 1" and "1x" are refused rather than guessed at.
// Options of the window system that take a value.
const QStringList kQtOptions{QStringLiteral("-platform"), QStringLiteral("-display"),
                             QStringLiteral("-style"), QStringLiteral("-qwindowgeometry")};

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

QByteArray PortMap::deviceFor(int port) const
{
    if (const auto it = devices.constFind(port); it != devices.constEnd())
        return *it;
    return "/dev/ttyS" + QByteArray::number(port - 1);
}

CommandLine parseCommandLine(const QList<QByteArray>& rawArgs)
{
    QStringList args;
    for (const QByteArray& raw : rawArgs)
        args << QString::fromLocal8Bit(raw);
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
        // The window system's own options go on to it, with their values.
        if (kQtOptions.contains(arg)) {
            if (i + 1 >= args.size())
                return fail(
                    QStringLiteral("%1 needs a value, such as -platform offscreen").arg(arg));
            result.qtArgs << rawArgs[i] << rawArgs[i + 1];
            ++i;
            continue;
        }
        QString value;
        QByteArray raw;
        if (arg == u"--com") {
            if (i + 1 >= args.size())
                return fail(QStringLiteral("--com needs N=DEVICE, such as --com 1=/dev/ttyUSB0"));
            raw = rawArgs[++i];
            value = args[i];
        } else if (arg.startsWith(u"--com=")) {
            raw = rawArgs[i].mid(6);
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
        // The device as given, byte for byte; N and "=" are plain ASCII before it.
        const QByteArray device = raw.mid(raw.indexOf('=') + 1);
        if (device.isEmpty())
            return fail(QStringLiteral("--com %1: DEVICE is missing").arg(value));
        if (result.map.devices.contains(port))
            return fail(QStringLiteral("--com %1: COM%2 is already mapped to %3")
                            .arg(value, QString::number(port),
                                 QString::fromLocal8Bit(result.map.devices.value(port))));
        result.map.devices.insert(port, device);
    }
    return result;
}

QString usageText()
{
    return QStringLiteral("Usage: %1 [--com N=DEVICE]... [-platform NAME]\n"
                          "Sets up the VQ3360 customer pole display over a serial port.\n"
                          "\n"
                          "  --com N=DEVICE  use DEVICE for port COMN, N from 1 to %2; repeat it\n"
                          "                  for more ports. DEVICE is a path such as\n"
                          "                  /dev/ttyUSB0 or a pseudo-terminal; a bare name such\n"
                          "                  as ttyUSB0 means /dev/ttyUSB0. Without it COMN is\n"
                          "                  /dev/ttyS(N-1), so COM1 is /dev/ttyS0.\n"
                          "  -platform NAME  the window system to use, such as offscreen to run\n"
                          "                  without a display.\n"
                          "  -h, --help      show this help and exit.\n")
        .arg(programName())
        .arg(kMaxPortNumber);
}

} // namespace vq
