#include "app/commandline.h"
#include "app/formall.h"
#include "app/termination.h"
#include "dialogs/widgetboxes.h"
#include "serial/portlist.h"
#include "serial/termiosport.h"
#include "shared/appcontext.h"
#include "ui/formbuilder.h"
#include "ui/poledrawing.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>

namespace {

const char kNoDisplay[] = "vq3360: no display to show the windows on. Run it in a desktop "
                          "session, or without one with -platform offscreen or under xvfb-run.\n";

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

} // namespace

int main(int argc, char** argv)
{
    // Read our own options before Qt starts, so a bad one fails before any window.
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args << QByteArray(argv[i]);
    const vq::CommandLine options = vq::parseCommandLine(args);
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
        std::fputs(qPrintable(vq::portListText(vq::systemPorts())), stdout);
        return 0;
    }
    // Only the window system's own options reach Qt.
    QList<QByteArray> qtArgs{QByteArray(argv[0])};
    qtArgs << options.qtArgs;
    std::vector<char*> qtArgv;
    for (QByteArray& a : qtArgs)
        qtArgv.push_back(a.data());
    qtArgv.push_back(nullptr);
    int qtArgc = int(qtArgs.size());
    g_qtHandler = qInstallMessageHandler(whileStarting);
    QApplication app(qtArgc, qtArgv.data());
    qInstallMessageHandler(g_qtHandler);
    QApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(VQ_APP_ID));
    QApplication::setWindowIcon(vq::appIcon());
    vq::installFontSubstitutes();

    vq::Module1 state;
    vq::WidgetBoxes boxes(state);
    // "End" leaves windows open: the context closes them as it goes, the port draining last.
    vq::AppContext ctx(state, boxes, vq::systemPortFactory(options.map),
                       [](vq::AppContext& c) { return new vq::Formall(c); });
    const vq::TerminationSignals termination([&ctx](int) {
        if (auto* main = static_cast<vq::Formall*>(ctx.mainWindow()))
            main->endOnSignal();
        else
            ctx.endProcess();
    });
    ctx.showMainWindow();
    return app.exec();
}
