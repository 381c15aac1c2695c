#include "pty.h"
#include "serial/qtcommport.h"

#include <memory>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace vq;
using vq::test::Pty;

namespace {

// Every value, and a sequence whose order matters: a swapped or dropped byte shows.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 256) & 0xFF);
    return bytes;
}

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

PortMap mapTo(int port, const QString& device)
{
    PortMap map;
    map.devices.insert(port, device);
    return map;
}

// Runs a property access that must fail, and hands back the failure.
template <typename F> CommError failureOf(F&& access)
{
    try {
        access();
    } catch (const CommError& e) {
        return e;
    }
    return {0, QStringLiteral("(no failure)")};
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

termios lineOf(const Pty& pty)
{
    termios tio{};
    ::tcgetattr(pty.slave(), &tio);
    return tio;
}

// Takes another user's rights for a while; undone on leaving the scope.
class OtherUser {
public:
    OtherUser() : m_root(::geteuid() == 0) { m_active = !m_root || ::seteuid(65534) == 0; }
    ~OtherUser()
    {
        if (m_root && m_active)
            (void)::seteuid(0);
    }
    bool active() const { return m_active; }

private:
    bool m_root;
    bool m_active = false;
};

} // namespace

class TestQtCommPort : public QObject {
    Q_OBJECT

private slots:
    void bytesArriveExactly_data();
    void bytesArriveExactly();
    void nothingLostOnClose_data();
    void nothingLostOnClose();
    void missingDevice_data();
    void missingDevice();
    void notASerialPort_data();
    void notASerialPort();
    void secondOpenerRefused();
    void accessDeniedNamesDialout();
    void ptyRefusesFraming_data();
    void ptyRefusesFraming();
    void ptyTakesEightBitsNoParity_data();
    void ptyTakesEightBitsNoParity();
    void settingsApplyWhileOpen();
    void refusedSettingsWhileOpenKeepLine();
    void farEndGone_data();
    void farEndGone();
    void closeIsIdempotent();
    void factoryUsesMap();
};

void TestQtCommPort::bytesArriveExactly_data()
{
    QTest::addColumn<bool>("oneWrite");
    QTest::newRow("one write") << true;
    QTest::newRow("a write per byte") << false;
}

void TestQtCommPort::bytesArriveExactly()
{
    QFETCH(bool, oneWrite);
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort port(mapTo(2, pty.path()));
    port.setCommPort(2);
    port.setPortOpen(true);
    const QByteArray bytes = allByteValues();
    pty.startReading(bytes.size());
    if (oneWrite) {
        port.output(bytes);
    } else {
        for (const char c : bytes)
            port.output(QByteArray(1, c));
    }
    QCOMPARE(pty.received(), bytes);
    port.setPortOpen(false);
}

void TestQtCommPort::nothingLostOnClose_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<bool>("destroy");
    QTest::newRow("small, close") << qsizetype(256) << false;
    QTest::newRow("small, destroy") << qsizetype(256) << true;
    QTest::newRow("64 KiB, close") << qsizetype(64 * 1024) << false;
    QTest::newRow("64 KiB, destroy") << qsizetype(64 * 1024) << true;
}

void TestQtCommPort::nothingLostOnClose()
{
    QFETCH(qsizetype, size);
    QFETCH(bool, destroy);
    Pty pty;
    QVERIFY(pty.isValid());
    auto port = std::make_unique<QtCommPort>(mapTo(1, pty.path()));
    port->setPortOpen(true);
    const QByteArray bytes = pattern(size);
    pty.startReading(size);
    port->output(bytes);
    if (destroy) {
        port.reset();
    } else {
        port->setPortOpen(false);
        QVERIFY(!port->portOpen());
    }
    const QByteArray got = pty.received();
    QCOMPARE(got.size(), size);
    QCOMPARE(got, bytes);
}

void TestQtCommPort::missingDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::newRow("absent path") << QStringLiteral("/nonexistent-vq3360/ttyUSB9");
    QTest::newRow("absent bare name") << QStringLiteral("vq3360-absent-tty");
}

void TestQtCommPort::missingDevice()
{
    QFETCH(QString, device);
    QtCommPort port(mapTo(3, device));
    port.setCommPort(3);
    const CommError e = failureOf([&] { port.setPortOpen(true); });
    QCOMPARE(e.number(), err::InvalidPortNumber);
    QCOMPARE(e.description(), QStringLiteral("Invalid port number"));
    QVERIFY(!port.portOpen());
    QCOMPARE(port.commPort(), qint16(3));
}

void TestQtCommPort::notASerialPort_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory") << QStringLiteral("dir");
    QTest::newRow("regular file") << QStringLiteral("file");
    QTest::newRow("character device, not a terminal") << QStringLiteral("/dev/null");
}

void TestQtCommPort::notASerialPort()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString device = kind;
    if (kind == u"dir") {
        device = dir.path();
    } else if (kind == u"file") {
        device = dir.filePath(QStringLiteral("plain"));
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QtCommPort port(mapTo(4, device));
    port.setCommPort(4);
    const CommError e = failureOf([&] { port.setPortOpen(true); });
    QCOMPARE(e.number(), err::InvalidPortNumber);
    QVERIFY2(e.description().contains(QStringLiteral("COM4 (%1) is not a serial port").arg(device)),
             qPrintable(e.description()));
    QVERIFY(!port.portOpen());
    if (kind == u"file") {
        QFile file(device);
        QCOMPARE(file.size(), 0); // looked at, never written
    }
}

void TestQtCommPort::secondOpenerRefused()
{
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort first(mapTo(1, pty.path()));
    QtCommPort second(mapTo(1, pty.path()));
    first.setPortOpen(true);
    const CommError e = failureOf([&] { second.setPortOpen(true); });
    QCOMPARE(e.number(), err::PortInUse);
    QCOMPARE(e.description(), QStringLiteral("COM1 (%1) is in use by another program. Close "
                                             "that program or choose another port.")
                                  .arg(pty.path()));
    QVERIFY(!second.portOpen());
    // The holder is not disturbed.
    first.output("ok");
    QCOMPARE(pty.readNow(2), QByteArray("ok"));
    // Once it lets go, the other can have the device.
    first.setPortOpen(false);
    second.setPortOpen(true);
    QVERIFY(second.portOpen());
}

void TestQtCommPort::accessDeniedNamesDialout()
{
    Pty pty;
    QVERIFY(pty.isValid());
    const QByteArray path = QFile::encodeName(pty.path());
    QCOMPARE(::chmod(path.constData(), 0400), 0);
    QtCommPort port(mapTo(1, pty.path()));
    CommError e{0, {}};
    {
        OtherUser user;
        if (!user.active())
            QSKIP("cannot drop root rights here");
        e = failureOf([&] { port.setPortOpen(true); });
    }
    QCOMPARE(e.number(), err::PermissionDenied);
    QVERIFY2(e.description().startsWith(QStringLiteral("Access to %1 was denied.").arg(pty.path())),
             qPrintable(e.description()));
    QVERIFY2(e.description().contains(QStringLiteral("dialout group")),
             qPrintable(e.description()));
    QVERIFY(!port.portOpen());
}

void TestQtCommPort::ptyRefusesFraming_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("advice");
    const QString eightNoParity = QStringLiteral("Choose 8 data bits and parity n in Set");
    QTest::newRow("even parity") << QStringLiteral("9600,e,8,1") << eightNoParity;
    QTest::newRow("7 data bits") << QStringLiteral("9600,n,7,1") << eightNoParity;
    QTest::newRow("7 bits and parity") << QStringLiteral("9600,E,7,1") << eightNoParity;
    QTest::newRow("1.5 stop bits")
        << QStringLiteral("9600,n,8,1.5") << QStringLiteral("Choose 1 or 2 stop bits in Set");
}

void TestQtCommPort::ptyRefusesFraming()
{
    QFETCH(QString, settings);
    QFETCH(QString, advice);
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort port(mapTo(1, pty.path()));
    port.setSettings(settings);
    const CommError e = failureOf([&] { port.setPortOpen(true); });
    QCOMPARE(e.number(), err::SettingsRefused);
    QVERIFY2(
        e.description().startsWith(
            QStringLiteral("COM1 (%1) refused the settings %2").arg(pty.path(), port.settings())),
        qPrintable(e.description()));
    QVERIFY2(e.description().contains(advice), qPrintable(e.description()));
    QVERIFY(!port.portOpen());
    // The refused open let go of the device.
    port.setSettings(QStringLiteral("9600,n,8,1"));
    port.setPortOpen(true);
    port.output("x");
    QCOMPARE(pty.readNow(1), QByteArray("x"));
}

void TestQtCommPort::ptyTakesEightBitsNoParity_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<speed_t>("speed");
    QTest::addColumn<bool>("twoStop");
    QTest::newRow("start-up") << QStringLiteral("9600,n,8,1") << speed_t(B9600) << false;
    QTest::newRow("slowest") << QStringLiteral("110,n,8,1") << speed_t(B110) << false;
    QTest::newRow("fastest, two stop")
        << QStringLiteral("115200,N,8,2") << speed_t(B115200) << true;
    QTest::newRow("nonstandard rate") << QStringLiteral("14400,n,8,1") << speed_t(0) << false;
}

void TestQtCommPort::ptyTakesEightBitsNoParity()
{
    QFETCH(QString, settings);
    QFETCH(speed_t, speed);
    QFETCH(bool, twoStop);
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort port(mapTo(1, pty.path()));
    port.setSettings(settings);
    port.setPortOpen(true);
    const termios tio = lineOf(pty);
    if (speed != 0)
        QCOMPARE(::cfgetospeed(&tio), speed);
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(bool(tio.c_cflag & CSTOPB), twoStop);
    QCOMPARE(bool(tio.c_cflag & (CRTSCTS)), false);
    port.output(allByteValues());
    QCOMPARE(pty.readNow(256), allByteValues());
}

void TestQtCommPort::settingsApplyWhileOpen()
{
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort port(mapTo(1, pty.path()));
    port.setPortOpen(true);
    const termios before = lineOf(pty);
    QCOMPARE(::cfgetospeed(&before), speed_t(B9600));
    port.setSettings(QStringLiteral("19200,n,8,2"));
    const termios tio = lineOf(pty);
    QCOMPARE(::cfgetospeed(&tio), speed_t(B19200));
    QVERIFY(tio.c_cflag & CSTOPB);
    QCOMPARE(port.settings(), QStringLiteral("19200,n,8,2"));
}

void TestQtCommPort::refusedSettingsWhileOpenKeepLine()
{
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort port(mapTo(1, pty.path()));
    port.setSettings(QStringLiteral("19200,n,8,1"));
    port.setPortOpen(true);
    // The baud rate goes through before the parity is refused; it must not stay changed.
    const CommError e = failureOf([&] { port.setSettings(QStringLiteral("4800,e,8,2")); });
    QCOMPARE(e.number(), err::SettingsRefused);
    QCOMPARE(port.settings(), QStringLiteral("19200,n,8,1"));
    QVERIFY(port.portOpen());
    const termios tio = lineOf(pty);
    QCOMPARE(::cfgetospeed(&tio), speed_t(B19200));
    QVERIFY(!(tio.c_cflag & CSTOPB));
    QVERIFY(!(tio.c_cflag & PARENB));
    port.output("still");
    QCOMPARE(pty.readNow(5), QByteArray("still"));
}

void TestQtCommPort::farEndGone_data()
{
    QTest::addColumn<qsizetype>("pending");
    QTest::newRow("idle") << qsizetype(0);
    // More than the pseudo-terminal holds, so the port still has bytes to send.
    QTest::newRow("while sending") << qsizetype(1024 * 1024);
}

void TestQtCommPort::farEndGone()
{
    QFETCH(qsizetype, pending);
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort port(mapTo(1, pty.path()));
    int lost = 0;
    port.setOnLost([&] { ++lost; });
    port.setPortOpen(true);
    if (pending > 0)
        port.output(pattern(pending));
    pty.closeMaster();

    // A port that keeps hitting the dead device spins here. On a loaded machine a spinning
    // loop gets only its share of a core, so the bound is well under half; an idle loop
    // stays far below it.
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // A plain event loop, as the application runs: QTest::qWait sleeps between turns.
    QEventLoop loop;
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = wall.elapsed() / 1000.0;
    QVERIFY2(cpu < 0.1 * elapsed,
             qPrintable(QStringLiteral("cpu %1 s in %2 s").arg(cpu).arg(elapsed)));

    const CommError gone = failureOf([&] { port.output("x"); });
    QCOMPARE(gone.number(), err::DeviceUnavailable);
    QCOMPARE(gone.description(), QStringLiteral("Device unavailable"));
    QCOMPARE(lost, 1);
    QVERIFY(!port.portOpen());
    // Reported once; afterwards it is just a closed port.
    const CommError closed = failureOf([&] { port.output("x"); });
    QCOMPARE(closed.number(), err::PortNotOpen);
    QCOMPARE(lost, 1);
}

void TestQtCommPort::closeIsIdempotent()
{
    Pty pty;
    QVERIFY(pty.isValid());
    QtCommPort port(mapTo(1, pty.path()));
    port.setPortOpen(true);
    port.output("a");
    port.setPortOpen(false);
    port.setPortOpen(false);
    QVERIFY(!port.portOpen());
    QCOMPARE(pty.readNow(1), QByteArray("a"));
    port.setPortOpen(true);
    port.output("b");
    QCOMPARE(pty.readNow(1), QByteArray("b"));
}

void TestQtCommPort::factoryUsesMap()
{
    Pty pty;
    QVERIFY(pty.isValid());
    const PortFactory make = qtPortFactory(mapTo(5, pty.path()));
    std::unique_ptr<CommPort> port = make();
    QVERIFY(port);
    QCOMPARE(port->settings(), QStringLiteral("9600,n,8,1"));
    port->setCommPort(5);
    port->setPortOpen(true);
    port->output("five");
    QCOMPARE(pty.readNow(4), QByteArray("five"));
}

QTEST_GUILESS_MAIN(TestQtCommPort)
#include "tst_qtcommport.moc"
