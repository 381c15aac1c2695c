#include "ui/controltable.h"

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

int centredTwips(double screenTwips, double outerTwips)
{
    const double diff = std::nearbyint(screenTwips - outerTwips); // default mode: half to even
    return int(diff) / 2;
}

} // namespace vq
