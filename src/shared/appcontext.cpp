#include "shared/appcontext.h"

#include <QCoreApplication>

namespace vq {

void bringToFront(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

AppContext::AppContext(Module1& state, DisplaySession& session, Boxes& boxes, PortFactory makePort,
                       WindowFactory makeMain)
    : m_state(state), m_session(session), m_boxes(boxes), m_makePort(std::move(makePort)),
      m_makeMain(std::move(makeMain)), m_end([] { QCoreApplication::exit(0); })
{
}

// The windows hold this context, so none may outlive it; the main window goes last, as its
// port drains on close.
AppContext::~AppContext()
{
    QPointer<QWidget> main = mainWindow();
    for (const auto& [kind, w] : m_windows) {
        if (w != main)
            delete w.data();
    }
    delete main.data();
}

QWidget* AppContext::showOne(std::type_index kind, const std::function<QWidget*()>& make)
{
    QPointer<QWidget>& slot = m_windows[kind];
    if (!slot)
        slot = make();
    bringToFront(slot);
    return slot;
}

QWidget* AppContext::open(std::type_index kind) const
{
    const auto it = m_windows.find(kind);
    return it == m_windows.end() ? nullptr : it->second.data();
}

QWidget* AppContext::showMainWindow()
{
    return showOne(typeid(MainWindow), [this] { return m_makeMain(*this); });
}

void AppContext::endProcess()
{
    m_end();
}

} // namespace vq
