#include "app/portdrain.h"

#include "shared/boxes.h"

#include <limits>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

namespace vq {

namespace {
constexpr int kTickMs = 50;
constexpr int kShowAfterMs = 300;
} // namespace

qint64 drainBeforeClose(CommPort& port, QWidget* parent)
{
    const qint64 total = port.portOpen() ? port.bytesPending() : 0;
    if (total == 0)
        return 0;
    const auto line = LineSettings::parse(port.settings());
    const QDeadlineTimer deadline(line.value_or(LineSettings{}).drainBoundMs(total));

    QProgressDialog progress(parent);
    progress.setWindowTitle(kAppTitle);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButtonText(QStringLiteral("Close now"));
    progress.setMinimumDuration(std::numeric_limits<int>::max()); // shown by the timer below
    progress.setAutoClose(false);
    progress.setRange(0, int(std::min<qint64>(total, std::numeric_limits<int>::max())));
    QEventLoop loop;
    QTimer tick;
    const auto update = [&] {
        const qint64 left = port.bytesPending();
        progress.setLabelText(QStringLiteral("Sending to the display: %1 bytes left").arg(left));
        progress.setValue(int(std::min(total - left, qint64(progress.maximum()))));
        if (left == 0 || deadline.hasExpired() || progress.wasCanceled())
            loop.quit();
    };
    QObject::connect(&tick, &QTimer::timeout, &loop, update);
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    QTimer::singleShot(kShowAfterMs, &progress, &QProgressDialog::show);
    tick.start(kTickMs);
    if (port.bytesPending() > 0)
        loop.exec();

    const qint64 dropped = port.portOpen() ? port.bytesPending() : 0;
    if (dropped > 0)
        port.discardPending();
    return dropped;
}

} // namespace vq
