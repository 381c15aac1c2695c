#include "app/portdrain.h"

#include "serial/drain.h"
#include "shared/boxes.h"

#include <limits>
#include <QElapsedTimer>
#include <QProgressDialog>

namespace vq {

namespace {
constexpr int kShowAfterMs = 300;
} // namespace

qint64 drainBeforeClose(CommPort& port, QWidget* parent)
{
    const qint64 total = port.bytesPending();
    if (total == 0)
        return 0;
    QProgressDialog progress(parent);
    progress.setWindowTitle(kAppTitle);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButtonText(QStringLiteral("Close now"));
    progress.setMinimumDuration(std::numeric_limits<int>::max()); // shown below, past a moment
    progress.setAutoClose(false);
    progress.setRange(0, int(std::min<qint64>(total, std::numeric_limits<int>::max())));
    QElapsedTimer waited;
    waited.start();
    return drainOrDiscard(port, [&](qint64 left) {
        progress.setLabelText(QStringLiteral("Sending to the display: %1 bytes left").arg(left));
        progress.setValue(int(std::min(total - left, qint64(progress.maximum()))));
        if (!progress.isVisible() && waited.elapsed() >= kShowAfterMs)
            progress.show();
        return !progress.wasCanceled();
    });
}

} // namespace vq
