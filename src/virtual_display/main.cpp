#include "cli/arguments.h"
#include "cli/startup.h"
#include "cli/termination.h"
#include "virtual_display/displaydecoder.h"
#include "virtual_display/displaywindow.h"
#include "virtual_display/eventjson.h"
#include "virtual_display/ptyendpoint.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

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

int usageError(const QString& what)
{
    std::fprintf(stderr, "vq3360-virtual-display: %s\nTry --help.\n", qPrintable(what));
    return 2;
}

const std::vector<vq::cli::OptionDef>& options()
{
    static const std::vector<vq::cli::OptionDef> defs = [] {
        std::vector<vq::cli::OptionDef> all{
            {{QStringLiteral("h"), QStringLiteral("help")},
             {},
             QStringLiteral("Show this help and exit.")},
            {{QStringLiteral("v"), QStringLiteral("version")},
             {},
             QStringLiteral("Show the version and exit.")},
            {{QStringLiteral("headless")},
             {},
             QStringLiteral("No window; print events as JSON lines.")},
        };
        for (const vq::cli::OptionDef& qt : vq::cli::qtOptions())
            all.push_back(qt);
        return all;
    }();
    return defs;
}

} // namespace

int main(int argc, char** argv)
{
    // Options first, before any window system is needed, so a bad one is named in any case.
    const vq::cli::Arguments args = vq::cli::scan(vq::cli::rawArguments(argc, argv), options());
    if (!args.error.isEmpty())
        return usageError(args.error);
    if (!args.positionals.isEmpty())
        return usageError(QStringLiteral("unexpected argument %1")
                              .arg(QString::fromLocal8Bit(args.positionals.constFirst())));
    if (args.isSet(QStringLiteral("help"))) {
        std::fputs(
            qPrintable(vq::cli::helpText(
                QStringLiteral("vq3360-virtual-display"),
                QStringLiteral("A stand-in for the VQ3360 pole display on a pseudo-terminal.\n"
                               "The first line of output is the device path to open from "
                               "the utility.\nWith --headless, every later line is one JSON "
                               "event, described in\n"
                               "/usr/share/doc/vq3360/README.virtual-display.md."),
                options())),
            stdout);
        return 0;
    }
    if (args.isSet(QStringLiteral("version"))) {
        std::printf("vq3360-virtual-display %s\n", VQ_VERSION);
        return 0;
    }
    const bool headless = args.isSet(QStringLiteral("headless"));

    std::unique_ptr<QCoreApplication> app;
    if (headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        const vq::cli::StartupGuard starting(kNoDisplay);
        app = std::make_unique<QApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vq3360-virtual-display"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
    // SIGINT and SIGTERM end it cleanly, in the event loop.
    const vq::cli::TerminationSignals termination([](int) { QCoreApplication::quit(); });

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
