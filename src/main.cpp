#include "app/formall.h"
#include "dialogs/widgetboxes.h"
#include "serial/portmap.h"
#include "serial/qtcommport.h"
#include "shared/appcontext.h"
#include "ui/formbuilder.h"

#include <cstdio>
#include <QApplication>

int main(int argc, char** argv)
{
    // Read our own options before Qt starts, so a bad one fails before any window.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const vq::CommandLine options = vq::parseCommandLine(args);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "vq3360: %s\n%s", qPrintable(options.error),
                     qPrintable(vq::usageText()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(vq::usageText()), stdout);
        return 0;
    }

    int qtArgc = 1; // our options are not Qt's
    QApplication app(qtArgc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
    vq::installFontSubstitutes();

    vq::Module1 state;
    vq::WidgetBoxes boxes(state);
    // "End" leaves windows open: the context closes them as it goes, the port draining last.
    vq::AppContext ctx(state, boxes, vq::qtPortFactory(options.map),
                       [](vq::AppContext& c) { return new vq::Formall(c); });
    ctx.showMainWindow();
    return app.exec();
}
