#pragma once

#include "app/appcontext.h"
#include "app/formall.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <QAbstractButton>
#include <QTest>

namespace vq::test {

// A process context whose main windows get fake ports; the newest port stays reachable.
struct AppHarness {
    Module1 state;
    ScriptedBoxes boxes;
    FakePort* port = nullptr;  // dangles once its main window is gone: check `written` then
    QList<QByteArray> written; // every write of every port made
    QList<int> missing;        // ports whose open fails with "Invalid port number"
    int portsMade = 0;
    int ends = 0; // "End" presses
    AppContext ctx{state, boxes, [this] {
                       auto p = std::make_unique<FakePort>();
                       p->log = &written;
                       for (int n : missing)
                           p->failOpen(n, QStringLiteral("Invalid port number"));
                       port = p.get();
                       ++portsMade;
                       return p;
                   }};

    AppHarness()
    {
        ctx.setEndHandler([this] { ++ends; });
    }
};

// Clicks where an operator would, on the caption rather than the middle of a wide button.
inline void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

} // namespace vq::test
