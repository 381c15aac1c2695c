// What an operator writes and reads on a terminal: the line settings string, the command line
// and the list of ports.
#include "app/commandline.h"
#include "serial/linesettings.h"
#include "serial/portlist.h"

#include <QTest>

using namespace vq;

Q_DECLARE_METATYPE(vq::PortInfo)

class TstParsers : public QObject {
    Q_OBJECT
private slots:
    void settings_data();
    void settings();
    void commandLine_data();
    void commandLine();
    void portList_data();
    void portList();
};

void TstParsers::settings_data()
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
    for (const char* bad : {"",
                            "9600,n,8",
                            "9600,n,8,1,1",
                            "9601,n,8,1",
                            "0,n,8,1",
                            "230400,n,8,1",
                            "-9600,n,8,1",
                            "09600,n,8,1",
                            " 9600,n,8,1",
                            ",n,8,1",
                            "9600,x,8,1",
                            "9600,none,8,1",
                            "9600,,8,1",
                            "9600,n,4,1",
                            "9600,n,9,1",
                            "9600,n,08,1",
                            "9600,n,8,0",
                            "9600,n,8,3",
                            "9600,n,8,1.0",
                            "9600;n;8;1",
                            "9600,n,8,1 "})
        row(bad, "");
}

void TstParsers::settings()
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

void TstParsers::commandLine_data()
{
    QTest::addColumn<QList<QByteArray>>("args");
    // COM1 to COM3 as they open, "|"-joined, and what else was asked; or "error: " and the words
    // the error names.
    QTest::addColumn<QByteArray>("expected");
    const QByteArray plain = "/dev/ttyS0|/dev/ttyS1|/dev/ttyS2";
    const auto row = [](const char* name, QList<QByteArray> args, const QByteArray& expected) {
        QTest::newRow(name) << args << expected;
    };
    row("nothing", {}, plain);
    row("one port", {"--com", "1=/dev/ttyUSB0"}, "/dev/ttyUSB0|/dev/ttyS1|/dev/ttyS2");
    row("joined with =", {"--com=3=/dev/pts/4"}, "/dev/ttyS0|/dev/ttyS1|/dev/pts/4");
    row("repeated", {"--com", "2=/dev/pts/7", "-com", "3=a=b"}, "/dev/ttyS0|/dev/pts/7|a=b");
    row("a name that is not text", {"--com", "1=/tmp/\xff\xfe"},
        "/tmp/\xff\xfe|/dev/ttyS1|/dev/ttyS2");
    row("help", {"--com", "1=/dev/x", "-h"}, "/dev/x|/dev/ttyS1|/dev/ttyS2 +help");
    row("version", {"--version"}, plain + " +version");
    row("list the ports", {"--list-ports"}, plain + " +list-ports");
    row("window system's own",
        {"-platform", "offscreen", "-reverse", "-style", "fusion", "--com=2=x"},
        "/dev/ttyS0|x|/dev/ttyS2 -platform offscreen -reverse -style fusion");
    row("N 0", {"--com", "0=/dev/ttyS0"}, "error: 0=/dev/ttyS0");
    row("N 17", {"--com", "17=/dev/ttyS0"}, "error: 17=/dev/ttyS0");
    row("N signed", {"--com", "+1=/dev/ttyS0"}, "error: +1=/dev/ttyS0");
    row("N missing", {"--com", "=/dev/ttyS0"}, "error: =/dev/ttyS0");
    row("COM prefix", {"--com", "COM1=/dev/ttyS0"}, "error: COM1=/dev/ttyS0");
    row("missing =", {"--com", "1"}, "error: 1");
    row("empty device", {"--com", "2="}, "error: 2=");
    row("no value", {"--com"}, "error: --com");
    row("-platform without a value", {"-platform"}, "error: -platform");
    row("same port twice", {"--com", "1=/dev/a", "--com", "1=/dev/b"}, "error: 1=/dev/b");
    row("unknown option", {"--port", "1"}, "error: port");
    row("stray argument", {"/dev/ttyUSB0"}, "error: /dev/ttyUSB0");
}

void TstParsers::commandLine()
{
    QFETCH(QList<QByteArray>, args);
    QFETCH(QByteArray, expected);
    const CommandLine cl = parseCommandLine(args);
    if (expected.startsWith("error: ")) {
        // One line naming the argument; the caller puts the program name in front.
        QVERIFY2(cl.error.contains(QString::fromLatin1(expected.mid(7))), qPrintable(cl.error));
        QVERIFY2(!cl.error.startsWith(QLatin1String("vq3360")) && !cl.error.contains(u'\n'),
                 qPrintable(cl.error));
        return;
    }
    QCOMPARE(cl.error, QString());
    QList<QByteArray> got;
    for (int n = 1; n <= 3; ++n)
        got << cl.map.deviceFor(n);
    QByteArray said = got.join('|');
    for (const auto& [asked, name] :
         {std::pair{cl.help, " +help"}, {cl.version, " +version"}, {cl.listPorts, " +list-ports"}})
        said += asked ? name : "";
    for (const QByteArray& a : cl.qtArgs)
        said += ' ' + a;
    QCOMPARE(said, expected);
    if (cl.help) // the text is the same whatever the row
        QVERIFY(helpText().startsWith(QLatin1String("Usage: vq3360 [options]\n")));
}

void TstParsers::portList_data()
{
    QTest::addColumn<QList<PortInfo>>("ports");
    QTest::addColumn<PortListFor>("program");
    QTest::addColumn<QString>("text");
    const PortInfo usb{"/dev/ttyUSB0",
                       "FT232R USB UART",
                       "FTDI",
                       0x0403,
                       0x6001,
                       "A10K3S7",
                       "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3S7-if00-port0"};
    constexpr PortListFor utility = PortListFor::Utility;
    QTest::newRow("none") << QList<PortInfo>{} << utility << "No serial ports found.\n";
    QTest::newRow("a USB adapter, by its stable name")
        << QList<PortInfo>{usb} << utility
        << "/dev/ttyUSB0: FT232R USB UART, made by FTDI, USB 0403:6001, serial number A10K3S7\n"
           "    stable name: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3S7-if00-port0\n"
           "    as COM1: --com 1=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3S7-if00-port0\n";
    QTest::newRow("a built-in port, nothing known")
        << QList<PortInfo>{{"/dev/ttyS0", "", "", {}, {}, "", ""}} << utility
        << "/dev/ttyS0\n    as COM1: --com 1=/dev/ttyS0\n";
    QTest::newRow("for vq3360ctl, which takes --device")
        << QList<PortInfo>{usb} << PortListFor::Ctl
        << "/dev/ttyUSB0: FT232R USB UART, made by FTDI, USB 0403:6001, serial number A10K3S7\n"
           "    stable name: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3S7-if00-port0\n"
           "    as --device /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3S7-if00-port0\n";
}

void TstParsers::portList()
{
    QFETCH(QList<PortInfo>, ports);
    QFETCH(PortListFor, program);
    QFETCH(QString, text);
    QCOMPARE(portListText(ports, numberPorts(ports), program), text);
}

QTEST_APPLESS_MAIN(TstParsers)
#include "tst_parsers.moc"
