#pragma once

#include <functional>
#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace vq::test {

// Acts on the next modal box once it is up, while the code that opened it waits in it.
class WhenModal {
public:
    explicit WhenModal(std::function<void(QWidget*)> act) : m_act(std::move(act))
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
    Q_DISABLE_COPY(WhenModal)

    bool seen() const { return m_seen; }

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
    bool m_seen = false;
};

// Closes a box the way its close box would.
inline void dismiss(QWidget* box)
{
    if (auto* dialog = qobject_cast<QDialog*>(box))
        dialog->reject();
    else
        box->close();
}

} // namespace vq::test
