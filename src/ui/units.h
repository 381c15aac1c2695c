#pragma once

#include "ui/controltable.h"

#include <QRect>

class QWidget;

namespace vq {

// The screen's logical DPI, read once; the only place twips meet pixels.
double screenDpi();
int px(double twips);
QRect pxRect(const TwipsRect& r);

// Moves a window so its outer frame is centred on its screen, by the twips rule.
void centreOnScreen(QWidget* window);

} // namespace vq
