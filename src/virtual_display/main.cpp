#include "virtual_display/displaydecoder.h"
#include "virtual_display/displaywindow.h"
#include "virtual_display/eventjson.h"
#include "virtual_display/ptyendpoint.h"
#include "virtual_display/signalwatcher.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace vq::vdisplay;

namespace {

void writeLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

const char kNoDisplay[] = "vq3360-virtual-display: no display to show the window on. Run it "
                          "with --headless, with -platform offscreen, or under xvfb-run.\n";

// Qt aborts with a page of plugin text when its display cannot be reached; one line is enough.
QtMessageHandler g_qtHandler = nullptr;
void whileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(2);
    }
    if (!QByteArray(context.category).startsWith("qt.qpa"))
        g_qtHandler(type, context, text);
}

int usageError(const QString& what)
{
    std::fprintf(stderr, "vq3360-virtual-display: %s\nTry --help.\n", qPrintable(what));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Options first, before any window system is needed, so a bad one is named in any case.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("A stand-in for the VQ3360 pole display on a pseudo-terminal.\n"
                       "The first line of output is the device path to open from the utility.\n"
                       "With --headless, every later line is one JSON event; see README.md."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Show the version and exit."));
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"), QStringLiteral("No window; print events as JSON lines."));
    const QCommandLineOption platformOption(QStringLiteral("platform"),
                                            QStringLiteral("The window system, such as offscreen."),
                                            QStringLiteral("name"));
    parser.addOptions({helpOption, versionOption, headlessOption, platformOption});
    // Qt's other window-system options go on to it, as Qt's own tools take them.
    const auto passOn = [&parser](const char* name, const QString& valueName) {
        QCommandLineOption qt(QString::fromLatin1(name), QString(), valueName);
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    };
    for (const char* name :
         {"platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
          "qwindowtitle", "display", "geometry", "style", "stylesheet", "session"})
        passOn(name, QStringLiteral("value"));
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
        passOn(name, QString());
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    if (parser.isSet(helpOption)) {
        // No application object yet, so the parser does not know the program's name.
        std::fputs(qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                        QStringLiteral("vq3360-virtual-display"))),
                   stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("vq3360-virtual-display %s\n", VQ_VERSION);
        return 0;
    }
    const bool headless = parser.isSet(headlessOption);

    std::unique_ptr<QCoreApplication> app;
    if (headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        g_qtHandler = qInstallMessageHandler(whileStarting);
        app = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(g_qtHandler);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vq3360-virtual-display"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, app.get(),
                     &QCoreApplication::quit);

    PtyEndpoint pty;
    QString error;
    if (!pty.open(&error)) {
        std::fprintf(stderr, "vq3360-virtual-display: cannot open a pseudo-terminal: %s\n",
                     qPrintable(error));
        return 1;
    }

    writeLine(pty.slavePath().toLocal8Bit());

    DisplayDecoder decoder;
    std::unique_ptr<DisplayWindow> window;
    if (headless) {
        QObject::connect(&pty, &PtyEndpoint::dataReceived, app.get(),
                         [&decoder](const QByteArray& data, const SerialLine& pc) {
                             decoder.setPcLine(pc);
                             for (const DisplayEvent& event : decoder.feed(data))
                                 writeLine(eventToJson(event));
                         });
    } else {
        window = std::make_unique<DisplayWindow>(decoder, pty);
        window->show();
    }

    return app->exec();
}
