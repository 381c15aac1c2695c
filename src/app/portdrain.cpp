#include "app/portdrain.h"

#include "shared/boxes.h"

#include <algorithm>
#include <limits>
#include <QApplication>
#include <QProgressDialog>
#include <QWindow>

namespace vq {

namespace {

constexpr int kShowAfterMs = 300;

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

DrainView::DrainView(QWidget* parent) : m_parent(parent)
{
    m_waited.start();
    qApp->installEventFilter(this);
}

DrainView::~DrainView()
{
    qApp->removeEventFilter(this);
    delete m_progress.data();
}

bool DrainView::look(qint64 left)
{
    QCoreApplication::processEvents();
    if (m_total < 0)
        m_total = left;
    if (!m_progress && m_waited.elapsed() >= kShowAfterMs) {
        m_progress = new QProgressDialog(m_parent);
        m_progress->setWindowTitle(kAppTitle);
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setCancelButtonText(QStringLiteral("Close now"));
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setRange(0, int(std::min<qint64>(m_total, std::numeric_limits<int>::max())));
    }
    if (m_progress) {
        m_progress->setLabelText(QStringLiteral("Sending to the display: %1 bytes left").arg(left));
        m_progress->setValue(int(std::clamp<qint64>(m_total - left, 0, m_progress->maximum())));
        m_progress->show();
    }
    return !m_cut && !(m_progress && m_progress->wasCanceled());
}

bool DrainView::eventFilter(QObject* watched, QEvent* event)
{
    if (!isInput(event->type()))
        return false;
    if (!m_progress)
        return true;
    // Its window first, then its widgets.
    auto* widget = qobject_cast<QWidget*>(watched);
    return watched != m_progress->windowHandle() &&
           !(widget && (widget == m_progress || m_progress->isAncestorOf(widget)));
}

} // namespace vq
