#include "virtual_display/displaydecoder.h"
#include "virtual_display/displaywindow.h"
#include "virtual_display/eventjson.h"
#include "virtual_display/ptyendpoint.h"
#include "virtual_display/signalwatcher.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace vq::vdisplay;

namespace {

void writeLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool argumentGiven(int argc, char** argv, std::initializer_list<const char*> names)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* name : names) {
            if (std::strcmp(argv[i], name) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // The application object must exist before the parser, and its kind depends on
    // the arguments: headless runs and --help must work without any display.
    const bool noWindow =
        argumentGiven(argc, argv, {"--headless", "-h", "--help", "--help-all", "-v", "--version"});
    std::unique_ptr<QCoreApplication> app;
    if (noWindow)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vq3360-virtual-display"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A stand-in for the VQ3360 pole display on a pseudo-terminal.\n"
                       "The first line of output is the device path to open from the utility.\n"
                       "With --headless, every later line is one JSON event; see README.md."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"), QStringLiteral("No window; print events as JSON lines."));
    parser.addOption(headlessOption);
    parser.process(*app);

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
    if (parser.isSet(headlessOption)) {
        QObject::connect(&pty, &PtyEndpoint::dataReceived, app.get(),
                         [&decoder](const QByteArray& data, int pcBaud) {
                             decoder.setPcBaud(pcBaud);
                             for (const DisplayEvent& event : decoder.feed(data))
                                 writeLine(eventToJson(event));
                         });
    } else {
        window = std::make_unique<DisplayWindow>(decoder, pty);
        window->show();
    }

    return app->exec();
}
