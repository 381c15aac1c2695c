#include "ui/looks.h"

#include <QFontDatabase>

namespace vq {

namespace {

// The design's face where the system has it, else the first stand-in it has. Named alone: for a
// face it lacks, or one with stand-ins, Qt has fontconfig sort every font it has for fallbacks,
// font by font, as the first window starts.
QString familyFor(const QString& family)
{
    if (!QFontDatabase::styles(family).isEmpty())
        return family;
    for (const QString& standIn : QFont::substitutes(family)) {
        if (!QFontDatabase::styles(standIn).isEmpty())
            return standIn;
    }
    return family;
}

} // namespace

QFont layoutFont()
{
    return QFont(familyFor(QStringLiteral("DejaVu Sans")), 9, QFont::Normal, false);
}

QFont fontFor(const FontDef& want, const QFont& base)
{
    QFont font = base;
    if (want.family)
        font.setFamilies({familyFor(QString::fromUtf8(want.family))});
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

QPalette designedPalette()
{
    // Qt's light Fusion palette, which the windows were drawn in.
    const QColor face(0xEF, 0xEF, 0xEF);
    QPalette p(Qt::black, face, Qt::white, QColor(0x9F, 0x9F, 0x9F), QColor(0xB8, 0xB8, 0xB8),
               Qt::black, Qt::white, Qt::white, face);
    p.setColor(QPalette::Midlight, QColor(0xCA, 0xCA, 0xCA));
    p.setColor(QPalette::Shadow, QColor(0x76, 0x76, 0x76));
    p.setColor(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, Qt::blue);
    p.setColor(QPalette::LinkVisited, Qt::magenta);
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(QPalette::Disabled, role, QColor(0xBE, 0xBE, 0xBE));
    return p;
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
