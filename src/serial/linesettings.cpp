#include "serial/linesettings.h"

#include <algorithm>
#include <array>
#include <limits>
#include <QStringList>

namespace vq {

namespace {
constexpr std::array kBauds{110,  300,   600,   1200,  2400,  4800,
                            9600, 14400, 19200, 38400, 57600, 115200};
}

QString LineSettings::toString() const
{
    const char* stop = stopBits == StopBits::One ? "1" : stopBits == StopBits::Two ? "2" : "1.5";
    return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(QChar(parity)).arg(dataBits).arg(stop);
}

double LineSettings::frameBits() const
{
    const double stop = stopBits == StopBits::One ? 1 : stopBits == StopBits::OneAndHalf ? 1.5 : 2;
    return 1 + dataBits + (parity == 'n' ? 0 : 1) + stop;
}

qint64 LineSettings::lineTimeMs(qint64 bytes) const
{
    // In half bits, for 1.5 stop bits; rounded up, as a wait must not end early.
    const int stopHalves = stopBits == StopBits::One ? 2 : stopBits == StopBits::OneAndHalf ? 3 : 4;
    const qint64 halfBits = 2 * (1 + dataBits + (parity == 'n' ? 0 : 1)) + stopHalves;
    const qint64 per = 2LL * baud;
    return (bytes * halfBits * 1000 + per - 1) / per;
}

int LineSettings::drainBoundMs(qint64 bytes) const
{
    return int(std::min<qint64>(lineTimeMs(bytes) + 1000, std::numeric_limits<int>::max()));
}

std::optional<LineSettings> LineSettings::parse(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    LineSettings s;
    bool ok = false;
    s.baud = parts[0].toInt(&ok);
    if (!ok || parts[0] != QString::number(s.baud) ||
        std::find(kBauds.begin(), kBauds.end(), s.baud) == kBauds.end())
        return std::nullopt;
    if (parts[1].size() != 1 || !QStringLiteral("neoms").contains(parts[1].toLower()))
        return std::nullopt;
    s.parity = parts[1].toLower().at(0).toLatin1();
    if (parts[2].size() != 1 || parts[2] < u"5" || parts[2] > u"8")
        return std::nullopt;
    s.dataBits = parts[2].toInt();
    if (parts[3] == u"1")
        s.stopBits = StopBits::One;
    else if (parts[3] == u"1.5")
        s.stopBits = StopBits::OneAndHalf;
    else if (parts[3] == u"2")
        s.stopBits = StopBits::Two;
    else
        return std::nullopt;
    return s;
}

} // namespace vq
