// The real serial backend on pseudo-terminals: bytes, closing, faults and refusals, through the
// main window where the operator sees the outcome and through the port where it is its contract.
#include "app/formset.h"
#include "app/mainops.h"
#include "cli/termination.h"
#include "ctl/invocation.h"
#include "demo/datasave.h"
#include "harness.h"
#include "modal.h"
#include "serial/termiosport.h"
#include "shared/failureparts.h"
#include "shared/failuretext.h"
#include "shared/guardedsend.h"
#include "shared/linechoices.h"
#include "testpty.h"
#include "util.h"

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <memory>
#include <optional>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSerialPort>
#include <QStatusBar>
#include <QTemporaryDir>
#include <sys/file.h>
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

template <typename F> std::optional<CommError> failureOf(F&& access)
{
    try {
        access();
    } catch (const CommError& e) {
        return e;
    }
    return std::nullopt;
}

// The lock file other serial programs look for, named after the device's own node.
QString lockFileOf(const Pty& pty)
{
    return QStringLiteral("/run/lock/LCK..") + pty.path().mid(5).replace(u'/', u'_');
}

// Raw at `speed`; tcsetattr's result.
int setSpeed(const Pty& pty, speed_t speed)
{
    termios tio{};
    ::tcgetattr(pty.slave(), &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, speed);
    return ::tcsetattr(pty.slave(), TCSANOW, &tio);
}

speed_t speedOf(const Pty& pty)
{
    termios tio{};
    ::tcgetattr(pty.slave(), &tio);
    return ::cfgetospeed(&tio);
}

// COM1 is a symlink the test points at a device or removes, as a USB adapter comes and goes;
// COM2 to COM6 name paths that do not exist unless a row says so. On a real line COM1 is its
// stable name, which udev keeps.
struct Rig {
    QTemporaryDir dir;
    const bool real = !Pty::remoteLine().isEmpty();
    // A folder of its own: lock files are named after the path, and tests run in parallel.
    QString com1 = real ? Pty::remoteLine() : dir.filePath(QStringLiteral("com1"));
    PortMap map = portMap(QFile::encodeName(com1), dir.path());
    std::unique_ptr<Harness> h;

    // In one step, as udev swaps a node.
    bool plug(const QString& device)
    {
        const QString fresh = com1 + QStringLiteral(".new");
        return real ||
               (QFile::link(device, fresh) && ::rename(QFile::encodeName(fresh).constData(),
                                                       QFile::encodeName(com1).constData()) == 0);
    }
    void unplug()
    {
        if (real)
            return;
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
    void bytesArrive_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("chunk");    // bytes per write
        QTest::addColumn<bool>("destroy"); // the port with the main window, without a progress box
        QTest::newRow("256 values, one write") << 256 << 256 << false;
        QTest::newRow("256 values, a write per byte") << 256 << 1 << false;
        QTest::newRow("64 KiB, port destroyed") << 65536 << 65536 << true;
    }

    void bytesArrive()
    {
        QFETCH(int, size);
        QFETCH(int, chunk);
        QFETCH(bool, destroy);
        Pty pty;
        Rig rig;
        Formall* w = rig.startOpen(pty);
        QVERIFY(w);
        const QByteArray bytes = pattern(size);
        pty.startReading(size);
        for (int i = 0; i < size; i += chunk)
            w->Comm1().output(bytes.mid(i, chunk));
        // No turn of the event loop in between: the port still holds most of a long write.
        if (destroy)
            delete w;
        QCOMPARE(pty.received(), bytes);
        QCOMPARE(handlesOn(pty.path()), destroy ? 1 : 2); // the Pty keeps one
        QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{});
    }

    void deviceGone_data()
    {
        QTest::addColumn<int>("pending"); // bytes still queued in the port when the device goes
        QTest::addColumn<QString>("how"); // its far end closed, its node gone too, or replaced
        QTest::addColumn<bool>("loopBetween");
        QTest::newRow("far end gone, idle") << 0 << "far end" << true;
        QTest::newRow("far end gone while sending 1 MiB") << (1 << 20) << "far end" << true;
        QTest::newRow("unplugged between two writes") << 0 << "unplugged" << false;
        QTest::newRow("unplugged between two writes, 1 MiB queued")
            << (1 << 20) << "unplugged" << false;
        QTest::newRow("unplugged, event loop between") << 0 << "unplugged" << true;
        QTest::newRow("unlinked while idle, back before any write") << 0 << "unlinked" << true;
        QTest::newRow("replaced while idle") << 0 << "replaced" << true;
        QTest::newRow("unplugged while closed, back") << 0 << "closed" << true;
    }

    void deviceGone()
    {
        QFETCH(int, pending);
        QFETCH(QString, how);
        QFETCH(bool, loopBetween);
        Pty pty;
        Rig rig;
        Formall* w = rig.startOpen(pty);
        QVERIFY(w);
        ScriptedBoxes& boxes = rig.h->boxes;
        w->NUMUTCS_Click();
        QCOMPARE(pty.readNow(5), hex("02 05 43 36 03"));
        QCOMPARE(w->Comm1().drain(), 0); // those had their time on the line
        if (pending > 0)
            w->Comm1().output(pattern(pending));
        if (how == u"closed")
            w->Command1_Click(1);

        const bool gone = how != u"replaced" && how != u"unlinked";
        if (gone)
            pty.closeMaster();
        if (how != u"far end" && how != u"replaced")
            rig.unplug();
        if (loopBetween)
            QVERIFY2(busyShare() < 0.2, "the event loop spins on the dead device");
        if (how == u"unlinked") // the open port's row is left to the port
            QCOMPARE(look(w, "Label6", 0), QStringLiteral("Enable #0000ff"));
        // A port open when it went says so when it happens, once: by the write that finds it,
        // or at once when the loop runs; whatever waited is counted.
        if (gone && how != u"closed") {
            const ShownBox unavailable{ShownBox::Message, "Device unavailable!", 4, "Error"};
            const bool found = !loopBetween;
            if (found)
                w->NUMADM787_Click();
            QTRY_COMPARE(boxes.shown.size(), pending > 0 ? 2 : 1);
            QCOMPARE(boxes.shown.first(), unavailable);
            if (pending > 0) {
                const QString told = boxes.shown.last().text;
                QCOMPARE(told, notSentText(told.section(u' ', 0, 0).toLongLong()));
                QVERIFY(told.section(u' ', 0, 0).toLongLong() > 0);
            }
            QVERIFY(!w->Comm1().portOpen());
            QCOMPARE(look(w, "Label7", 1), QStringLiteral("Close #ff0000"));
            QCOMPARE(handlesOn(pty.path()), 1); // the Pty's own
            QVERIFY2(busyShare() < 0.2, "the event loop spins after the loss was reported");

            // Afterwards a closed port: refused, not reported again.
            boxes.shown.clear();
            if (!found)
                w->NUMADM787_Click();
            w->numrun_Click();
            QCOMPARE(boxes.shown.size(), found ? 1 : 2);
            QCOMPARE(boxes.shown.last().text, kPortNotOpen);
            QCOMPARE(rig.h->session.ClearCmd,
                     hex("1F")); // kept from the last emulation that went out
            w->Command1_Click(0);
            QCOMPARE(boxes.shown.last(),
                     standardOkBox(QStringLiteral("Error!!Invalid port number")));
            QVERIFY(!w->Comm1().portOpen());
            boxes.shown.clear();
        }
        if (gone) // its row says so, whether the port was open or not
            QTRY_COMPARE(look(w, "Label6", 0), QStringLiteral("Invalid port number #ff0000"));

        // Back on another pty, its row with it: one press opens it and only new commands arrive
        // there.
        Pty back;
        QVERIFY(rig.plug(back.path()));
        QTRY_COMPARE(look(w, "Label6", 0), QStringLiteral("Enable #0000ff"));
        w->Command1_Click(0);
        QCOMPARE(boxes.shown, QList<ShownBox>{});
        QVERIFY(w->Comm1().portOpen());
        QCOMPARE(look(w, "Label7", 1), QStringLiteral("Open #0000ff"));
        QCOMPARE(handlesOn(pty.path()), 1);
        w->numZtk_Click();
        w->NUMADM787_Click();
        QCOMPARE(back.readNow(10), kZtk + kAdm787);
    }

    void openRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text"); // %1: the COM1 path
        const char* inUse =
            "COM1 (%1) is in use by another program. Close that program or choose another port.";
        const char* notSerial = "COM1 (%1) is not a serial port. Choose another port, or start the "
                                "program with --com 1=DEVICE naming a serial device.";
        QTest::newRow("held: same path, lock file") << "lock" << inUse;
        QTest::newRow("held: exclusive open, another user") << "exclusive" << inUse;
        QTest::newRow("held: exclusive open, even as root") << "exclusive, own rights" << inUse;
        QTest::newRow("held: the device's advisory lock") << "flock" << inUse;
        QTest::newRow("held: a live lock file by the device's name") << "lock file" << inUse;
        QTest::newRow("a dead owner's lock file, another user's") << "stale lock file"
                                                                  << "";
        // A program that ended left its lock file and exclusive mode; the terminal lives on.
        QTest::newRow("left exclusive by an ended program, as root") << "left, lock file"
                                                                     << "";
        QTest::newRow("left exclusive by an ended program, another user")
            << "left, another user, lock file"
            << "COM1 (%1) was left locked by a program that has ended (PID %2), and another "
               "program still has it open. Close that program, or open the port once as root, "
               "which clears the lock.";
        QTest::newRow("a FIFO as its lock file")
            << "fifo lock file"
            << "COM1 (%1) cannot be opened: %3 is not a lock file. Remove it and retry.";
        QTest::newRow("a name that is not text") << "bytes"
                                                 << "";
        QTest::newRow("directory") << "dir" << notSerial;
        QTest::newRow("regular file") << "file" << notSerial;
        QTest::newRow("/dev/null") << "null" << notSerial;
        QTest::newRow("/dev/ptmx, which makes a terminal") << "ptmx" << notSerial;
        QTest::newRow("missing path") << "missing"
                                      << "Invalid port number";
        QTest::newRow("no write permission")
            << "denied"
            << "Access to %1 was denied. Add your user to the uucp group (sudo usermod "
               "-aG uucp $USER), log in again, and retry.";
        QTest::newRow("only root may write")
            << "denied, root's"
            << "Access to %1 was denied: only root may write to it. Give it to a group you are "
               "in with a udev rule, or run as root, and retry.";
    }

    // Each is described where the operator looks, before anything touches the line, the probe goes
    // on, and once the cause is gone one press opens the port. Rows without a text open at once.
    void openRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        Pty pty, second; // COM1 and COM2
        Rig rig;
        rig.map.devices.insert(2, QFile::encodeName(second.path()));
        QString expected = text.contains(u"%1") ? text.arg(rig.com1) : text;
        QFile file(rig.com1);
        if (kind == u"file")
            QVERIFY(file.open(QIODevice::WriteOnly));
        else if (kind == u"dir")
            QVERIFY(QDir().mkdir(rig.com1));
        else if (kind == u"null" || kind == u"ptmx")
            QVERIFY(rig.plug(QStringLiteral("/dev/") + kind));
        else if (kind != u"missing")
            QVERIFY(rig.plug(pty.path()));
        // Another program's hold: the same name through its lock file, or the device exclusively.
        QCOMPARE(setSpeed(pty, B4800), 0);
        QSerialPort lock(rig.com1);
        if (kind == u"lock")
            QVERIFY(lock.open(QIODevice::WriteOnly));
        const int holder = kind.startsWith(u"exclusive") || kind == u"flock"
                               ? ::open(qPrintable(pty.path()), O_RDWR | O_NOCTTY)
                               : -1;
        if (kind.startsWith(u"exclusive"))
            QVERIFY(holder >= 0 && ::ioctl(holder, TIOCEXCL) == 0);
        if (kind == u"flock")
            QVERIFY(holder >= 0 && ::flock(holder, LOCK_EX) == 0);
        QFile lockFile(lockFileOf(pty));
        const auto tidy = qScopeGuard([&] { lockFile.remove(); });
        qint64 gone = 0;
        expected.replace(QStringLiteral("%3"), lockFileOf(pty));
        if (kind == u"fifo lock file")
            QCOMPARE(::mkfifo(qPrintable(lockFile.fileName()), 0666), 0);
        else if (kind.endsWith(u"lock file")) {
            // The parent lives on; a process just ended does not.
            QProcess ended;
            ended.start(QStringLiteral("true"));
            gone = ended.waitForStarted() ? ended.processId() : 0;
            QVERIFY(gone > 0 && ended.waitForFinished());
            const qint64 owner = kind == u"lock file" ? ::getppid() : gone;
            expected.replace(QStringLiteral("%2"), QString::number(gone));
            if (kind.startsWith(u"left"))
                QVERIFY(::ioctl(pty.slave(), TIOCEXCL) == 0);
            QVERIFY(lockFile.open(QIODevice::WriteOnly));
            lockFile.write(QByteArray::number(owner).rightJustified(10, ' ') + '\n');
            lockFile.close();
        }
        if (kind == u"bytes") {
            rig.map.devices[1] = QFile::encodeName(rig.dir.path()) + "/\xff\xfe";
            QCOMPARE(::symlink(qPrintable(pty.path()), rig.map.devices[1].constData()), 0);
        }
        // The other user must reach the folder and the devices; only the denied row is kept out.
        for (const QString& path : {rig.dir.path(), pty.path(), second.path()})
            QCOMPARE(::chmod(qPrintable(path), 0777), 0);
        if (kind.startsWith(u"denied")) {
            // The message names who may write, as the node says: its group, or only its owner.
            const bool grouped = kind == u"denied";
            QCOMPARE(::chmod(qPrintable(pty.path()), grouped ? 0460 : 0600), 0);
            if (::chown(qPrintable(pty.path()), 0, grouped ? ::getgrnam("uucp")->gr_gid : 0) != 0)
                QSKIP("the device's owner cannot be set here");
        }
        // vq3360ctl where that user may run it, whoever may enter the build folder.
        const QString exe = rig.dir.filePath(QStringLiteral("vq3360ctl"));
        QVERIFY(QFile::copy(QStringLiteral(VQ_CTL_EXE), exe) &&
                ::chmod(qPrintable(exe), 0755) == 0);
        std::optional<OtherUser> user;
        if (kind == u"exclusive" || kind.startsWith(u"denied") || kind.contains(u"stale") ||
            kind.contains(u"another user")) {
            user.emplace();
            if (!user->active())
                QSKIP("cannot take another user's rights here");
        }

        const speed_t found = speedOf(pty); // as the holder left it
        Formall* w = rig.start();
        QCOMPARE(speedOf(pty), found);
        if (expected.isEmpty()) {
            QCOMPARE(look(w, "Label6", 0), QStringLiteral("Enable #0000ff"));
        } else {
            // Red, the description as far as the row has room, and whole in the tooltip with the
            // device.
            const QLabel* row = w->controls().find<QLabel>("Label6", 0);
            QVERIFY(look(w, "Label6", 0).endsWith(QStringLiteral(" #ff0000")));
            const QString shownText = row->text();
            QVERIFY2(shownText == expected || cutToFit(shownText, expected), qPrintable(shownText));
            QVERIFY(QFontMetricsF(row->font()).horizontalAdvance(shownText) <=
                    row->contentsRect().width());
            QCOMPARE(row->toolTip(), QStringLiteral("COM1: %1\n%2").arg(rig.com1, expected));
            QCOMPARE(look(w, "Label6", 1), QStringLiteral("Enable #0000ff"));
            QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{});

            w->Command1_Click(0);
            QCOMPARE(rig.h->boxes.shown,
                     QList<ShownBox>{standardOkBox(QStringLiteral("Error!!") + expected)});
            QCOMPARE(w->LastOpenError, expected);
            QVERIFY(!w->Comm1().portOpen());
            QCOMPARE(w->controls().find<QLabel>("Label7", 1)->text(), QStringLiteral("open/close"));
            QCOMPARE(speedOf(pty), found);
            if (kind.contains(u"another user")) { // vq3360ctl says it in its own words
                QProcess tool; // as that user through and through: Qt refuses to run setuid
                tool.setChildProcessModifier(
                    [] { (void)!::seteuid(0), (void)!::setgid(65534), (void)!::setuid(65534); });
                tool.start(exe, {"--device", rig.com1, "show"});
                QVERIFY(tool.waitForFinished() && tool.exitCode() == 1);
                const QString err = QString::fromUtf8(tool.readAllStandardError());
                QVERIFY2(err.contains(QStringLiteral("left in exclusive mode by a program that has "
                                                     "ended (PID %1)")
                                          .arg(gone)),
                         qPrintable(err));
            }

            user.reset();
            lock.close();
            lockFile.remove();
            // The mode belongs to the terminal, which the Pty keeps open: take it off by hand.
            QVERIFY(holder < 0 || (::ioctl(holder, TIOCNXCL) == 0 && ::close(holder) == 0));
            ::ioctl(pty.slave(), TIOCNXCL);
            rig.unplug();
            QVERIFY(rig.plug(pty.path()) && ::chmod(qPrintable(pty.path()), 0600) == 0);
            rig.h->boxes.shown.clear();
        }
        w->Command1_Click(0);
        QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{});
        QVERIFY(w->Comm1().portOpen());
        QCOMPARE(look(w, "Label7", 1), QStringLiteral("Open #0000ff"));
        w->NUMADM787_Click();
        QCOMPARE(pty.readNow(kAdm787.size()), kAdm787);
    }

    void portAccess_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("access"); // settings are set, and the port opened if closed
        QTest::addColumn<int>("number");     // 0: none
        QTest::addColumn<QString>("text");   // a refused setting's reason
        QTest::addColumn<speed_t>("speed");  // the line's afterwards
        const int refused = err::SettingsRefused;
        const char* pty = "a pseudo-terminal takes only 8 data bits without parity. Choose 8 data "
                          "bits and parity n in Set, or use a real serial port.";
        const char* oneAndHalf =
            "this system has no 1.5 stop bits. Choose 1 or 2 stop bits in Set.";
        const char* badPort = "Invalid port number";
        const speed_t b9600 = B9600;
        QTest::newRow("write while closed")
            << false << "write" << err::PortNotOpen << "Operation valid only when the port is open"
            << b9600;
        QTest::newRow("second open")
            << true << "open" << err::PortAlreadyOpen << "Port already open" << b9600;
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
    void portAccess()
    {
        QFETCH(bool, open);
        QFETCH(QString, access);
        QFETCH(int, number);
        QFETCH(QString, text);
        QFETCH(speed_t, speed);
        Pty pty;
        QCOMPARE(setSpeed(pty, B9600), 0);
        TermiosPort port(PortMap{{{1, QFile::encodeName(pty.path())}}});
        if (open)
            port.setPortOpen(true);
        const bool settings = access.contains(u',');
        const std::optional<CommError> e = failureOf([&] {
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
        QCOMPARE(e ? e->number() : 0, number);
        if (number == err::SettingsRefused)
            text = QStringLiteral("COM1 (%1) refused the settings %2: %3")
                       .arg(pty.path(), access, text);
        QCOMPARE(e ? failureText(*e) : QString(), text);
        const bool taken = settings && number == 0;
        QCOMPARE(port.portOpen(), open || taken);
        QCOMPARE(port.commPort(), qint16(1));
        if (open)
            QCOMPARE(port.settings(), taken ? access : QStringLiteral("9600,n,8,1"));
        QCOMPARE(handlesOn(pty.path()), port.portOpen() ? 2 : 1);
        termios tio{};
        QCOMPARE(::tcgetattr(pty.slave(), &tio), 0);
        QCOMPARE(::cfgetospeed(&tio), speed);
        QCOMPARE(tio.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8 | (taken ? CSTOPB : 0)));

        if (!port.portOpen() && !settings)
            port.setPortOpen(true);
        if (port.portOpen()) {
            port.output("ok");
            QCOMPARE(pty.readNow(2), QByteArray("ok"));
        }
    }

    void pcLine_data()
    {
        QTest::addColumn<int>("rate"); // the dialog's rows
        QTest::addColumn<int>("framing");
        for (int rate = 0; rate < int(kLineRates.size()); ++rate)
            QTest::addRow("%s N_8_1", kLineRates[rate].text) << rate << 0;
        for (int framing = 1; framing < int(kLineFramings.size()); ++framing)
            QTest::addRow("9600%s", kLineFramings[framing].caption) << 5 << framing;
    }

    // "Set OK" gives the open port the line chosen, which a pseudo-terminal refuses but at 8 data
    // bits without parity; the next command goes out on it. On a real line the kernel tier reads
    // what the driver programmed in QEMU's trace.
    void pcLine()
    {
        QFETCH(int, rate);
        QFETCH(int, framing);
        Pty pty;
        Rig rig;
        Formall* w = rig.startOpen(pty);
        QVERIFY(w);
        FormSet set(rig.h->state, w->Comm1(), rig.h->boxes, w);
        for (const int n : {rate < 7 ? rate + 1 : 14, framing + 8})
            click(set.controls().find<QRadioButton>(QStringLiteral("Option%1").arg(n)));
        click(set.controls().find<QPushButton>("CmdOk"));
        const bool taken = framing == 0 || rig.real;
        QCOMPARE(rig.h->boxes.shown.size(), taken ? 0 : 1);
        const QString line =
            taken ? settingsText(LineChoices{rate, framing}).toLower() : "9600,n,8,1";
        QCOMPARE(w->Comm1().settings(), line);
        w->NUMADM787_Click();
        QCOMPARE(pty.readNow(5), kAdm787);
    }

    void slowLine_data()
    {
        QTest::addColumn<int>("size");     // stored first: more than the line takes at once
        QTest::addColumn<QString>("then"); // the command after it
        QTest::addColumn<bool>("stopped"); // output stopped (TCOOFF) rather than a master not read
        QTest::newRow("20,000 bytes, then Show demo") << 20000 << "numrun" << false;
        QTest::newRow("1 MiB, then a key") << (1 << 20) << "key" << false;
        QTest::newRow("stopped line, then AD&M787") << 20000 << "NUMADM787" << true;
        QTest::newRow("stopped line, then other settings") << 20000 << "settings" << true;
    }

    // A line that takes bytes slowly is not a device gone: they wait in order, the operator sees
    // how many, and all go out once the line moves again.
    void slowLine()
    {
        QFETCH(int, size);
        QFETCH(QString, then);
        QFETCH(bool, stopped);
        Pty pty;
        Rig rig;
        Formall* w = rig.startOpen(pty);
        QVERIFY(w);
        if (stopped)
            pty.stop(true);
        const QByteArray stored = pattern(size);
        w->Comm1().output(stored);
        QByteArray command = kAdm787;
        if (then == u"settings") {
            // What waits would go out garbled at another speed: refused, the line as it was.
            const std::optional<CommError> e =
                failureOf([&] { w->Comm1().setSettings("19200,n,8,1"); });
            QVERIFY(e && e->number() == err::SettingsRefused);
            QVERIFY2(failureText(*e).contains(u"still sending"), qPrintable(failureText(*e)));
            QCOMPARE(w->Comm1().settings(), QStringLiteral("9600,n,8,1"));
            QCOMPARE(speedOf(pty), speed_t(B9600));
            command.clear();
        } else if (then == u"key") {
            typeInto(DATASAVE::showDemo(rig.h->ctx())->findChild<QPlainTextEdit*>("keyin"), "k");
            command = "k";
        } else {
            w->menuEntry(then)->trigger();
            command = then == u"numrun" ? hex("02 05 44 08 03") : kAdm787;
        }
        QVERIFY(w->Comm1().portOpen());
        QTRY_VERIFY(!w->statusBar()->currentMessage().isEmpty());
        QCOMPARE(w->statusBar()->currentMessage(), pendingText(w->Comm1().bytesPending()));
        QVERIFY(w->Comm1().bytesPending() > command.size());

        if (stopped)
            pty.stop(false);
        pty.startReading(size + command.size());
        QTRY_COMPARE_WITH_TIMEOUT(w->Comm1().bytesPending(), 0, 30000);
        QCOMPARE(pty.received(), stored + command);
        QTRY_COMPARE(w->statusBar()->currentMessage(), QString());
        QCOMPARE(rig.h->boxes.shown, QList<ShownBox>{});
    }

    void closeWhilePending_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("stopped"); // the line stays stopped; else it is read a little later
        QTest::addColumn<bool>("closeNow"); // the operator cuts the wait short
        QTest::addColumn<QString>("then");  // what else arrives early in the wait
        const auto row = [](const char* name, const char* how, bool stopped, bool closeNow,
                            const char* then = "") {
            QTest::newRow(name) << how << stopped << closeNow << then;
        };
        row("Close the port, Close now", "close port", true, true);
        // Nobody reads the far end: what the terminal took still arrives, and only the rest is
        // told.
        row("Close the port, far end not reading, Close now", "close port, unread", true, true);
        row("Close the port, the wait runs out", "close port", true, false);
        row("Close the port, the line going again", "close port", false, false);
        row("main window closed, Close now", "close window", true, true);
        row("main window closed, the line going again", "close window", false, false);
        row("End, the line going again", "end", false, false);
        row("End, the wait runs out", "end", true, false);
        row("SIGTERM, the line going again", "SIGTERM", false, false);
        row("SIGHUP, the wait runs out", "SIGHUP", true, false);
        // Whatever arrives while a close waits neither nests a second wait nor writes.
        for (const char* then : {"close port", "end", "close window", "SIGTERM", "menu", "keys"})
            QTest::addRow("Close the port, then %s", then)
                << "close port" << true << true << QString::fromLatin1(then);
        row("End, then the window closed", "end", true, true, "close window");
        row("SIGTERM, then the window closed", "SIGTERM", true, true, "close window");
    }

    // The close waits for the bytes, painting meanwhile, with a bound and a way out; whatever is
    // dropped is told first; then the line is as it was found and the lock is gone.
    void closeWhilePending()
    {
        QFETCH(QString, how);
        QFETCH(bool, stopped);
        QFETCH(bool, closeNow);
        QFETCH(QString, then);
        Pty pty;
        Rig rig;
        QCOMPARE(setSpeed(pty, B4800), 0);
        QPointer<Formall> w = rig.startOpen(pty);
        QVERIFY(w);
        QPointer<QPlainTextEdit> keys =
            DATASAVE::showDemo(rig.h->ctx())->findChild<QPlainTextEdit*>("keyin");
        w->Comm1().setSettings(QStringLiteral("115200,n,8,1")); // keeps the bound short
        QVERIFY(QFile::exists(lockFileOf(pty)));
        const bool unread = how.endsWith(u"unread");
        if (!unread)
            pty.stop(true);
        const QByteArray bytes = pattern(unread ? 60000 : 20000);
        w->Comm1().output(bytes);
        if (stopped) // shown once a real line's driver has handed on what it could
            QTRY_VERIFY(!w->statusBar()->currentMessage().isEmpty());
        const qint64 pending = w->Comm1().bytesPending();
        QVERIFY(pending > 0 &&
                (!stopped || w->statusBar()->currentMessage() == pendingText(pending)));

        WhenModal progress([&](QWidget* box) {
            auto* dialog = qobject_cast<QProgressDialog*>(box);
            QVERIFY(dialog);
            QCOMPARE(w->findChildren<QProgressDialog*>().size(), 1);
            if (stopped && !unread) // the bytes left, as they stand
                QCOMPARE(dialog->labelText(),
                         QStringLiteral("Sending to the display: %1 bytes left").arg(pending));
            QCOMPARE(dialog->findChild<QPushButton*>()->text(), QStringLiteral("Close now"));
            if (closeNow)
                click(dialog->findChild<QPushButton*>());
        });
        if (!stopped)
            QTimer::singleShot(100, [&] {
                pty.stop(false);
                pty.startReading(bytes.size());
            });
        const cli::TerminationSignals termination([w](int) { w->endOnSignal(); });
        const auto act = [&](const QString& what) {
            if (what.startsWith(u"close port"))
                w->Command1_Click(1);
            else if (what == u"close window")
                w->close();
            else if (what == u"end")
                w->Command2_Click();
            else if (what == u"menu")
                w->menuEntry(QStringLiteral("NUMADM787"))->trigger();
            else if (what == u"keys")
                typeInto(keys, QStringLiteral("k"));
            else
                ::raise(what == u"SIGTERM" ? SIGTERM : SIGHUP);
        };
        if (!then.isEmpty())
            QTimer::singleShot(50, w, [&] { act(then); });
        act(how);
        const auto either = [&](const QString& what) { return how == what || then == what; };
        const bool ends =
            either(QStringLiteral("end")) || how.startsWith(u"SIG") || then.startsWith(u"SIG");
        QTRY_COMPARE_WITH_TIMEOUT(rig.h->ends, int(ends), 10000);
        QTRY_COMPARE(w.isNull(), either(QStringLiteral("close window")) && !ends);

        QVERIFY(!rig.h->ctx().port().portOpen());
        QVERIFY(progress.seen() || !stopped);
        // The count told is exactly what never arrives, nothing written after the close does.
        const qint64 notSent =
            !stopped ? 0
            : unread ? rig.h->boxes.shown.value(0).text.section(u' ', 0, 0).toLongLong()
                     : pending;
        QList<ShownBox> told;
        if (then == u"menu") // the port reads closed from the moment the close began
            told << ShownBox{ShownBox::Message, kPortNotOpen, 4, "message"};
        if (stopped && !how.startsWith(u"SIG") && !then.startsWith(u"SIG"))
            told << standardOkBox(notSentText(notSent));
        QCOMPARE(rig.h->boxes.shown, told);
        QVERIFY(!unread || (notSent > 0 && notSent < bytes.size()));
        pty.stop(false);
        QCOMPARE(stopped ? pty.readNow(bytes.size() - notSent) : pty.received(),
                 bytes.left(bytes.size() - notSent));
        QCOMPARE(pty.unread(), 0);
        QCOMPARE(speedOf(pty), speed_t(B4800));
        QVERIFY(!QFile::exists(lockFileOf(pty)));
        QCOMPARE(handlesOn(pty.path()), 1);
    }

    void toolOnPty_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode"); // negative: ended by that signal
        QTest::addColumn<QString>("says"); // on stderr
        const QString upper = QStringLiteral("upper ") + QString(3000, u'x');
        const QStringList stalled =
            QStringList{"--line", "115200,n,8,1"} + upper.split(u' ') + QStringList{"show"};
        QTest::newRow("a stopped line")
            << "stopped" << QStringList{"emulation", "adm787", "upper", "Hi", "show"} << 1
            << "failed after 0 of 3 actions: 17 bytes were not sent";
        QTest::newRow("SIGTERM on a stopped line")
            << "stopped, SIGTERM" << stalled << -SIGTERM
            << "stopped by SIGTERM; 3010 bytes were not sent";
        QTest::newRow("SIGHUP twice cuts the wait short")
            << "stopped, SIGHUP, SIGHUP" << QStringList{"upper", QString(30000, u'y'), "show"}
            << -SIGHUP << "stopped by SIGHUP; ";
        QTest::newRow("stdout closed")
            << "stdout closed" << QStringList{"emulation", "ztk", "show"} << 0 << "";
        // At 300 baud the line needs seconds for the text: the display hangs up while it goes.
        const QString slowText = QString(100, u'z');
        QTest::newRow("far end hangs up before the line switch")
            << "hang up" << QStringList{"--line",       "300,n,8,1", "upper", slowText,
                                        "display-line", "9600",      "N,8,1", "show"}
            << 1 << "failed after 0 of 3 actions: the device went away; ";
        QTest::newRow("far end hangs up during the last wait")
            << "hang up" << QStringList{"--line", "300,n,8,1", "upper", slowText} << 1
            << "failed after 0 of 1 action: the device went away; ";
        QTest::newRow("a live lock file, a binary int")
            << "binary lock" << QStringList{"show"} << 1 << "in use by another program (PID %1)";
        QTest::newRow("a FIFO as the lock file")
            << "fifo lock" << QStringList{"show"} << 1 << "%2 is not a lock file: remove it";
    }

    // vq3360ctl where scripts meet the world: the device is put back whatever ends the run, and the
    // words say what happened, with counts that are the bytes that never arrive.
    void toolOnPty()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        Pty pty;
        QCOMPARE(setSpeed(pty, B4800), 0);
        QCOMPARE(::chmod(qPrintable(pty.path()), 0666), 0);
        args = QStringList{"--device", pty.path()} + args;
        QList<QByteArray> raw;
        for (const QString& a : args)
            raw << a.toUtf8();
        const QByteArray all = [&] {
            QByteArray bytes;
            for (const ctl::Action& a : ctl::parseInvocation(raw).plan.actions)
                bytes += a.writes().join();
            return bytes;
        }();
        QFile lockFile(lockFileOf(pty));
        const auto tidy = qScopeGuard([&] { lockFile.remove(); });
        const int live = ::getppid(); // holds the lock, by a binary int
        if (how == u"binary lock") {
            QVERIFY(lockFile.open(QIODevice::WriteOnly));
            lockFile.write(QByteArray(reinterpret_cast<const char*>(&live), 4));
            lockFile.close();
        }
        if (how == u"fifo lock")
            QCOMPARE(::mkfifo(qPrintable(lockFile.fileName()), 0666), 0);
        if (how.startsWith(u"stopped"))
            pty.stop(true);
        QProcess tool;
        tool.start(QStringLiteral(VQ_CTL_EXE), args);
        QVERIFY(tool.waitForStarted());
        if (how == u"stdout closed")
            tool.closeReadChannel(QProcess::StandardOutput);
        if (how == u"hang up") {
            QCOMPARE(pty.readNow(10).left(10), all.left(10)); // the first bytes went out
            pty.closeMaster();
        }
        if (how.contains(u"SIG")) {
            QTRY_VERIFY(lockFile.exists()); // the device is open and its bytes wait
            QTest::qWait(200);
            for (const QString& name : how.split(QStringLiteral(", ")).mid(1)) {
                ::kill(pid_t(tool.processId()), name == u"SIGTERM" ? SIGTERM : SIGHUP);
                QTest::qWait(100); // two signals sent at once are one
            }
        }
        QVERIFY(tool.state() == QProcess::NotRunning || tool.waitForFinished(30000));
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(exitCode < 0
                     ? tool.exitStatus() == QProcess::CrashExit && tool.exitCode() == -exitCode
                     : tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == exitCode,
                 true);
        says.replace(QStringLiteral("%1"), QString::number(live))
            .replace(QStringLiteral("%2"), lockFile.fileName());
        QVERIFY2(err.contains(says), qPrintable(err));
        // Put back: no lock file, no exclusive mode, the line as it was found.
        QVERIFY(!lockFile.exists() || how.endsWith(u" lock"));
        if (how == u"hang up")
            return; // a terminal hung up tells nothing more
        int exclusive = -1;
        QCOMPARE(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 0);
        QCOMPARE(speedOf(pty), speed_t(B4800));
        pty.stop(false);
        const qint64 notSent = err.section(QStringLiteral(" bytes were not sent"), 0, 0)
                                   .section(u' ', -1)
                                   .toLongLong();
        const qsizetype arrive = exitCode == 0 || notSent > 0 ? all.size() - notSent : 0;
        QCOMPARE(pty.readNow(arrive), all.left(arrive));
        QCOMPARE(pty.unread(), 0);
    }
};

QTEST_MAIN(TstPort)
#include "tst_port.moc"
