#pragma once

#include "ui/controltable.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace vq {

// The face and size the windows were laid out in where their design names none: theirs
// whatever the desktop's font, so no caption outgrows its fixed place.
QFont layoutFont();

QFont fontFor(const FontDef& want, const QFont& base);

// The light colours the windows were designed with, every role set, so a desktop theme
// changes none of them.
QPalette designedPalette();

// 0xRRGGBB, or a system colour taken from the palette.
QColor colourOf(quint32 value, const QPalette& system);

// Known Windows faces mapped to the metric-compatible ones installed here.
void installFontSubstitutes();

} // namespace vq
