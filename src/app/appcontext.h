#pragma once

#include "app/module1.h"
#include "dialogs/boxes.h"
#include "serial/commport.h"

#include <functional>
#include <QPointer>

namespace vq {

class Formall;

// What lives for the whole process: the variables, the boxes, and the way to the port.
// The port belongs to the main window; windows that outlive it reach it only through here.
class AppContext {
public:
    AppContext(Module1& state, Boxes& boxes, PortFactory makePort);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Module1& state() { return m_state; }
    Boxes& boxes() { return m_boxes; }

    Formall* mainWindow() const { return m_main; }
    // Shows the main window, creating it anew (start-up included) when it was closed.
    Formall* showMainWindow();
    // The main window's port, or a port that is closed when there is no main window.
    CommPort& port();
    std::unique_ptr<CommPort> makePort() { return m_makePort(); }

    // What "End" does once the port is closed; tests replace it.
    void setEndHandler(std::function<void()> end) { m_end = std::move(end); }
    void endProcess();

private:
    Module1& m_state;
    Boxes& m_boxes;
    PortFactory m_makePort;
    QPointer<Formall> m_main;
    ClosedPort m_closed;
    std::function<void()> m_end;
};

} // namespace vq
