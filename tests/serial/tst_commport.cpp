#include "fakeport.h"
#include "serial/commport.h"

#include <QTest>

using namespace vq;
using vq::test::FakePort;

namespace {

template <typename F> CommError failureOf(F&& access)
{
    try {
        access();
    } catch (const CommError& e) {
        return e;
    }
    return {0, QStringLiteral("(no failure)")};
}

} // namespace

class TestCommPort : public QObject {
    Q_OBJECT

private slots:
    void startsClosedOnComOneAt9600();
    void settings_data();
    void settings();
    void commPortRange_data();
    void commPortRange();
    void commPortWhileOpen_data();
    void commPortWhileOpen();
    void openTwiceRefused();
    void openUsesPortAndSettings();
    void openFailurePassesThrough();
    void closeOnlyWhenOpen();
    void settingsWhileOpenApplyAtOnce();
    void refusedSettingsWhileOpenKeepPrevious();
    void outputWhileClosed();
    void outputGoesOutWhole();
    void lostDeviceReportedOnce_data();
    void lostDeviceReportedOnce();
    void otherWriteFailureKeepsPortOpen();
    void closedPortStandIn_data();
    void closedPortStandIn();
};

void TestCommPort::startsClosedOnComOneAt9600()
{
    FakePort port;
    QCOMPARE(port.commPort(), qint16(1));
    QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(!port.portOpen());
    QVERIFY(port.events.isEmpty());
}

void TestCommPort::settings_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("readBack"); // empty: refused with 380
    const char* rows[][2] = {
        {"19200,e,7,1", "19200,e,7,1"},
        {"4800,O,8,2", "4800,o,8,2"},
        {"1200,M,8,1.5", "1200,m,8,1.5"},
        {"57600,s,6,1", "57600,s,6,1"},
        {"9601,n,8,1", ""},
        {"9600,x,8,1", ""},
        {"9600,n,9,1", ""},
        {"9600,n,8,3", ""},
        {"9600,n,8", ""},
        {"", ""},
    };
    for (const auto& r : rows)
        QTest::addRow("\"%s\"", r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
}

void TestCommPort::settings()
{
    QFETCH(QString, given);
    QFETCH(QString, readBack);
    FakePort port;
    port.setSettings(QStringLiteral("38400,n,8,2"));
    if (readBack.isEmpty()) {
        const CommError e = failureOf([&] { port.setSettings(given); });
        QCOMPARE(e.number(), err::InvalidPropertyValue);
        QCOMPARE(e.description(), QStringLiteral("Invalid property value"));
        QCOMPARE(port.settings(), QStringLiteral("38400,n,8,2"));
    } else {
        port.setSettings(given);
        QCOMPARE(port.settings(), readBack);
    }
    QVERIFY(port.events.isEmpty()); // a closed port touches no device
}

void TestCommPort::commPortRange_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1") << 1 << true;
    QTest::newRow("6") << 6 << true;
    QTest::newRow("16") << 16 << true;
    QTest::newRow("0") << 0 << false;
    QTest::newRow("17") << 17 << false;
    QTest::newRow("-1") << -1 << false;
    QTest::newRow("32767") << 32767 << false;
}

void TestCommPort::commPortRange()
{
    QFETCH(int, given);
    QFETCH(bool, accepted);
    FakePort port;
    port.setCommPort(2);
    if (accepted) {
        port.setCommPort(qint16(given));
        QCOMPARE(port.commPort(), qint16(given));
    } else {
        const CommError e = failureOf([&] { port.setCommPort(qint16(given)); });
        QCOMPARE(e.number(), err::InvalidPortNumber);
        QCOMPARE(e.description(), QStringLiteral("Invalid port number"));
        QCOMPARE(port.commPort(), qint16(2));
    }
}

void TestCommPort::commPortWhileOpen_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("number"); // 0: accepted
    QTest::newRow("same number") << 3 << 0;
    QTest::newRow("other number") << 4 << err::PortAlreadyOpen;
    QTest::newRow("out of range") << 17 << err::InvalidPortNumber;
}

void TestCommPort::commPortWhileOpen()
{
    QFETCH(int, given);
    QFETCH(int, number);
    FakePort port;
    port.setCommPort(3);
    port.setPortOpen(true);
    const CommError e = failureOf([&] { port.setCommPort(qint16(given)); });
    QCOMPARE(e.number(), number);
    if (number == err::PortAlreadyOpen)
        QCOMPARE(e.description(), QStringLiteral("Port already open"));
    QCOMPARE(port.commPort(), qint16(3));
    QVERIFY(port.portOpen());
}

void TestCommPort::openTwiceRefused()
{
    FakePort port;
    port.setPortOpen(true);
    const CommError e = failureOf([&] { port.setPortOpen(true); });
    QCOMPARE(e.number(), err::PortAlreadyOpen);
    QVERIFY(port.portOpen());
    QCOMPARE(port.events, QStringList{QStringLiteral("open 1 9600,n,8,1")});
}

void TestCommPort::openUsesPortAndSettings()
{
    FakePort port;
    port.setCommPort(6);
    port.setSettings(QStringLiteral("19200,E,7,2"));
    port.setPortOpen(true);
    QVERIFY(port.portOpen());
    QCOMPARE(port.events, QStringList{QStringLiteral("open 6 19200,e,7,2")});
}

void TestCommPort::openFailurePassesThrough()
{
    FakePort port;
    port.failOpen(5, QStringLiteral("Invalid port number"));
    port.setCommPort(5);
    const CommError e = failureOf([&] { port.setPortOpen(true); });
    QCOMPARE(e.number(), err::InvalidPortNumber);
    QCOMPARE(e.description(), QStringLiteral("Invalid port number"));
    QVERIFY(!port.portOpen());
    // Nothing was opened, so nothing to close, and the port number may still change.
    QVERIFY(port.events.isEmpty());
    port.setCommPort(1);
    QCOMPARE(port.commPort(), qint16(1));
}

void TestCommPort::closeOnlyWhenOpen()
{
    FakePort port;
    port.setPortOpen(false);
    QVERIFY(port.events.isEmpty());
    port.setPortOpen(true);
    port.setPortOpen(false);
    port.setPortOpen(false);
    QVERIFY(!port.portOpen());
    QCOMPARE(port.events,
             (QStringList{QStringLiteral("open 1 9600,n,8,1"), QStringLiteral("close")}));
}

void TestCommPort::settingsWhileOpenApplyAtOnce()
{
    FakePort port;
    port.setPortOpen(true);
    port.setSettings(QStringLiteral("2400,O,8,1"));
    QCOMPARE(port.events.last(), QStringLiteral("apply 2400,o,8,1"));
    QCOMPARE(port.settings(), QStringLiteral("2400,o,8,1"));
}

void TestCommPort::refusedSettingsWhileOpenKeepPrevious()
{
    FakePort port;
    port.setPortOpen(true);
    port.refuseSettings(QStringLiteral("no such framing"));
    const CommError e = failureOf([&] { port.setSettings(QStringLiteral("9600,e,7,1")); });
    QCOMPARE(e.number(), err::SettingsRefused);
    QCOMPARE(e.description(), QStringLiteral("no such framing"));
    QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(port.portOpen());
}

void TestCommPort::outputWhileClosed()
{
    FakePort port;
    const CommError e = failureOf([&] { port.output("\x0c"); });
    QCOMPARE(e.number(), err::PortNotOpen);
    QCOMPARE(e.description(), QStringLiteral("Operation valid only when the port is open"));
    QVERIFY(port.writes.isEmpty());
}

void TestCommPort::outputGoesOutWhole()
{
    FakePort port;
    port.setPortOpen(true);
    const QByteArray command("\x02\x05\x43\x33\x03", 5);
    port.output(command);
    port.output(QByteArray(1, '\0'));
    QCOMPARE(port.writes, (QList<QByteArray>{command, QByteArray(1, '\0')}));
}

void TestCommPort::lostDeviceReportedOnce_data()
{
    QTest::addColumn<bool>("duringWrite");
    QTest::newRow("found by a write") << true;
    QTest::newRow("found outside a write") << false;
}

void TestCommPort::lostDeviceReportedOnce()
{
    QFETCH(bool, duringWrite);
    FakePort port;
    int lost = 0;
    port.setOnLost([&] { ++lost; });
    port.setPortOpen(true);
    if (duringWrite)
        port.failNextWrites(err::DeviceUnavailable);
    else
        port.loseDevice();
    QVERIFY(port.portOpen());

    const CommError first = failureOf([&] { port.output("a"); });
    QCOMPARE(first.number(), err::DeviceUnavailable);
    QCOMPARE(first.description(), QStringLiteral("Device unavailable"));
    QVERIFY(!port.portOpen());
    QCOMPARE(lost, 1);
    QCOMPARE(port.events.last(), QStringLiteral("close"));

    const CommError second = failureOf([&] { port.output("b"); });
    QCOMPARE(second.number(), err::PortNotOpen);
    QCOMPARE(lost, 1);
    QVERIFY(port.writes.isEmpty());

    // Opening again starts afresh.
    port.setPortOpen(true);
    port.output("c");
    QCOMPARE(port.written(), QByteArray("c"));
}

void TestCommPort::otherWriteFailureKeepsPortOpen()
{
    FakePort port;
    port.setPortOpen(true);
    port.failNextWrites(err::PortInUse);
    const CommError e = failureOf([&] { port.output("a"); });
    QCOMPARE(e.number(), err::PortInUse);
    QVERIFY(port.portOpen());
    port.output("b");
    QCOMPARE(port.written(), QByteArray("b"));
}

void TestCommPort::closedPortStandIn_data()
{
    QTest::addColumn<int>("access");
    QTest::newRow("CommPort") << 0;
    QTest::newRow("Settings") << 1;
    QTest::newRow("PortOpen") << 2;
    QTest::newRow("Output") << 3;
}

void TestCommPort::closedPortStandIn()
{
    QFETCH(int, access);
    ClosedPort port;
    const CommError e = failureOf([&] {
        switch (access) {
        case 0:
            port.setCommPort(2);
            break;
        case 1:
            port.setSettings(QStringLiteral("9600,n,8,1"));
            break;
        case 2:
            port.setPortOpen(true);
            break;
        default:
            port.output("x");
        }
    });
    QCOMPARE(e.number(), err::PortNotOpen);
    QCOMPARE(port.commPort(), qint16(1));
    QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(!port.portOpen());
}

QTEST_APPLESS_MAIN(TestCommPort)
#include "tst_commport.moc"
