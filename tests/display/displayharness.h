#pragma once

#include "app/appcontext.h"
#include "app/formall.h"
#include "appharness.h"
#include "display/formbaud.h"
#include "display/formint.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <memory>
#include <QCoreApplication>
#include <QEvent>

namespace vq::test {

// Byte tables read as in the protocol notes: "02 05 43 33 03".
inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Main windows get fake ports; the modeless dialogs are not owned by them.
struct Harness : AppHarness {
    ~Harness()
    {
        delete FormBaud::instance();
        delete FormInt::instance();
    }

    Formall* openMain()
    {
        Formall* w = ctx.showMainWindow();
        w->Command1_Click(0);
        return w;
    }
};

// Each box shown as "<kind> <type code> <title>: <text>", so comparisons read well.
inline QStringList shownBoxes(const ScriptedBoxes& boxes)
{
    static const char* const kinds[] = {"ShowMessage", "ShowInput", "standardOk", "standardYesNo"};
    QStringList lines;
    for (const ShownBox& b : boxes.shown)
        lines << QStringLiteral("%1 %2 %3: %4")
                     .arg(kinds[b.kind])
                     .arg(b.typeCode)
                     .arg(b.title, b.text);
    return lines;
}

// Lets windows closed with delete-on-close actually go.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace vq::test
