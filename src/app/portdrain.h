#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QProgressDialog;
class QWidget;

namespace vq {

// What the windows show while a close waits for the bytes still on their way: they keep
// painting; past a moment a progress dialog shows the bytes left and lets the operator cut the
// wait short with "Close now". Until the close is over, no key or click reaches any window but
// that dialog, so nothing new is asked of a port that is closing.
class DrainView : public QObject {
public:
    explicit DrainView(QWidget* parent);
    ~DrainView() override;
    Q_DISABLE_COPY(DrainView)

    // The port's drain watch: turns the event loop once; false once the wait is to end.
    bool look(qint64 left);
    void cutShort() { m_cut = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_parent;
    QPointer<QProgressDialog> m_progress;
    QElapsedTimer m_waited;
    qint64 m_total = -1;
    bool m_cut = false;
};

} // namespace vq
