#include "app/mainops.h"
#include "fakeport.h"
#include "scriptedboxes.h"

#include <QTest>

using namespace vq;
using namespace vq::test;

class TstMainOps : public QObject {
    Q_OBJECT
private slots:
    void probe_data();
    void probe();
    void startupValues();
    void startupSkipsPortsAlreadyOpen();
    void presses_data();
    void presses();
    void failedOpen();
    void laterOpenKeepsLastOpenError();
};

void TstMainOps::probe_data()
{
    QTest::addColumn<QList<int>>("missing");
    QTest::addColumn<int>("held"); // a port held by another program, 0 for none
    QTest::newRow("all six") << QList<int>{} << 0;
    QTest::newRow("only COM1 and COM2") << QList<int>{3, 4, 5, 6} << 0;
    QTest::newRow("COM1 missing") << QList<int>{1} << 0;
    QTest::newRow("COM3 held, later ports still probed") << QList<int>{6} << 3;
    QTest::newRow("none") << QList<int>{1, 2, 3, 4, 5, 6} << 0;
}

void TstMainOps::probe()
{
    QFETCH(QList<int>, missing);
    QFETCH(int, held);
    FakePort port;
    for (int n : missing)
        port.failOpen(n, QStringLiteral("Invalid port number"));
    const QString heldText = QStringLiteral("COM%1 is in use by another program.").arg(held);
    if (held)
        port.failOpen(held, heldText, err::PortInUse);
    Module1 state;
    const StartupResult r = runStartup(port, state);

    for (int n = 1; n <= 6; ++n) {
        QVERIFY2(r.probe[n - 1].has_value(), qPrintable(QString::number(n)));
        const StatusText& row = *r.probe[n - 1];
        if (n == held)
            QCOMPARE(row, (StatusText{heldText, kRed}));
        else if (missing.contains(n))
            QCOMPARE(row, (StatusText{QStringLiteral("Invalid port number"), kRed}));
        else
            QCOMPARE(row, (StatusText{QStringLiteral("Enable"), kBlue}));
    }
    QVERIFY(!port.portOpen());
    QCOMPARE(port.commPort(), 1);
    QCOMPARE(state.PortNumber, 1);
    QVERIFY(port.writes.isEmpty());
    // Each port that opened was closed again before the next one was tried.
    QCOMPARE(port.events.count(QStringLiteral("close")), 6 - int(missing.size()) - (held ? 1 : 0));
}

void TstMainOps::startupValues()
{
    FakePort port;
    Module1 state;
    state.ClearCmd = "\x1f";
    state.BaudText = QStringLiteral("19200");
    const StartupResult r = runStartup(port, state);
    QCOMPARE(state.EmulationPrefix, QByteArray("\x02\x05\x43"));
    QCOMPARE(state.BaudText, QStringLiteral("9600"));
    QCOMPARE(state.FrameText, QStringLiteral("n,8,1"));
    QCOMPARE(state.PortSettings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(state.ClearCmd, QByteArray("\x0c"));
    QVERIFY(r.line.has_value());
    QCOMPARE(*r.line, (SettingsLine{QStringLiteral("9600,n,8,1"), QStringLiteral("Port : 1")}));
    QVERIFY(port.events.first().startsWith(QStringLiteral("open 1 9600,n,8,1")));
}

void TstMainOps::startupSkipsPortsAlreadyOpen()
{
    // A port left open (a second start-up on a live port) is skipped, and start-up ends with
    // it closed because the port number cannot change while it is open.
    FakePort port;
    port.setCommPort(4);
    port.setPortOpen(true);
    Module1 state;
    const StartupResult r = runStartup(port, state);
    for (const auto& row : r.probe)
        QVERIFY(!row.has_value());
    QVERIFY(!r.line.has_value());
    QVERIFY(!port.portOpen());
}

void TstMainOps::presses_data()
{
    QTest::addColumn<bool>("openBefore");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("openAfter");
    QTest::addColumn<QString>("line");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<int>("opens");
    QTest::newRow("closed, open press") << false << 0 << true << "Open" << kBlue << 1;
    QTest::newRow("open, open press") << true << 0 << true << "Open" << kBlue << 1;
    QTest::newRow("closed, close press") << false << 1 << false << "Close" << kRed << 0;
    QTest::newRow("open, close press") << true << 1 << false << "Close" << kRed << 1;
}

void TstMainOps::presses()
{
    QFETCH(bool, openBefore);
    QFETCH(int, index);
    QFETCH(bool, openAfter);
    QFETCH(QString, line);
    QFETCH(quint32, colour);
    QFETCH(int, opens);
    FakePort port;
    ScriptedBoxes boxes;
    port.setSettings(QStringLiteral("19200,E,7,1"));
    port.setCommPort(3);
    if (openBefore)
        port.setPortOpen(true);
    QString lastOpenError = QStringLiteral("earlier");
    const PressResult r = pressOpenClose(index, port, boxes, lastOpenError);
    QCOMPARE(port.portOpen(), openAfter);
    QVERIFY(r.openClose.has_value());
    QCOMPARE(*r.openClose, (StatusText{line, colour}));
    QCOMPARE(r.line, (SettingsLine{QStringLiteral("19200,e,7,1"), QStringLiteral("Port : 3")}));
    QCOMPARE(port.events.filter(QStringLiteral("open")).size(), opens);
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(lastOpenError, QStringLiteral("earlier"));
    QVERIFY(port.writes.isEmpty());
}

void TstMainOps::failedOpen()
{
    FakePort port;
    ScriptedBoxes boxes;
    port.failOpen(1, QStringLiteral("Invalid port number"));
    QString lastOpenError;
    const PressResult r = pressOpenClose(0, port, boxes, lastOpenError);
    QVERIFY(!r.openClose.has_value());
    QVERIFY(!port.portOpen());
    QCOMPARE(boxes.only(),
             (ShownBox{ShownBox::StandardOk, QStringLiteral("Error!!Invalid port number"), 0,
                       QStringLiteral("VQ3360")}));
    QCOMPARE(lastOpenError, QStringLiteral("Invalid port number"));
}

void TstMainOps::laterOpenKeepsLastOpenError()
{
    FakePort port;
    ScriptedBoxes boxes;
    port.failOpen(2, QStringLiteral("Invalid port number"));
    port.setCommPort(2);
    QString lastOpenError;
    pressOpenClose(0, port, boxes, lastOpenError);
    port.setCommPort(1);
    const PressResult r = pressOpenClose(0, port, boxes, lastOpenError);
    QVERIFY(port.portOpen());
    QCOMPARE(r.openClose->text, QStringLiteral("Open"));
    QCOMPARE(lastOpenError, QStringLiteral("Invalid port number"));
}

QTEST_GUILESS_MAIN(TstMainOps)
#include "tst_mainops.moc"
