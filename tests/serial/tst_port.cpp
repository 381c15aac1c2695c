// The real serial backend on pseudo-terminals: bytes, closing, faults and refusals, through the
// main window where the operator sees the outcome and through the port where it is its contract.
#include "harness.h"
#include "serial/qtcommport.h"
#include "shared/guardedsend.h"
#include "testpty.h"
#include "util.h"

#include <fcntl.h>
#include <memory>
#include <optional>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSerialPort>
#include <QTemporaryDir>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace vq;
using namespace vq::test;

namespace {

const QByteArray kAdm787 = hex("02 05 43 33 03");
const QByteArray kZtk = hex("02 05 43 37 03");

// Every byte value, in an order where a dropped or swapped byte shows.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 256) & 0xFF);
    return bytes;
}

template <typename F> CommError failureOf(F&& access)
{
    try {
        access();
    } catch (const CommError& e) {
        return e;
    }
    return {0, QString()};
}

ShownBox failedOpen(const QString& why)
{
    return {ShownBox::StandardOk, QStringLiteral("Error!!") + why, 0, QStringLiteral("VQ3360")};
}

// A label's text and colour, as the operator reads them: "Close #ff0000".
QString look(Formall* w, const char* name, int index)
{
    const auto* l = w->controls().get<QLabel>(name, index);
    return l->text() + u' ' + l->palette().color(QPalette::WindowText).name();
}

// COM1 is a symlink the test points at a device or removes, as a USB adapter comes and goes;
// COM2 to COM6 name paths that do not exist unless a row says so.
struct Rig {
    QTemporaryDir dir;
    // A folder of its own: lock files are named after the path, and tests run in parallel.
    QString com1 = dir.filePath(QStringLiteral("com1"));
    PortMap map;
    std::unique_ptr<Harness> h;

    Rig()
    {
        map.devices.insert(1, com1);
        for (int n = 2; n <= 6; ++n)
            map.devices.insert(n, dir.filePath(QStringLiteral("absent%1").arg(n)));
    }
    // In one step, as udev swaps a node.
    bool plug(const QString& device)
    {
        const QString fresh = com1 + QStringLiteral(".new");
        return QFile::link(device, fresh) && ::rename(QFile::encodeName(fresh).constData(),
                                                      QFile::encodeName(com1).constData()) == 0;
    }
    void unplug()
    {
        QFile::remove(com1);
        QDir().rmdir(com1);
    }
    Formall* start()
    {
        h = std::make_unique<Harness>(map);
        return h->start();
    }
    // The main window up on the pty, its port opened by the button; null when a step failed.
    Formall* startOpen(const Pty& pty)
    {
        if (!pty.isValid() || !plug(pty.path()))
            return nullptr;
        Formall* w = start();
        w->Command1_Click(0);
        return w->Comm1().portOpen() ? w : nullptr;
    }
};

} // namespace

class TstPort : public QObject {
    Q_OBJECT
private slots:
    void bytesArrive_data();
    void bytesArrive();
    void deviceGone_data();
    void deviceGone();
    void openRefused_data();
    void openRefused();
    void portAccess_data();
    void portAccess();
};

void TstPort::bytesArrive_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("chunk"); // bytes per write
    QTest::addColumn<QString>("then");
    QTest::newRow("256 values, one write") << 256 << 256 << "";
    QTest::newRow("256 values, a write per byte") << 256 << 1 << "";
    QTest::newRow("64 KiB, Close the port") << 65536 << 65536 << "close port";
    QTest::newRow("64 KiB, port destroyed") << 65536 << 65536 << "destroy";
    QTest::newRow("64 KiB, End") << 65536 << 65536 << "end";
    QTest::newRow("64 KiB, main window closed") << 65536 << 65536 << "close window";
}

void TstPort::bytesArrive()
{
    QFETCH(int, size);
    QFETCH(int, chunk);
    QFETCH(QString, then);
    Pty pty;
    Rig rig;
    Formall* w = rig.startOpen(pty);
    QVERIFY(w);
    const QByteArray bytes = pattern(size);
    pty.startReading(size);
    for (int i = 0; i < size; i += chunk)
        w->Comm1().output(bytes.mid(i, chunk));
    // No turn of the event loop in between: the port still holds most of a long write.
    if (then == u"close port")
        w->Command1_Click(1);
    else if (then == u"destroy")
        delete w;
    else if (then == u"end")
        w->Command2_Click();
    else if (then == u"close window")
        QVERIFY(w->close());

    QCOMPARE(pty.received(), bytes);
    QCOMPARE(rig.h->ends, int(then == u"end"));
    QCOMPARE(handlesOn(pty.path()), then.isEmpty() ? 2 : 1); // the Pty keeps one
    QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{});
}

void TstPort::deviceGone_data()
{
    QTest::addColumn<int>("pending"); // bytes still queued in the port when the far end goes
    QTest::addColumn<bool>("unlink");
    QTest::addColumn<bool>("loopBetween");
    QTest::newRow("far end gone, idle") << 0 << false << true;
    QTest::newRow("far end gone while sending 1 MiB") << (1 << 20) << false << true;
    QTest::newRow("unplugged between two writes") << 0 << true << false;
    QTest::newRow("unplugged between two writes, 1 MiB queued") << (1 << 20) << true << false;
    QTest::newRow("unplugged, event loop between") << 0 << true << true;
}

void TstPort::deviceGone()
{
    QFETCH(int, pending);
    QFETCH(bool, unlink);
    QFETCH(bool, loopBetween);
    Pty pty, back;
    Rig rig;
    Formall* w = rig.startOpen(pty);
    QVERIFY(w);
    ScriptedBoxes& boxes = rig.h->boxes;
    w->NUMADM787_Click();
    QCOMPARE(pty.readNow(kAdm787.size()), kAdm787);
    if (pending > 0)
        w->Comm1().output(pattern(pending));

    pty.closeMaster();
    if (unlink)
        rig.unplug();
    if (loopBetween)
        QVERIFY2(busyShare() < 0.2, "the event loop spins on the dead device");
    w->NUMADM787_Click();
    const ShownBox unavailable{ShownBox::Message, "Device unavailable!", 4, "Error"};
    QCOMPARE(boxes.shown, QList<ShownBox>{unavailable});
    QVERIFY(!w->Comm1().portOpen());
    QCOMPARE(look(w, "Label7", 1), QStringLiteral("Close #ff0000"));
    QCOMPARE(handlesOn(pty.path()), 1); // the Pty's own
    QVERIFY2(busyShare() < 0.2, "the event loop spins after the loss was reported");

    // Afterwards a closed port: refused, not reported again.
    w->numrun_Click();
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown.last().text, kPortNotOpen);
    w->Command1_Click(0);
    QCOMPARE(boxes.shown.last(), failedOpen(QStringLiteral("Invalid port number")));
    QVERIFY(!w->Comm1().portOpen());

    // Back on another pty: one press opens it and only new commands arrive there.
    QVERIFY(rig.plug(back.path()));
    boxes.shown.clear();
    w->Command1_Click(0);
    QCOMPARE(boxes.shown, QList<ShownBox>{});
    QVERIFY(w->Comm1().portOpen());
    QCOMPARE(look(w, "Label7", 1), QStringLiteral("Open #0000ff"));
    w->numZtk_Click();
    w->NUMADM787_Click();
    QCOMPARE(back.readNow(10), kZtk + kAdm787);
}

void TstPort::openRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text"); // %1: the COM1 path
    const char* inUse =
        "COM1 (%1) is in use by another program. Close that program or choose another port.";
    const char* notSerial = "COM1 (%1) is not a serial port. Choose another port, or start the "
                            "program with --com 1=DEVICE naming a serial device.";
    QTest::newRow("held: same path, lock file") << "lock" << inUse;
    QTest::newRow("held: exclusive open, another user") << "exclusive" << inUse;
    QTest::newRow("directory") << "dir" << notSerial;
    QTest::newRow("regular file") << "file" << notSerial;
    QTest::newRow("symlink to a regular file") << "link" << notSerial;
    QTest::newRow("/dev/null") << "null" << notSerial;
    QTest::newRow("missing path") << "missing"
                                  << "Invalid port number";
    QTest::newRow("no write permission")
        << "denied"
        << "Access to %1 was denied. Add your user to the dialout group (sudo usermod "
           "-aG dialout $USER), log in again, and retry.";
}

// Each is described where the operator looks, the probe goes on, and once the cause is gone
// one press opens the port.
void TstPort::openRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    Pty pty, second;
    QVERIFY(pty.isValid() && second.isValid());
    Rig rig;
    rig.map.devices.insert(2, second.path());
    const QString expected = text.contains(u"%1") ? text.arg(rig.com1) : text;
    const QString plain = rig.dir.filePath(QStringLiteral("plain"));
    QFile file(kind == u"file" ? rig.com1 : plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (kind == u"dir")
        QVERIFY(QDir().mkdir(rig.com1));
    else if (kind == u"link")
        QVERIFY(rig.plug(plain));
    else if (kind == u"null")
        QVERIFY(rig.plug(QStringLiteral("/dev/null")));
    else if (kind != u"file" && kind != u"missing")
        QVERIFY(rig.plug(pty.path()));
    // Another program's hold: the same name through its lock file, or the device exclusively.
    QSerialPort lock(rig.com1);
    if (kind == u"lock")
        QVERIFY(lock.open(QIODevice::WriteOnly));
    const int exclusive =
        kind == u"exclusive" ? ::open(qPrintable(pty.path()), O_RDWR | O_NOCTTY) : -1;
    if (kind == u"exclusive")
        QVERIFY(exclusive >= 0 && ::ioctl(exclusive, TIOCEXCL) == 0);
    // The other user must reach the folder and the devices; only the denied row is kept out.
    for (const QString& path : {rig.dir.path(), pty.path(), second.path()})
        QCOMPARE(::chmod(qPrintable(path), 0777), 0);
    if (kind == u"denied")
        QCOMPARE(::chmod(qPrintable(pty.path()), 0400), 0);
    std::optional<OtherUser> user;
    if (kind == u"exclusive" || kind == u"denied") {
        user.emplace();
        if (!user->active())
            QSKIP("cannot take another user's rights here");
    }

    Formall* w = rig.start();
    QCOMPARE(look(w, "Label6", 0), expected + QStringLiteral(" #ff0000"));
    QCOMPARE(w->controls().get<QLabel>("Label6", 0)->toolTip(), expected);
    QCOMPARE(look(w, "Label6", 1), QStringLiteral("Enable #0000ff"));
    QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{});

    w->Command1_Click(0);
    QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{failedOpen(expected)});
    QCOMPARE(w->LastOpenError, expected);
    QVERIFY(!w->Comm1().portOpen());
    QCOMPARE(w->controls().get<QLabel>("Label7", 1)->text(), QStringLiteral("open/close"));

    user.reset();
    lock.close();
    // The mode belongs to the terminal, which the Pty keeps open: take it off by hand.
    QVERIFY(exclusive < 0 || (::ioctl(exclusive, TIOCNXCL) == 0 && ::close(exclusive) == 0));
    rig.unplug();
    QVERIFY(rig.plug(pty.path()) && ::chmod(qPrintable(pty.path()), 0600) == 0);
    rig.h->boxes.shown.clear();
    w->Command1_Click(0);
    QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{});
    QVERIFY(w->Comm1().portOpen());
    QCOMPARE(look(w, "Label7", 1), QStringLiteral("Open #0000ff"));
    w->NUMADM787_Click();
    QCOMPARE(pty.readNow(kAdm787.size()), kAdm787);
}

void TstPort::portAccess_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("access"); // settings are set, and the port opened if closed
    QTest::addColumn<int>("number");     // 0: none
    QTest::addColumn<QString>("text");   // a refused setting's reason
    QTest::addColumn<speed_t>("speed");  // the line's afterwards
    const int refused = err::SettingsRefused;
    const char* pty = "a pseudo-terminal takes only 8 data bits without parity. Choose 8 data "
                      "bits and parity n in Set, or use a real serial port.";
    const char* oneAndHalf = "this system has no 1.5 stop bits. Choose 1 or 2 stop bits in Set.";
    const char* badPort = "Invalid port number";
    const speed_t b9600 = B9600;
    QTest::newRow("write while closed") << false << "write" << err::PortNotOpen
                                        << "Operation valid only when the port is open" << b9600;
    QTest::newRow("second open") << true << "open" << err::PortAlreadyOpen << "Port already open"
                                 << b9600;
    QTest::newRow("close when closed") << false << "close" << 0 << "" << b9600;
    QTest::newRow("port 0") << false << "port 0" << err::InvalidPortNumber << badPort << b9600;
    QTest::newRow("port 17 while open")
        << true << "port 17" << err::InvalidPortNumber << badPort << b9600;
    // Refused settings change the baud rate and stop bits too, which go through before the
    // framing fails; taken ones ask for two stop bits.
    QTest::newRow("7 data bits at open") << false << "4800,n,7,2" << refused << pty << b9600;
    QTest::newRow("parity at open") << false << "4800,e,8,2" << refused << pty << b9600;
    QTest::newRow("1.5 stop bits at open")
        << false << "4800,n,8,1.5" << refused << oneAndHalf << b9600;
    QTest::newRow("7 data bits while open") << true << "4800,n,7,2" << refused << pty << b9600;
    QTest::newRow("parity while open") << true << "4800,o,8,2" << refused << pty << b9600;
    QTest::newRow("1.5 stop bits while open")
        << true << "4800,n,8,1.5" << refused << oneAndHalf << b9600;
    QTest::newRow("taken at open") << false << "115200,n,8,2" << 0 << "" << speed_t(B115200);
    QTest::newRow("taken while open") << true << "19200,n,8,2" << 0 << "" << speed_t(B19200);
}

// A refused access changes nothing, on the port or on the line, read back from the pty's own
// end; the port writes as before.
void TstPort::portAccess()
{
    QFETCH(bool, open);
    QFETCH(QString, access);
    QFETCH(int, number);
    QFETCH(QString, text);
    QFETCH(speed_t, speed);
    Pty pty;
    QVERIFY(pty.isValid());
    termios tio{};
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    QCOMPARE(::tcsetattr(pty.slave(), TCSANOW, &tio), 0);
    QtCommPort port(PortMap{{{1, pty.path()}}});
    if (open)
        port.setPortOpen(true);
    const bool settings = access.contains(u',');
    const CommError e = failureOf([&] {
        if (access == u"write")
            port.output("x");
        else if (access == u"open" || access == u"close")
            port.setPortOpen(access == u"open");
        else if (!settings)
            port.setCommPort(qint16(access.mid(5).toInt()));
        else
            port.setSettings(access);
        if (settings && !open)
            port.setPortOpen(true);
    });
    QCOMPARE(e.number(), number);
    if (number == err::SettingsRefused)
        text =
            QStringLiteral("COM1 (%1) refused the settings %2: %3").arg(pty.path(), access, text);
    QCOMPARE(e.description(), text);
    const bool taken = settings && number == 0;
    QCOMPARE(port.portOpen(), open || taken);
    QCOMPARE(port.commPort(), qint16(1));
    if (open)
        QCOMPARE(port.settings(), taken ? access : QStringLiteral("9600,n,8,1"));
    QCOMPARE(handlesOn(pty.path()), port.portOpen() ? 2 : 1);
    QCOMPARE(::tcgetattr(pty.slave(), &tio), 0);
    QCOMPARE(::cfgetospeed(&tio), speed);
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(bool(tio.c_cflag & PARENB), false);
    QCOMPARE(bool(tio.c_cflag & CSTOPB), taken);

    if (!port.portOpen() && !settings)
        port.setPortOpen(true);
    if (port.portOpen()) {
        port.output("ok");
        QCOMPARE(pty.readNow(2), QByteArray("ok"));
    }
}

QTEST_MAIN(TstPort)
#include "tst_port.moc"
