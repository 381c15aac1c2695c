#pragma once

#include "scriptedboxes.h"
#include "serial/portmap.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QString>
#include <QTest>

namespace vq {
class Formall;
}

namespace vq::test {

// Bytes written the way the tables write them: "02 05 43 33 03".
inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}
inline QString hexOf(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Clicks where an operator would: on the caption, which an option button needs.
inline void click(QAbstractButton* button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Key by key, as a keyboard gives them: the key code is the character's upper case.
inline void typeInto(QWidget* target, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

// Runs the event loop for a while and returns the share of a core it used: a loop spinning on
// a dead device uses most of one, an idle one next to nothing.
double busyShare(int ms = 600);
// Descriptors of this process open on the device, found through /proc.
int handlesOn(const QString& device);

// A label's text and colour, as the operator reads them: "Close #ff0000".
QString look(Formall* w, const char* name, int index);

// COM1 on `com1`; COM2 to COM6 on paths in the folder `absent` that nobody creates.
PortMap portMap(const QByteArray& com1, const QString& absent);

// Whether `shown` is `whole` cut to fit: a head of it, then "…", cut before a blank or after a
// slash so no word is split.
bool cutToFit(const QString& shown, const QString& whole);

inline char* toString(const ShownBox& b)
{
    return QTest::toString(
        QStringLiteral("[%1] %2 | %3 | %4").arg(b.kind).arg(b.text).arg(b.typeCode).arg(b.title));
}

} // namespace vq::test
