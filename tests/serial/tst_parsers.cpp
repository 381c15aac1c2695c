// The two texts an operator writes: the line settings string and the --com mapping.
#include "serial/linesettings.h"
#include "serial/portmap.h"

#include <QTest>

using namespace vq;

class TstParsers : public QObject {
    Q_OBJECT
private slots:
    void settings_data();
    void settings();
    void commandLine_data();
    void commandLine();
};

void TstParsers::settings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack"); // empty: refused
    const auto row = [](const char* text, const char* readBack) {
        QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(readBack);
    };
    row("9600,n,8,1", "9600,n,8,1");
    row("9600,N,8,1", "9600,n,8,1");
    row("2400,E,7,2", "2400,e,7,2");
    row("300,O,8,1", "300,o,8,1");
    row("1200,m,6,1", "1200,m,6,1");
    row("600,S,5,1.5", "600,s,5,1.5");
    for (const char* baud : {"110", "14400", "57600", "115200"})
        QTest::newRow(baud) << QStringLiteral("%1,n,8,2").arg(baud)
                            << QStringLiteral("%1,n,8,2").arg(baud);
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
    const auto parsed = LineSettings::parse(text);
    QCOMPARE(parsed ? parsed->toString() : QString(), readBack);
    if (parsed)
        QCOMPARE(LineSettings::parse(readBack), parsed);
}

void TstParsers::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("devices"); // COM1..COM16 as opened, "|"-joined; or the error's words
    QTest::addColumn<bool>("help");
    const QString plain = QStringLiteral("/dev/ttyS0|/dev/ttyS1|/dev/ttyS2");
    const auto ok = [&](const char* name, QStringList args, const QString& first3,
                        bool help = false) { QTest::newRow(name) << args << first3 << help; };
    ok("nothing", {}, plain);
    ok("one port", {"--com", "1=/dev/ttyUSB0"}, "/dev/ttyUSB0|/dev/ttyS1|/dev/ttyS2");
    ok("joined with =", {"--com=3=/dev/pts/4"}, "/dev/ttyS0|/dev/ttyS1|/dev/pts/4");
    ok("repeated", {"--com", "2=/dev/pts/7", "--com", "3=a=b"}, "/dev/ttyS0|/dev/pts/7|a=b");
    ok("help", {"--com", "1=/dev/x", "-h"}, "/dev/x|/dev/ttyS1|/dev/ttyS2", true);
    ok("window system's own", {"-platform", "offscreen", "--com=2=x"}, "/dev/ttyS0|x|/dev/ttyS2");
    const auto bad = [](const char* name, QStringList args, const char* named) {
        QTest::newRow(name) << args << QStringLiteral("error: %1").arg(named) << false;
    };
    bad("N 0", {"--com", "0=/dev/ttyS0"}, "0=/dev/ttyS0");
    bad("N 17", {"--com", "17=/dev/ttyS0"}, "17=/dev/ttyS0");
    bad("N signed", {"--com", "+1=/dev/ttyS0"}, "+1=/dev/ttyS0");
    bad("N missing", {"--com", "=/dev/ttyS0"}, "=/dev/ttyS0");
    bad("COM prefix", {"--com", "COM1=/dev/ttyS0"}, "COM1=/dev/ttyS0");
    bad("missing =", {"--com", "1"}, "1");
    bad("empty device", {"--com", "2="}, "2=");
    bad("no value", {"--com"}, "--com");
    bad("-platform without a value", {"-platform"}, "-platform");
    bad("same port twice", {"--com", "1=/dev/a", "--com", "1=/dev/b"}, "1=/dev/b");
    bad("unknown option", {"--port", "1"}, "--port");
    bad("stray argument", {"/dev/ttyUSB0"}, "/dev/ttyUSB0");
}

void TstParsers::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, devices);
    QFETCH(bool, help);
    QList<QByteArray> raw;
    for (const QString& a : args)
        raw << a.toLocal8Bit();
    const CommandLine cl = parseCommandLine(raw);
    if (devices.startsWith(QLatin1String("error: "))) {
        // One line naming the argument; the caller puts the program name in front.
        QVERIFY2(cl.error.contains(devices.mid(7)), qPrintable(cl.error));
        QVERIFY2(!cl.error.startsWith(QLatin1String("vq3360")) && !cl.error.contains(u'\n'),
                 qPrintable(cl.error));
        return;
    }
    QCOMPARE(cl.error, QString());
    QCOMPARE(cl.help, help);
    QStringList opened;
    for (int n = 1; n <= 3; ++n)
        opened << QString::fromLocal8Bit(cl.map.deviceFor(n));
    QCOMPARE(opened.join(u'|'), devices);
    const QList<QByteArray> qt{"-platform", "offscreen"};
    QCOMPARE(cl.qtArgs, args.contains("-platform") ? qt : QList<QByteArray>{});
    QVERIFY(usageText().startsWith(QLatin1String("Usage: vq3360 [--com N=DEVICE]...")));
}

QTEST_APPLESS_MAIN(TstParsers)
#include "tst_parsers.moc"
