#include "app/appcontext.h"
#include "app/formall.h"
#include "app/formbuilder.h"
#include "dialogs/widgetboxes.h"
#include "serial/portmap.h"
#include "serial/qtcommport.h"

#include <cstdio>
#include <QApplication>
#include <QPointer>

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
    vq::installFontSubstitutes();

    vq::Module1 state;
    vq::WidgetBoxes boxes(state);
    int status = 0;
    {
        vq::AppContext ctx(state, boxes, vq::qtPortFactory(options.map));
        ctx.showMainWindow();
        status = app.exec();
        // "End" leaves windows open; close them so every port drains and nothing leaks.
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            windows << w;
        for (const QPointer<QWidget>& w : windows)
            if (w && !w->parentWidget() && w != ctx.mainWindow())
                delete w.data();
    }
    return status;
}
