#include "virtual_display/commandset.h"

#include <array>

namespace vq::vdisplay {

namespace {

constexpr std::array<const char*, EventKindCount> kEventNames{
    "text",        "cursor",       "control",         "clear",     "emulation",
    "reset",       "display_baud", "display_framing", "charset",   "store_line",
    "text_cut",    "clear_line",   "show_demo",       "undecoded", "speed_mismatch",
    "speed_match", "command",      "passthrough",     "unknown",
};

QString name(Emulation emulation)
{
    return emulationName(emulation);
}

Said makeText(QChar glyph)
{
    const QString character(glyph);
    return {EventKind::Text,
            QStringLiteral("text \"%1\"").arg(character),
            {{QStringLiteral("char"), character},
             {QStringLiteral("garbled"), false},
             {QStringLiteral("error"), QString(QLatin1String(""))}}};
}

} // namespace

QLatin1String eventName(EventKind kind)
{
    return QLatin1String(kEventNames[size_t(kind)]);
}

void CommandSet::giveUp(Display& display, const Said& said)
{
    if (!m_pending.isEmpty())
        finish(display, said);
}

void CommandSet::finish(Display& display, const Said& said)
{
    const QByteArray bytes = std::exchange(m_pending, {});
    restart();
    display.report(said, bytes);
}

void showOrLog(unsigned char byte, Display& display, Emulation emulation)
{
    const char one = static_cast<char>(byte);
    if (byte < 0x20 || byte == 0x7F) {
        display.report(say::control(byte, emulation), QByteArrayView(&one, 1));
        return;
    }
    ScreenModel& screen = display.screen();
    const int cell = screen.put(byte);
    display.report(say::text(screen.state().glyph(cell)), QByteArrayView(&one, 1));
}

namespace say {

QString hex(unsigned char byte)
{
    return QStringLiteral("%1").arg(uint(byte), 2, 16, QLatin1Char('0')).toUpper();
}

Said text(QChar glyph)
{
    // Most events are one character each: what each says is made once.
    static const std::array<Said, 256> latin1 = [] {
        std::array<Said, 256> all;
        for (int b = 0; b < 256; ++b)
            all[size_t(b)] = makeText(QChar::fromLatin1(char(b)));
        return all;
    }();
    return glyph.unicode() < 256 ? latin1[glyph.unicode()] : makeText(glyph);
}

Said cursor(const QString& name, int cell)
{
    return {EventKind::Cursor,
            QStringLiteral("cursor %1 to %2").arg(name).arg(cell),
            {{QStringLiteral("name"), name}}};
}

Said control(unsigned char byte, Emulation emulation)
{
    return {EventKind::Control,
            QStringLiteral("control byte %1 (%2) not handled in %3")
                .arg(hex(byte), controlName(byte), name(emulation)),
            {{QStringLiteral("name"), controlName(byte)},
             {QStringLiteral("emulation"), name(emulation)}}};
}

Said clear(Emulation emulation, const QString& how)
{
    return {EventKind::Clear,
            how.isEmpty() ? QStringLiteral("clear (%1)").arg(name(emulation))
                          : QStringLiteral("clear, %1 (%2)").arg(how, name(emulation)),
            {{QStringLiteral("emulation"), name(emulation)}}};
}

Said command(Emulation emulation, const QString& what, const QString& message)
{
    return {EventKind::Command,
            QStringLiteral("%1 (%2)").arg(message, name(emulation)),
            {{QStringLiteral("name"), what}, {QStringLiteral("emulation"), name(emulation)}}};
}

Said passThrough(Emulation emulation, QByteArrayView bytes)
{
    return {EventKind::PassThrough,
            QStringLiteral("%1 passed on to the printer port (%2)")
                .arg(hexBytes(bytes), name(emulation)),
            {{QStringLiteral("emulation"), name(emulation)}}};
}

Said unknown(Emulation emulation, QByteArrayView bytes)
{
    return {EventKind::Unknown,
            QStringLiteral("%1 not known in %2, ignored").arg(hexBytes(bytes), name(emulation)),
            {{QStringLiteral("emulation"), name(emulation)}}};
}

Said undecoded(const QString& reason)
{
    return {EventKind::Undecoded,
            QStringLiteral("undecoded: %1").arg(reason),
            {{QStringLiteral("reason"), reason}}};
}

Said emulation(Emulation emulation)
{
    return {EventKind::Emulation,
            QStringLiteral("emulation %1").arg(name(emulation)),
            {{QStringLiteral("name"), name(emulation)},
             {QStringLiteral("mode"), QString(QChar::fromLatin1(emulationMode(emulation)))}}};
}

} // namespace say

} // namespace vq::vdisplay
