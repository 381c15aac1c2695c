// What the programs make of their command lines, and vq3360ctl of its profiles: the maps, the
// actions and their bytes, and the errors that stop a run before anything is opened.
#include "app/commandline.h"
#include "ctl/invocation.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vq;

class TstCommandLine : public QObject {
    Q_OBJECT
private slots:
    void utility_data()
    {
        QTest::addColumn<QList<QByteArray>>("args");
        // COM1 to COM3 as given by hand, "|"-joined, and what else was asked; or "error: " and the
        // words the error names.
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* name, QList<QByteArray> args, const QByteArray& expected) {
            QTest::newRow(name) << args << expected;
        };
        row("nothing", {}, "||");
        row("one port", {"--com", "1=/dev/ttyUSB0"}, "/dev/ttyUSB0||");
        row("joined with =", {"--com=3=/dev/pts/4"}, "||/dev/pts/4");
        row("repeated", {"--com", "2=/dev/pts/7", "-com", "3=a=b"}, "|/dev/pts/7|a=b");
        row("a name that is not text", {"--com", "1=/tmp/\xff\xfe"}, "/tmp/\xff\xfe||");
        row("help", {"--com", "1=/dev/x", "-h"}, "/dev/x|| +help");
        row("version", {"--version"}, "|| +version");
        row("list the ports", {"--list-ports"}, "|| +list-ports");
        row("a virtual display", {"--virtual-display", "--com", "2=/dev/x"}, "|/dev/x| +virtual");
        row("window system's own",
            {"-platform", "offscreen", "-reverse", "-style", "fusion", "--com=2=x"},
            "|x| -platform offscreen -reverse -style fusion");
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
        row("COM1 twice, by hand and virtual", {"--com", "1=/dev/a", "--virtual-display"},
            "error: --virtual-display");
        row("unknown option", {"--port", "1"}, "error: port");
        row("a flag with a value", {"--help=yes"}, "error: --help takes no value");
        row("stray argument", {"/dev/ttyUSB0"}, "error: /dev/ttyUSB0");
    }

    void utility()
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
        QByteArray said =
            cl.map.deviceFor(1) + '|' + cl.map.deviceFor(2) + '|' + cl.map.deviceFor(3);
        for (const auto& [asked, name] : {std::pair{cl.help, " +help"},
                                          {cl.version, " +version"},
                                          {cl.listPorts, " +list-ports"},
                                          {cl.virtualDisplay, " +virtual"}})
            said += asked ? name : "";
        for (const QByteArray& a : cl.qtArgs)
            said += ' ' + a;
        QCOMPARE(said, expected);
        if (cl.help) // the text is the same whatever the row
            QVERIFY(helpText().startsWith(QLatin1String("Usage: vq3360 [options]\n")));
    }

    void ctl_data()
    {
        QTest::addColumn<QList<QByteArray>>("args"); // %p: the profile's path
        QTest::addColumn<QByteArray>("profile"); // its content; "fifo:" a FIFO written meanwhile
        // Each action as "words: HEX", " | "-joined, after the line when it is not 9600,n,8,1; or
        // "error: " and what the error must say.
        QTest::addColumn<QString>("expected");
        const QList<QByteArray> dev{"--device", "/dev/x"};
        const auto row = [&](const char* name, const QList<QByteArray>& args,
                             const QString& expected, const QByteArray& profile = {}) {
            QTest::newRow(name) << (args.contains("%p")
                                        ? dev + QList<QByteArray>{"--profile", "%p"} + args.mid(1)
                                        : dev + args)
                                << profile << expected;
        };
        const QString show = QStringLiteral("show: 02 05 44 08 03");
        row("options end at the first action", {"upper", "--dry-run", "show"},
            "upper --dry-run: 02 05 4C 31 2D 2D 64 72 79 2D 72 75 6E 03 | " + show);
        row("a text that reads as an option", {"upper", "-v"}, "upper -v: 02 05 4C 31 2D 76 03");
        row("-- before the actions", {"--", "lower", "--help"},
            "lower --help: 02 05 4C 32 2D 2D 68 65 6C 70 03");
        row("texts with escapes", {"type", "a\\rb\\x7F\\\\"},
            "type a\\rb\\x7F\\\\: 61 0D 62 7F 5C");
        row("an unknown escape", {"upper", "C:\\qemu"}, "error: unknown escape \\q");
        for (const char* bad : {"\\x 4", "\\x+4", "\\x-1"})
            row(bad, {"type", bad}, QStringLiteral("error: unknown escape ") + bad);
        row("not UTF-8: Latin-1", {"upper", "caf\xe9"}, "upper café: 02 05 4C 31 63 61 66 E9 03");
        row("rescue takes its line", {"rescue", "19200", "E,7,1", "show"},
            "rescue 19200 E,7,1: 02 05 42 37 03 02 05 50 34 03 | " + show);
        row("rescue without one", {"rescue", "show"},
            "rescue: 02 05 42 30 03 02 05 50 31 03 | " + show);
        row("rescue to no line", {"rescue", "1234", "N,8,1"}, "error: rescue 1234 N,8,1");
        row("unknown action", {"shwo"}, "error: unknown action 'shwo'");
        row("a value missing", {"emulation"}, "error: emulation needs a value");
        row("no action", {}, "error: no action given");
        const QByteArray exact = "upper  a,b;c \"q\" 'r' =x \t\r\n";
        row("profile texts exact", {"%p"},
            "upper  a,b;c \"q\" 'r' =x \t: 02 05 4C 31 20 61 2C 62 3B 63 "
            "20 22 71 22 20 27 72 27 20 3D 78 20 09 03",
            exact);
        row("profile in Latin-1 and UTF-8", {"%p", "show"},
            "upper é: 02 05 4C 31 E9 03 | lower é: 02 05 4C 32 E9 03 | upper ï¿½é: 02 05 4C 31 EF "
            "BF BD E9 03 | " +
                show,
            "upper \xe9\nlower \xc3\xa9\nupper \xef\xbf\xbd\xe9\n");
        row("profile line, comments, blanks", {"%p"},
            "line=19200,n,8,1 emulation ADM787: 02 05 43 33 03 | " + show,
            "# lane 3\n\n  line 19200,n,8,1\nemulation ADM787\r\n\t# two\nshow\n");
        row("--line over the profile's", {"%p", "--line", "9600,n,8,1", "show"}, show,
            "line 19200,n,8,1\n");
        row("profile from a FIFO", {"%p"}, show, "fifo:show\n");
        row("a FIFO nobody writes", {"%p"}, "error: no program writes to it", "fifo:");
        row("stdin from a pipe nobody writes", {"%p"}, "error: no program writes to it", "stdin:");
        row("stdin from a writer that stops", {"%p"}, "error: its writer has stopped",
            "stdin:show\n");
        row("help and manual whole", {"--help"},
            "help: FRAMING N,8,1 N,7,1 E,8,1 E,7,1 O,8,1 or O,7,1");
        row("profile error names file and line", {"%p"}, "error: %p:3: unknown action 'shwo'",
            "show\n\nshwo\n");
        row("the INI form", {"%p"}, "error: %p:1: not a profile line",
            "[line]\nsettings=9600,n,8,1\n");
        row("a bad line entry", {"%p"}, "error: %p:1: line takes settings", "line 19200,n,8\n");
        row("an empty profile", {"%p"}, "error: %p: is empty", "");
        row("binary garbage", {"%p"}, "error: not a profile: it holds NUL",
            QByteArray("\x7f"
                       "ELF\0\1",
                       6));
        row("too many actions", {"%p"}, "error: more than 10000 actions",
            QByteArray("show\n").repeated(10001));
        row("too long a text", {"%p"}, "error: more than 65536 characters",
            "upper " + QByteArray(65537, 'x'));
        row("too large a file", {"%p"}, "error: larger than 4 MiB",
            QByteArray(4 * 1024 * 1024 + 1, '#'));
    }

    void ctl()
    {
        QFETCH(QList<QByteArray>, args);
        QFETCH(QByteArray, profile);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("lane")));
        std::thread writer;
        // stdin is a pipe whose writer stays, silent once its text is written.
        int pipeEnds[2] = {-1, -1};
        const int stdinWas = ::dup(0);
        const auto restore = qScopeGuard([&] {
            ::dup2(stdinWas, 0);
            for (int fd : {stdinWas, pipeEnds[0], pipeEnds[1]})
                ::close(fd);
        });
        if (profile.startsWith("stdin:")) {
            QVERIFY(::pipe(pipeEnds) == 0 && ::dup2(pipeEnds[0], 0) == 0);
            QCOMPARE(::write(pipeEnds[1], profile.constData() + 6, size_t(profile.size() - 6)),
                     profile.size() - 6);
            path = "-";
        } else if (profile.startsWith("fifo:")) {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
            if (profile.size() > 5)
                writer = std::thread([&] {
                    QFile fifo(QFile::decodeName(path));
                    if (fifo.open(QIODevice::WriteOnly))
                        fifo.write(profile.mid(5));
                });
        } else if (args.contains("%p")) {
            QFile file(QFile::decodeName(path));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(profile) == profile.size());
        }
        if (args.contains("%p"))
            args[args.indexOf("%p")] = path;
        const ctl::Invocation run = ctl::parseInvocation(args, 300);
        if (writer.joinable())
            writer.join();
        expected.replace(QStringLiteral("%p"), QFile::decodeName(path));
        if (expected.startsWith(QLatin1String("help: "))) {
            // Said whole, with no warning of a name it could not fill in.
            QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
            QCOMPARE(run.what, ctl::Invocation::Help);
            QVERIFY(!ctl::helpText().isEmpty());
            QVERIFY2(ctl::manualSections().contains(expected.mid(6)),
                     qPrintable(ctl::manualSections()));
            return;
        }
        if (expected.startsWith(QLatin1String("error: "))) {
            QVERIFY2(run.error.contains(expected.mid(7)), qPrintable(run.error));
            QVERIFY(run.plan.actions.isEmpty()); // nothing of a refused run is sent
            return;
        }
        QCOMPARE(run.error, QString());
        QStringList said;
        for (const ctl::Action& a : run.plan.actions) {
            // A sweep's bytes once, as the run reports them.
            const QList<QByteArray> bytes =
                a.steps.size() > 1 ? a.steps.constLast().writes : a.writes();
            said << a.words.join(u' ') + QStringLiteral(": ") + ctl::hexBytes(bytes);
        }
        const QString line = run.lineSettings == LineSettings{}
                                 ? QString()
                                 : QStringLiteral("line=%1 ").arg(run.lineSettings.toString());
        QCOMPARE(line + said.join(QStringLiteral(" | ")), expected);
    }
};

QTEST_APPLESS_MAIN(TstCommandLine)
#include "tst_commandline.moc"
