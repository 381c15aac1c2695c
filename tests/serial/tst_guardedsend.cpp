#include "fakeport.h"
#include "scriptedboxes.h"
#include "serial/guardedsend.h"

#include <QTest>

using namespace vq;
using vq::test::FakePort;
using vq::test::ScriptedBoxes;
using vq::test::ShownBox;

class TestGuardedSend : public QObject {
    Q_OBJECT

private slots:
    void refusesWhileClosed_data();
    void refusesWhileClosed();
    void sendsWholeCommandWhenOpen();
    void writeFailureReported_data();
    void writeFailureReported();
    void reportWriteFailure_data();
    void reportWriteFailure();
    void toDisplayBytes_data();
    void toDisplayBytes();
};

void TestGuardedSend::refusesWhileClosed_data()
{
    QTest::addColumn<QString>("given"); // empty: the usual refusal
    QTest::addColumn<QString>("shown");
    QTest::newRow("usual") << QString() << "Port not open...,please open the port first";
    QTest::newRow("short text") << "Port not open..."
                                << "Port not open...";
}

void TestGuardedSend::refusesWhileClosed()
{
    QFETCH(QString, given);
    QFETCH(QString, shown);
    FakePort port;
    ScriptedBoxes boxes;
    const bool sent = given.isEmpty() ? guardedSend(port, boxes, "\x02\x05\x07\x31\x03")
                                      : guardedSend(port, boxes, "\x02\x05\x07\x31\x03", given);
    QVERIFY(!sent);
    QCOMPARE(boxes.only(), (ShownBox{ShownBox::Message, shown, 4, QStringLiteral("message")}));
    QVERIFY(port.writes.isEmpty());
    QVERIFY(port.events.isEmpty()); // no attempt to open
}

void TestGuardedSend::sendsWholeCommandWhenOpen()
{
    FakePort port;
    ScriptedBoxes boxes;
    port.setPortOpen(true);
    const QByteArray command("\x02\x05\x43\x33\x03", 5);
    QVERIFY(guardedSend(port, boxes, command));
    QCOMPARE(port.writes, QList<QByteArray>{command});
    QVERIFY(boxes.shown.isEmpty());
}

void TestGuardedSend::writeFailureReported_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("stillOpen");
    QTest::newRow("device gone") << err::DeviceUnavailable << "Device unavailable!"
                                 << "Error" << false;
    QTest::newRow("closed meanwhile")
        << err::PortNotOpen << "Port not open...,please open the port first"
        << "message" << true;
    QTest::newRow("anything else") << err::PortInUse << "scripted failure 8010"
                                   << "Error" << true;
}

void TestGuardedSend::writeFailureReported()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(bool, stillOpen);
    FakePort port;
    ScriptedBoxes boxes;
    port.setPortOpen(true);
    port.failNextWrites(number);
    QVERIFY(!guardedSend(port, boxes, "abc"));
    QCOMPARE(boxes.only(), (ShownBox{ShownBox::Message, text, 4, title}));
    QCOMPARE(port.portOpen(), stillOpen);
    QVERIFY(port.writes.isEmpty());
}

void TestGuardedSend::reportWriteFailure_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("68") << err::DeviceUnavailable << "Device unavailable"
                        << "Device unavailable!"
                        << "Error";
    QTest::newRow("8018") << err::PortNotOpen << "Operation valid only when the port is open"
                          << "Port not open...,please open the port first"
                          << "message";
    QTest::newRow("8015 verbatim") << err::SettingsRefused << "COM1 refused the settings."
                                   << "COM1 refused the settings."
                                   << "Error";
}

void TestGuardedSend::reportWriteFailure()
{
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(QString, text);
    QFETCH(QString, title);
    ScriptedBoxes boxes;
    vq::reportWriteFailure(boxes, CommError(number, description));
    QCOMPARE(boxes.only(), (ShownBox{ShownBox::Message, text, 4, title}));
}

void TestGuardedSend::toDisplayBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << "Total 12.50" << QByteArray("Total 12.50");
    QTest::newRow("nul and controls")
        << QString::fromUtf16(u"\u0000\u0002\u000c\u001f", 4) << QByteArray("\x00\x02\x0c\x1f", 4);
    QTest::newRow("latin-1 top half")
        << QString::fromUtf16(u"\u00a3\u00e9\u00ff") << QByteArray("\xa3\xe9\xff");
    QTest::newRow("beyond latin-1") << QString::fromUtf16(u"a\u20acb\u0100") << QByteArray("a?b?");
    QTest::newRow("surrogate pair is one character")
        << QString::fromUtf16(u"x\U0001F600y") << QByteArray("x?y");
    QTest::newRow("lone surrogate") << QString::fromUtf16(u"x\xd800y", 3) << QByteArray("x?y");
}

void TestGuardedSend::toDisplayBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(vq::toDisplayBytes(text), bytes);
}

QTEST_APPLESS_MAIN(TestGuardedSend)
#include "tst_guardedsend.moc"
