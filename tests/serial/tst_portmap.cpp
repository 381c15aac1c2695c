#include "serial/portmap.h"

#include <QTest>

using namespace vq;

class TestPortMap : public QObject {
    Q_OBJECT

private slots:
    void defaultDevices_data();
    void defaultDevices();
    void mappedDeviceWins();
    void commandLine_data();
    void commandLine();
    void usage();
};

void TestPortMap::defaultDevices_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
#ifdef Q_OS_WIN
    QTest::newRow("COM1") << 1 << "COM1";
    QTest::newRow("COM16") << 16 << "COM16";
#else
    QTest::newRow("COM1") << 1 << "/dev/ttyS0";
    QTest::newRow("COM6") << 6 << "/dev/ttyS5";
    QTest::newRow("COM16") << 16 << "/dev/ttyS15";
#endif
}

void TestPortMap::defaultDevices()
{
    QFETCH(int, port);
    QFETCH(QString, device);
    QCOMPARE(PortMap{}.deviceFor(port), device);
}

void TestPortMap::mappedDeviceWins()
{
    PortMap map;
    map.devices.insert(2, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(map.deviceFor(2), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(map.deviceFor(3), PortMap{}.deviceFor(3));
}

void TestPortMap::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("mapped"); // "N=DEVICE" in port order
    QTest::addColumn<bool>("help");
    QTest::addColumn<QString>("errorNames"); // empty: no error; else the text must name it

    QTest::newRow("nothing") << QStringList{} << QStringList{} << false << "";
    QTest::newRow("one port") << QStringList{"--com", "1=/dev/ttyUSB0"}
                              << QStringList{"1=/dev/ttyUSB0"} << false << "";
    QTest::newRow("joined with =")
        << QStringList{"--com=3=/dev/pts/4"} << QStringList{"3=/dev/pts/4"} << false << "";
    QTest::newRow("repeated for two ports")
        << QStringList{"--com", "2=/dev/pts/7", "--com", "16=/dev/ttyACM0"}
        << QStringList{"2=/dev/pts/7", "16=/dev/ttyACM0"} << false << "";
    QTest::newRow("device holding =")
        << QStringList{"--com", "1=/tmp/a=b"} << QStringList{"1=/tmp/a=b"} << false << "";
    QTest::newRow("bare device name")
        << QStringList{"--com", "4=ttyUSB1"} << QStringList{"4=ttyUSB1"} << false << "";
    QTest::newRow("help") << QStringList{"--help"} << QStringList{} << true << "";
    QTest::newRow("short help") << QStringList{"-h"} << QStringList{} << true << "";
    QTest::newRow("help with a mapping")
        << QStringList{"--com", "1=/dev/x", "--help"} << QStringList{"1=/dev/x"} << true << "";

    QTest::newRow("N 0") << QStringList{"--com", "0=/dev/ttyS0"} << QStringList{} << false
                         << "0=/dev/ttyS0";
    QTest::newRow("N 17") << QStringList{"--com", "17=/dev/ttyS0"} << QStringList{} << false
                          << "17=/dev/ttyS0";
    QTest::newRow("N not a number")
        << QStringList{"--com", "x=/dev/ttyS0"} << QStringList{} << false << "x=/dev/ttyS0";
    QTest::newRow("N signed") << QStringList{"--com", "+1=/dev/ttyS0"} << QStringList{} << false
                              << "+1=/dev/ttyS0";
    QTest::newRow("N missing") << QStringList{"--com", "=/dev/ttyS0"} << QStringList{} << false
                               << "=/dev/ttyS0";
    QTest::newRow("COM prefix") << QStringList{"--com", "COM1=/dev/ttyS0"} << QStringList{} << false
                                << "COM1=/dev/ttyS0";
    QTest::newRow("missing =") << QStringList{"--com", "1"} << QStringList{} << false << "1";
    QTest::newRow("empty device") << QStringList{"--com", "2="} << QStringList{} << false << "2=";
    QTest::newRow("no value") << QStringList{"--com"} << QStringList{} << false << "--com";
    QTest::newRow("same port twice") << QStringList{"--com", "1=/dev/a", "--com", "1=/dev/b"}
                                     << QStringList{} << false << "1=/dev/b";
    QTest::newRow("unknown option")
        << QStringList{"--port", "1"} << QStringList{} << false << "--port";
    QTest::newRow("stray argument")
        << QStringList{"/dev/ttyUSB0"} << QStringList{} << false << "/dev/ttyUSB0";
}

void TestPortMap::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, mapped);
    QFETCH(bool, help);
    QFETCH(QString, errorNames);
    const CommandLine cl = parseCommandLine(args);
    if (errorNames.isEmpty()) {
        QCOMPARE(cl.error, QString());
        QStringList got;
        for (auto it = cl.map.devices.cbegin(); it != cl.map.devices.cend(); ++it)
            got << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        QCOMPARE(got, mapped);
        QCOMPARE(cl.help, help);
    } else {
        // The caller puts the program name in front.
        QVERIFY2(!cl.error.startsWith(QStringLiteral("vq3360")), qPrintable(cl.error));
        QVERIFY2(cl.error.contains(errorNames), qPrintable(cl.error));
        QVERIFY2(!cl.error.contains(u'\n'), qPrintable(cl.error));
    }
}

void TestPortMap::usage()
{
    const QString text = usageText();
    QVERIFY(text.startsWith(QStringLiteral("Usage: vq3360 [--com N=DEVICE]...\n")));
    QVERIFY(text.endsWith(u'\n'));
    QVERIFY(text.contains(QStringLiteral("--help")));
    QVERIFY(text.contains(QStringLiteral("1 to 16")));
#ifndef Q_OS_WIN
    QVERIFY(text.contains(QStringLiteral("/dev/ttyS0")));
#endif
}

QTEST_APPLESS_MAIN(TestPortMap)
#include "tst_portmap.moc"
