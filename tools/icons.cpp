// vq3360-icons OUTDIR APP_ID: writes the application icon under OUTDIR/hicolor as the icon theme
// lays it out, a PNG for each size and one SVG, all from the one pole-display drawing.
#include "ui/poledrawing.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: vq3360-icons OUTDIR APP_ID\n", stderr);
        return 2;
    }
    const QString root = QFile::decodeName(argv[1]) + QStringLiteral("/hicolor/");
    const QString name = QString::fromUtf8(argv[2]);
    auto fail = [](const QString& path) {
        std::fprintf(stderr, "vq3360-icons: cannot write %s\n", qPrintable(path));
        return 1;
    };

    for (const int size : vq::appIconSizes()) {
        const QString dir = root + QStringLiteral("%1x%1/apps").arg(size);
        const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) ||
            !vq::poleDisplayImage(QSize(size, size), vq::appIconStyle(size)).save(path, "PNG"))
            return fail(path);
    }

    const QString dir = root + QStringLiteral("scalable/apps");
    QFile svg(dir + QLatin1Char('/') + name + QStringLiteral(".svg"));
    if (!QDir().mkpath(dir) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        svg.write(vq::poleDisplaySvg(QSize(256, 256))) < 0 || !svg.flush())
        return fail(svg.fileName());
    return 0;
}
