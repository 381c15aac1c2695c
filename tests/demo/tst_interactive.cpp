#include "demo/interactive.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <QTest>

using namespace vq;
using namespace vq::test;

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class TstInteractive : public QObject {
    Q_OBJECT
private slots:
    void typedBytes_data();
    void typedBytes();
    void sends_data();
    void sends();
};

void TstInteractive::typedBytes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected"); // empty: no character typed
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier,
                                shift = Qt::ShiftModifier;
    const auto hex = [](const char* h) { return QByteArray::fromHex(h); };

    QTest::newRow("a") << int(Qt::Key_A) << none << "a" << hex("61");
    QTest::newRow("Shift+a") << int(Qt::Key_A) << shift << "A" << hex("41");
    QTest::newRow("space") << int(Qt::Key_Space) << none << " " << hex("20");
    QTest::newRow("keypad 5") << int(Qt::Key_5) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "5"
                              << hex("35");
    QTest::newRow("Return") << int(Qt::Key_Return) << none << "\r" << hex("0D");
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << "\r" << hex("0D");
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << "\b" << hex("08");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << "\x1b" << hex("1B");
    QTest::newRow("Ctrl+A as X gives it") << int(Qt::Key_A) << ctrl << "\x01" << hex("01");
    QTest::newRow("Ctrl+A with its letter") << int(Qt::Key_A) << ctrl << "a" << hex("01");
    QTest::newRow("Ctrl+Z without text") << int(Qt::Key_Z) << ctrl << "" << hex("1A");
    QTest::newRow("Ctrl+Shift+C") << int(Qt::Key_C) << (ctrl | shift) << "C" << hex("03");
    QTest::newRow("Ctrl+@") << int(Qt::Key_At) << (ctrl | shift) << "@" << hex("00");
    QTest::newRow("Ctrl+[") << int(Qt::Key_BracketLeft) << ctrl << "\x1b" << hex("1B");
    QTest::newRow("Ctrl+_") << int(Qt::Key_Underscore) << (ctrl | shift) << "_" << hex("1F");
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << ctrl << "\r" << hex("0A");
    QTest::newRow("Ctrl+Backspace") << int(Qt::Key_Backspace) << ctrl << "\b" << hex("7F");
    QTest::newRow("Ctrl+1 types nothing") << int(Qt::Key_1) << ctrl << "1" << QByteArray();
    QTest::newRow("Ctrl+Left") << int(Qt::Key_Left) << ctrl << "" << QByteArray();
    QTest::newRow("Left") << int(Qt::Key_Left) << none << "" << QByteArray();
    QTest::newRow("Delete with X's 7F") << int(Qt::Key_Delete) << none << "\x7f" << QByteArray();
    QTest::newRow("F5") << int(Qt::Key_F5) << none << "" << QByteArray();
    QTest::newRow("Home") << int(Qt::Key_Home) << none << "" << QByteArray();
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << "\t" << QByteArray();
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << shift << "" << QByteArray();
    QTest::newRow("e acute") << int(Qt::Key_Eacute) << none << QString::fromUtf8("é") << hex("E9");
    QTest::newRow("euro") << int(Qt::Key_unknown) << none << QString::fromUtf8("€") << hex("3F");
    QTest::newRow("unnamed key with text") << 0 << none << "x" << hex("78");
}

void TstInteractive::typedBytes()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(vq::typedBytes(key, mods, text).toHex(' '), expected.toHex(' '));
}

void TstInteractive::sends_data()
{
    QTest::addColumn<QString>("state"); // open, closed, gone
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QByteArray>("clearCmd");
    QTest::addColumn<QByteArray>("expected"); // the one write, or none when empty
    QTest::addColumn<QString>("message");     // shown once, or none when empty
    const auto hex = [](const char* h) { return QByteArray::fromHex(h); };
    const QString refused = QStringLiteral("Port not open...,please open the port first|message");
    const QString gone = QStringLiteral("Device unavailable!|Error");

    QTest::newRow("typed") << "open" << false << QByteArray() << hex("61") << QString();
    QTest::newRow("typed, closed") << "closed" << false << QByteArray() << QByteArray() << refused;
    QTest::newRow("typed, device gone") << "gone" << false << QByteArray() << QByteArray() << gone;
    QTest::newRow("clear, start value") << "open" << true << hex("0C") << hex("0C0D") << QString();
    QTest::newRow("clear, empty") << "open" << true << QByteArray() << hex("0D") << QString();
    QTest::newRow("clear, six bytes")
        << "open" << true << hex("040143315817") << hex("0401433158170D") << QString();
    QTest::newRow("clear, closed") << "closed" << true << hex("0C") << QByteArray() << refused;
    QTest::newRow("clear, device gone") << "gone" << true << hex("0C") << QByteArray() << gone;
}

void TstInteractive::sends()
{
    QFETCH(QString, state);
    QFETCH(bool, clear);
    QFETCH(QByteArray, clearCmd);
    QFETCH(QByteArray, expected);
    QFETCH(QString, message);

    FakePort port;
    ScriptedBoxes boxes;
    if (state != QLatin1String("closed"))
        port.setPortOpen(true);
    if (state == QLatin1String("gone"))
        port.loseDevice();
    const bool sent = clear ? sendClear(port, boxes, clearCmd) : sendTyped(port, boxes, 'a');

    QCOMPARE(sent, !expected.isEmpty());
    QCOMPARE(port.writes, sent ? QList<QByteArray>{expected} : QList<QByteArray>());
    QStringList shown;
    for (const ShownBox& b : boxes.shown)
        shown << QStringLiteral("%1|%2").arg(b.text, b.title);
    QCOMPARE(shown, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(port.portOpen(), state == QLatin1String("open"));
}

QTEST_GUILESS_MAIN(TstInteractive)
#include "tst_interactive.moc"
