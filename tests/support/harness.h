#pragma once

#include "app/formall.h"
#include "dialogs/widgetboxes.h"
#include "display/session.h"
#include "scriptedboxes.h"
#include "serial/portmap.h"
#include "shared/appcontext.h"

#include <memory>

namespace vq::test {

// One utility process on the test's terms. Without a port map its main windows get fake ports
// that log every write; with one, real ports on the devices it names.
// Scripted boxes unless the test drives the real ones.
class Harness {
public:
    enum BoxKind { Scripted, Real };
    explicit Harness(BoxKind kind = Scripted);
    explicit Harness(const PortMap& map, BoxKind kind = Scripted);
    ~Harness();
    Q_DISABLE_COPY(Harness)

    Module1 state;
    DisplaySession session;
    ScriptedBoxes boxes;
    QList<QByteArray> written; // every write of every fake port made
    QList<int> missing;        // fake ports whose open fails with "Invalid port number"
    int portsMade = 0;
    int ends = 0; // "End" presses

    AppContext& ctx() { return *m_ctx; }
    Formall* start() { return static_cast<Formall*>(m_ctx->showMainWindow()); }
    Formall* main() const { return static_cast<Formall*>(m_ctx->mainWindow()); }

private:
    void make(PortFactory ports, BoxKind kind);

    std::unique_ptr<WidgetBoxes> m_real;
    std::unique_ptr<AppContext> m_ctx;
};

} // namespace vq::test
