#include "app/commandline.h"
#include "app/firstframeicon.h"
#include "app/formall.h"
#include "app/virtualdisplay.h"
#include "cli/arguments.h"
#include "cli/startup.h"
#include "cli/termination.h"
#include "dialogs/widgetboxes.h"
#include "display/session.h"
#include "serial/portlist.h"
#include "serial/termiosport.h"
#include "shared/appcontext.h"
#include "ui/looks.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <QApplication>

namespace {

const char kNoDisplay[] = "vq3360: no display to show the windows on. Run it in a desktop "
                          "session, or without one with -platform offscreen or under xvfb-run.\n";

} // namespace

int main(int argc, char** argv)
{
    // Read our own options before Qt starts, so a bad one fails before any window.
    vq::cli::ensureStandardStreams();
    const vq::CommandLine options = vq::parseCommandLine(vq::cli::rawArguments(argc, argv));
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "vq3360: %s\nTry --help.\n", qPrintable(options.error));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(vq::helpText()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("vq3360 %s\n", VQ_VERSION);
        return 0;
    }
    if (options.listPorts) {
        QList<vq::PortInfo> ports = vq::systemPorts();
        vq::describePorts(ports);
        std::fputs(qPrintable(vq::portListText(ports, vq::numberPorts(ports, options.map))),
                   stdout);
        return 0;
    }
    vq::PortMap map = options.map;
    vq::VirtualDisplayProcess display;
    if (options.virtualDisplay) {
        QString error;
        map.devices.insert(1, display.start(options.qtArgs, &error));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "vq3360: %s\n", qPrintable(error));
            return 1;
        }
    }
    // COM numbers for the ports the machine has; nothing is kept for the next start.
    map = vq::numberPorts(vq::systemPorts(), map);
    // Only the window system's own options reach Qt.
    QList<QByteArray> qtArgs{QByteArray(argv[0])};
    qtArgs << options.qtArgs;
    std::vector<char*> qtArgv;
    for (QByteArray& a : qtArgs)
        qtArgv.push_back(a.data());
    qtArgv.push_back(nullptr);
    int qtArgc = int(qtArgs.size());
    std::optional<vq::cli::StartupGuard> starting(std::in_place, kNoDisplay);
    QApplication app(qtArgc, qtArgv.data());
    starting.reset();
    vq::cli::stampLogLines();
    QApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(VQ_APP_ID));
    vq::installFontSubstitutes();

    vq::Module1 state;
    vq::DisplaySession session;
    vq::WidgetBoxes boxes(state);
    // "End" leaves windows open: the context closes them as it goes, the port draining last.
    vq::AppContext ctx(state, session, boxes, vq::systemPortFactory(map), [](vq::AppContext& c) {
        auto* main = new vq::Formall(c);
        vq::setIconAfterFirstFrame(main);
        return main;
    });
    const vq::cli::TerminationSignals termination([&ctx](int) {
        if (auto* main = static_cast<vq::Formall*>(ctx.mainWindow()))
            main->endOnSignal();
        else
            ctx.endProcess();
    });
    ctx.showMainWindow();
    return app.exec();
}
