// What an operator and other programs write and read: the line settings string, the list of
// ports and their COM numbers, and the lock files serial programs leave.
#include "serial/linesettings.h"
#include "serial/lockfile.h"
#include "serial/portlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

#include <QTest>

using namespace vq;

Q_DECLARE_METATYPE(vq::PortInfo)
Q_DECLARE_METATYPE(vq::PortMap)

class TstParsers : public QObject {
    Q_OBJECT
private slots:
    void settings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("readBack"); // empty: refused
        QTest::addColumn<qint64>("msFor960");  // on the line, 960 bytes, rounded up
        const auto row = [](const char* text, const char* readBack, qint64 ms = 0) {
            QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(readBack) << ms;
        };
        row("9600,n,8,1", "9600,n,8,1", 1000);
        row("9600,N,8,1", "9600,n,8,1", 1000);
        row("2400,E,7,2", "2400,e,7,2", 4400);
        row("300,O,8,1", "300,o,8,1", 35200);
        row("1200,m,6,1", "1200,m,6,1", 7200);
        row("600,S,5,1.5", "600,s,5,1.5", 13600);
        for (const auto& [baud, ms] :
             {std::pair{"110", 96000}, {"14400", 734}, {"57600", 184}, {"115200", 92}})
            QTest::newRow(baud) << QStringLiteral("%1,n,8,2").arg(baud)
                                << QStringLiteral("%1,n,8,2").arg(baud) << qint64(ms);
        // Refused, "|"-separated: each field missing, out of range, misspelt or padded.
        const QString bad =
            QStringLiteral("|9600,n,8|9600,n,8,1,1|9601,n,8,1|0,n,8,1|230400,n,8,1|"
                           "-9600,n,8,1|09600,n,8,1| 9600,n,8,1|,n,8,1|9600,x,8,1|"
                           "9600,none,8,1|9600,,8,1|9600,n,4,1|9600,n,9,1|9600,n,08,1|"
                           "9600,n,8,0|9600,n,8,3|9600,n,8,1.0|9600;n;8;1|9600,n,8,1 ");
        for (const QString& text : bad.split(u'|'))
            QTest::newRow(qPrintable(text)) << text << QString() << qint64(0);
    }

    void settings()
    {
        QFETCH(QString, text);
        QFETCH(QString, readBack);
        QFETCH(qint64, msFor960);
        const auto parsed = LineSettings::parse(text);
        QCOMPARE(parsed ? parsed->toString() : QString(), readBack);
        if (parsed) {
            QCOMPARE(LineSettings::parse(readBack), parsed);
            QCOMPARE(parsed->lineTimeMs(960), msFor960);
        }
    }

    void portList_data()
    {
        QTest::addColumn<QList<PortInfo>>("ports");
        QTest::addColumn<PortMap>("byHand");
        QTest::addColumn<QString>("numbers"); // COM1 onward, "|"-joined
        QTest::addColumn<QString>("text");    // the utility's list, then vq3360ctl's
        const auto usb = [](const char* device, const char* id) {
            const QString stable =
                id ? QStringLiteral("/dev/serial/by-id/usb-%1-if00-port0").arg(id) : QString();
            return PortInfo{device, "FT232R USB UART", "FTDI", 0x0403, 0x6001, "A1", stable};
        };
        const PortInfo s0{"/dev/ttyS0", "", "", {}, {}, "", ""};
        const PortInfo s2{"/dev/ttyS2", "", "", {}, {}, "", ""};
        const PortInfo s10{"/dev/ttyS10", "", "", {}, {}, "", ""};
        QTest::newRow("none") << QList<PortInfo>{} << PortMap{} << ""
                              << "No serial ports found.\n|No serial ports found.\n";
        QTest::newRow("a USB adapter, by its stable name")
            << QList<PortInfo>{usb("/dev/ttyUSB0", "FTDI_A1")} << PortMap{}
            << "/dev/serial/by-id/usb-FTDI_A1-if00-port0"
            << "/dev/ttyUSB0: FT232R USB UART, made by FTDI, USB 0403:6001, serial number A1\n"
               "    stable name: /dev/serial/by-id/usb-FTDI_A1-if00-port0\n"
               "    COM1; --com 1=/dev/serial/by-id/usb-FTDI_A1-if00-port0 keeps it there\n|"
               "/dev/ttyUSB0: FT232R USB UART, made by FTDI, USB 0403:6001, serial number A1\n"
               "    stable name: /dev/serial/by-id/usb-FTDI_A1-if00-port0\n"
               "    COM1 in vq3360; as --device /dev/serial/by-id/usb-FTDI_A1-if00-port0\n";
        // On-board first in their own order, adapters by stable name, those without one last.
        QTest::newRow("the order of COM numbers")
            << QList<PortInfo>{usb("/dev/ttyUSB0", "Zeta"), s10, usb("/dev/ttyACM0", nullptr),
                               usb("/dev/ttyUSB1", "Alpha"), s2}
            << PortMap{}
            << "/dev/ttyS2|/dev/ttyS10|/dev/serial/by-id/usb-Alpha-if00-port0|"
               "/dev/serial/by-id/usb-Zeta-if00-port0|/dev/ttyACM0"
            << "";
        QTest::newRow("a device given by hand is not numbered again")
            << QList<PortInfo>{s0, usb("/dev/ttyUSB0", "A")}
            << PortMap{{{1, "/dev/ttyUSB0"}, {3, "/tmp/other"}}}
            << "/dev/ttyUSB0|/dev/ttyS0|/tmp/other"
            << "/dev/ttyS0\n    COM2; --com 2=/dev/ttyS0 keeps it there\n"
               "/dev/ttyUSB0: FT232R USB UART, made by FTDI, USB 0403:6001, serial number A1\n"
               "    stable name: /dev/serial/by-id/usb-A-if00-port0\n"
               "    COM1; --com 1=/dev/serial/by-id/usb-A-if00-port0 keeps it there\n|";
    }

    void portList()
    {
        QFETCH(QList<PortInfo>, ports);
        QFETCH(PortMap, byHand);
        QFETCH(QString, numbers);
        QFETCH(QString, text);
        const PortMap map = numberPorts(ports, byHand);
        QStringList got;
        for (int n = 1; !map.deviceFor(n).isEmpty(); ++n)
            got << QFile::decodeName(map.deviceFor(n));
        QCOMPARE(got.join(u'|'), numbers);
        QCOMPARE(map.devices.size(), got.size()); // each number once, none skipped
        if (!text.isEmpty())
            QCOMPARE(portListText(ports, map) + u'|' +
                         (byHand.devices.isEmpty() ? portListText(ports, map, PortListFor::Ctl)
                                                   : QString()),
                     text);
    }

    void lockFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // %live: a running process, %dead: one ended
        QTest::addColumn<int>("state");
        QProcess ended;
        ended.start(QStringLiteral("true"));
        const QByteArray dead = QByteArray::number(ended.waitForStarted() ? ended.processId() : 0);
        ended.waitForFinished();
        const QByteArray live = QByteArray::number(::getppid());
        int binary = ::getppid();
        using H = LockFile::Holder;
        QTest::newRow("as serial programs write it") << "    " + live + "\n" << int(H::Live);
        QTest::newRow("a bare number") << live << int(H::Live);
        QTest::newRow("pid=N") << "pid=" + live + "\n" << int(H::Live);
        QTest::newRow("with the program's name") << live + " minicom root\n" << int(H::Live);
        QTest::newRow("a binary int")
            << QByteArray(reinterpret_cast<const char*>(&binary), 4) << int(H::Live);
        QTest::newRow("an ended owner") << "    " + dead + "\n" << int(H::Dead);
        QTest::newRow("names no process") << QByteArray("locked\n") << int(H::Unknown);
        QTest::newRow("empty") << QByteArray() << int(H::Unknown);
        // Anything but a small file is nobody's lock: read or taken, it would block or mislead.
        QTest::newRow("a FIFO") << QByteArray("%fifo") << int(H::NotAFile);
        QTest::newRow("a link to a live one") << "%link" + live << int(H::NotAFile);
        QTest::newRow("a folder") << QByteArray("%dir") << int(H::NotAFile);
        QTest::newRow("too large") << live + QByteArray(4096, ' ') << int(H::NotAFile);
    }

    // A live owner keeps the device, whatever form the file takes; an ended one's is taken over.
    void lockFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, state);
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("LCK..ttyX")));
        QFile file(QFile::decodeName(path));
        if (content == "%fifo")
            QCOMPARE(::mkfifo(path.constData(), 0644), 0);
        else if (content == "%dir")
            QVERIFY(QDir().mkdir(file.fileName()));
        else if (content.startsWith("%link")) {
            QFile target(dir.filePath(QStringLiteral("held")));
            QVERIFY(target.open(QIODevice::WriteOnly) && target.write(content.mid(5)) > 0);
            QVERIFY(QFile::link(target.fileName(), file.fileName()));
        } else
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QCOMPARE(int(LockFile::holderOf(path).state), state);
        if (state == LockFile::Holder::NotAFile) { // left where it is, for its owner to remove
            LockFile lock;
            QCOMPARE(int(lock.take(path).state), state);
            QVERIFY(!lock.held() && QFileInfo(file.fileName()).exists());
            return;
        }
        LockFile lock;
        lock.take(path);
        QCOMPARE(lock.held(), state == LockFile::Holder::Dead);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll() == content, !lock.held());
        lock.release();
        QCOMPARE(QFile::exists(file.fileName()), state != LockFile::Holder::Dead);
    }
};

QTEST_APPLESS_MAIN(TstParsers)
#include "tst_parsers.moc"
