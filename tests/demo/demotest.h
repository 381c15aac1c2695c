#pragma once

#include "app/appcontext.h"
#include "app/formall.h"
#include "appharness.h"
#include "demo/datasave.h"
#include "fakeport.h"
#include "shownbox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

namespace vq::test {

struct Harness : AppHarness {
    // The demo window outlives main windows, not the context it writes through.
    ~Harness() { delete DATASAVE::instance(); }

    Formall* openMain(bool portOpen)
    {
        Formall* w = ctx.showMainWindow();
        if (portOpen)
            w->Command1_Click(0);
        boxes.shown.clear();
        return w;
    }
    void closeMain()
    {
        ctx.mainWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        port = nullptr;
    }
};

struct Press {
    int key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    QString text = {};
};

inline void press(QWidget* target, const Press& p)
{
    QKeyEvent down(QEvent::KeyPress, p.key, p.mods, p.text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, p.key, p.mods, p.text);
    QApplication::sendEvent(target, &up);
}

inline void type(QWidget* target, const QString& text)
{
    for (const QChar c : text)
        press(target, {c.toUpper().unicode(), Qt::NoModifier, QString(c)});
}

} // namespace vq::test

Q_DECLARE_METATYPE(vq::test::Press)
