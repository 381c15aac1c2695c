#pragma once

#include <functional>
#include <QTimer>

class QWidget;

namespace vq::test {

// Acts on the next modal box once it is up, while the code that opened it waits in it.
class WhenModal {
public:
    explicit WhenModal(std::function<void(QWidget*)> act);
    WhenModal(const WhenModal&) = delete;
    WhenModal& operator=(const WhenModal&) = delete;

    bool seen() const { return m_seen; }

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
    bool m_seen = false;
};

// Closes a box the way its close box would.
void dismiss(QWidget* box);

} // namespace vq::test
