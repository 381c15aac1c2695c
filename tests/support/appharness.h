#pragma once

#include "app/appcontext.h"
#include "app/formall.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QRadioButton>
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

// Option button n ("Option<n>") of a window built from its control table.
template <class Window> QRadioButton* option(Window* w, int n)
{
    return w->controls().template get<QRadioButton>(QStringLiteral("Option%1").arg(n));
}

// The numbers of the options among 1..count that are selected.
template <class Window> QList<int> checkedOptions(Window* w, int count = 14)
{
    QList<int> on;
    for (int n = 1; n <= count; ++n) {
        if (option(w, n)->isChecked())
            on << n;
    }
    return on;
}

template <class Window> void clickNamed(Window* w, const char* name)
{
    click(w->controls().template get<QPushButton>(QString::fromUtf8(name)));
}

} // namespace vq::test
