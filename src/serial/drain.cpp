#include "serial/drain.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace vq {

namespace {
constexpr int kLookMs = 10;
} // namespace

qint64 waitForPending(CommPort& port, const std::function<bool(qint64)>& look)
{
    const qint64 total = port.portOpen() ? port.bytesPending() : 0;
    if (total == 0)
        return 0;
    const auto line = LineSettings::parse(port.settings());
    const QDeadlineTimer deadline(line.value_or(LineSettings{}).drainBoundMs(total));
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 left = port.portOpen() ? port.bytesPending() : 0;
        if (left == 0 || deadline.hasExpired() || (look && !look(left)))
            loop.quit();
    });
    tick.start(kLookMs);
    loop.exec();
    return port.portOpen() ? port.bytesPending() : 0;
}

} // namespace vq
