#include "modal.h"

#include <QApplication>
#include <QDialog>

namespace vq::test {

WhenModal::WhenModal(std::function<void(QWidget*)> act) : m_act(std::move(act))
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible())
            return;
        m_timer.stop();
        m_seen = true;
        m_act(box);
    });
    m_timer.start(5);
}

void dismiss(QWidget* box)
{
    if (auto* dialog = qobject_cast<QDialog*>(box))
        dialog->reject();
    else
        box->close();
}

} // namespace vq::test
