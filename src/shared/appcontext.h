#pragma once

#include "serial/commport.h"
#include "shared/boxes.h"
#include "shared/module1.h"

#include <functional>
#include <QPointer>
#include <QWidget>
#include <typeindex>
#include <unordered_map>

namespace vq {

struct DisplaySession; // display/session.h: the windows' session with the display

// Brings a shown window to the front and gives it the focus.
void bringToFront(QWidget* window);

// What lives for the whole process: the variables, the boxes, the way to the port and the
// windows of which there is at most one. The port belongs to the main window; windows that
// outlive it reach it only through here.
class AppContext {
public:
    using WindowFactory = std::function<QWidget*(AppContext&)>;

    AppContext(Module1& state, DisplaySession& session, Boxes& boxes, PortFactory makePort,
               WindowFactory makeMain);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Module1& state() { return m_state; }
    DisplaySession& session() { return m_session; }
    Boxes& boxes() { return m_boxes; }

    // Shows the main window, creating it anew (start-up included) when it was closed.
    QWidget* showMainWindow();
    QWidget* mainWindow() const { return open(typeid(MainWindow)); }

    // The main window's port while it lives, otherwise a port that is closed.
    CommPort& port() { return m_mainPort && mainWindow() ? *m_mainPort : m_closed; }
    std::unique_ptr<CommPort> makePort() { return m_makePort(); }
    // Called by the main window with the port it owns, and with null as it goes.
    void setMainPort(CommPort* port) { m_mainPort = port; }

    // The one open window of kind W: brought to the front, or made by make() and shown.
    template <class W, class Make> W* showOne(Make make)
    {
        return static_cast<W*>(showOne(typeid(W), [&]() -> QWidget* { return make(); }));
    }
    // The open window of kind W, or null.
    template <class W> W* window() const { return static_cast<W*>(open(typeid(W))); }

    // What "End" does once the port is closed; tests replace it.
    void setEndHandler(std::function<void()> end) { m_end = std::move(end); }
    void endProcess();

private:
    struct MainWindow {};
    QWidget* showOne(std::type_index kind, const std::function<QWidget*()>& make);
    QWidget* open(std::type_index kind) const;

    Module1& m_state;
    DisplaySession& m_session;
    Boxes& m_boxes;
    PortFactory m_makePort;
    WindowFactory m_makeMain;
    std::unordered_map<std::type_index, QPointer<QWidget>> m_windows;
    CommPort* m_mainPort = nullptr;
    ClosedPort m_closed;
    std::function<void()> m_end;
};

} // namespace vq
