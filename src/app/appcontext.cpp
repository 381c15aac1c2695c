#include "app/appcontext.h"

#include "app/formall.h"

#include <QCoreApplication>

namespace vq {

AppContext::AppContext(Module1& state, Boxes& boxes, PortFactory makePort)
    : m_state(state), m_boxes(boxes), m_makePort(std::move(makePort)),
      m_end([] { QCoreApplication::exit(0); })
{
}

AppContext::~AppContext()
{
    delete m_main.data();
}

Formall* AppContext::showMainWindow()
{
    if (!m_main)
        m_main = new Formall(*this);
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
    return m_main;
}

CommPort& AppContext::port()
{
    return m_main ? m_main->Comm1() : m_closed;
}

void AppContext::endProcess()
{
    m_end();
}

} // namespace vq
