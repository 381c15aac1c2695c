#include "ui/looks.h"

namespace vq {

QFont fontFor(const FontDef& want, const QFont& base)
{
    QFont font = base;
    if (want.family)
        font.setFamily(QString::fromUtf8(want.family));
    if (want.points > 0)
        font.setPointSizeF(want.points);
    if (want.bold)
        font.setBold(true);
    return font;
}

QColor colourOf(quint32 v, const QPalette& system)
{
    switch (v) {
    case SysWindowBackground:
        return system.color(QPalette::Base);
    case SysWindowText:
        return system.color(QPalette::Text);
    case SysTitleBarText:
        return system.color(QPalette::HighlightedText);
    case SysActiveBorder:
        return system.color(QPalette::Window); // the toolkit has no border colour of its own
    default:
        return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
}

void installFontSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Arial Narrow"),
                              QStringLiteral("Liberation Sans Narrow"));
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
}

} // namespace vq
