#include "ui/controltable.h"

#include <algorithm>
#include <cmath>

namespace vq {

int twipsToPixels(double twips, double dpi)
{
    return int(std::lround(twips * dpi / 1440.0));
}

double pixelsToTwips(int pixels, double dpi)
{
    return pixels * 1440.0 / dpi;
}

QString plainCaption(const QString& caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i; // "&&" stands for one ampersand
        plain += caption[i];
    }
    return plain;
}

QString spokenName(const QString& caption)
{
    return plainCaption(caption).replace(u'_', u' ').simplified();
}

QString nameFromCaption(const QString& caption)
{
    QString name = plainCaption(caption);
    while (!name.isEmpty() && !name.back().isLetterOrNumber())
        name.chop(1);
    return name.simplified();
}

double lineTopInBox(double room, double lineHeight, double inkTop, double inkBottom)
{
    if (lineHeight <= room)
        return 0;
    const double ink = inkBottom - inkTop;
    if (ink > room)
        return (room - ink) / 2 - inkTop;
    return std::min(0.0, room - inkBottom);
}

int centredTwips(double screenTwips, double outerTwips)
{
    const double diff = std::nearbyint(screenTwips - outerTwips); // default mode: half to even
    return int(diff) / 2;
}

} // namespace vq
