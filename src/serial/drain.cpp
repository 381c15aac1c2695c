#include "serial/drain.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace vq {

namespace {
constexpr int kLookMs = 10;
} // namespace

qint64 drainOrDiscard(CommPort& port, const std::function<bool(qint64)>& look)
{
    const qint64 total = port.bytesPending();
    if (total == 0)
        return 0;
    const auto line = LineSettings::parse(port.settings());
    const QDeadlineTimer deadline(line.value_or(LineSettings{}).drainBoundMs(total));
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 left = port.bytesPending();
        if (left == 0 || deadline.hasExpired() || (look && !look(left)))
            loop.quit();
    });
    tick.start(kLookMs);
    loop.exec();
    const qint64 left = port.bytesPending();
    if (left > 0)
        port.discardPending();
    return left;
}

QString notSentText(qint64 bytes)
{
    return QStringLiteral("%1 bytes were not sent: the display did not take them").arg(bytes);
}

} // namespace vq
