#include "ctl/actions.h"

#include "demo/democommands.h"
#include "display/charset.h"
#include "display/displaysettings.h"
#include "display/emulation.h"
#include "shared/frame.h"
#include "shared/guardedsend.h"
#include "shared/linechoices.h"

#include <QRegularExpression>

namespace vq::ctl {

namespace {

// The emulations by their menu names, in menu order.
constexpr const char* kEmulationNames[] = {"ZTK",    "DSP800", "ESC/POS", "ADM788",
                                           "ADM787", "AEDEX",  "UTC/P",   "UTC/S"};
static_assert(std::size(kEmulationNames) == kEmulations.size());

// The character sets by the names of their options, 1 to 16; the two "Factory define" options
// are told apart by the code they select.
constexpr const char* kCharsetNames[] = {"U.S.A",
                                         "FRANCE",
                                         "GERMANY",
                                         "U.K",
                                         "DENMARK I",
                                         "SWEDEN",
                                         "ITALY",
                                         "SPAIN",
                                         "JAPAN",
                                         "NORWAY",
                                         "DENMARK II",
                                         "SLAVONIC",
                                         "RUSSIA",
                                         "Factory define 3D",
                                         "Factory define 3E",
                                         "User define pattern"};
static_assert(std::size(kCharsetNames) == kCharsetCount);

// Case, dots, spaces, dashes, slashes and underscores do not count: "adm787", "esc-pos" and
// "denmark-ii" name what the menus and dialogs call AD&M787, ESC/&POS and DENMARK II.
QString folded(QString name)
{
    static const QRegularExpression ignored(QStringLiteral("[ ._/\\-]"));
    return name.remove(ignored).toLower();
}

std::optional<int> findName(const QString& given, const auto& names)
{
    for (int i = 0; i < int(std::size(names)); ++i) {
        if (folded(QString::fromLatin1(names[i])) == folded(given))
            return i;
    }
    return std::nullopt;
}

// The names in order, `between` them and `last` before the last one.
QString listed(const auto& names, const QString& between, const QString& last)
{
    QStringList all;
    for (const char* name : names)
        all << QString::fromLatin1(name);
    const QString tail = all.takeLast();
    return all.join(between) + last + tail;
}

// "\r" is Enter and "\b" Backspace, as typed in the interactive window; "\\" a backslash.
QString unescaped(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == u'r' ? QChar(u'\r') : next == u'b' ? QChar(u'\b') : next;
    }
    return out;
}

struct Verb {
    const char* name;
    int arguments;
};
constexpr Verb kVerbs[] = {{"emulation", 1}, {"reset", 0},       {"display-line", 2},
                           {"charset", 1},   {"upper", 1},       {"lower", 1},
                           {"show", 0},      {"clear-upper", 0}, {"clear-lower", 0},
                           {"type", 1},      {"clear", 0}};

} // namespace

Plan planActions(const QStringList& words)
{
    Plan plan;
    QByteArray clearCmd = kStartupClear;
    const QByteArray prefix = commandHead(code::SelectEmulation);
    const auto fail = [&](const QString& why) {
        plan.actions.clear();
        plan.error = why;
        return plan;
    };
    for (qsizetype at = 0; at < words.size();) {
        const QString name = words[at];
        const auto verb = std::find_if(std::begin(kVerbs), std::end(kVerbs), [&](const Verb& v) {
            return name == QLatin1String(v.name);
        });
        if (verb == std::end(kVerbs))
            return fail(QStringLiteral("unknown action %1").arg(name));
        if (words.size() - at - 1 < verb->arguments)
            return fail(QStringLiteral("%1 needs %2")
                            .arg(name, verb->arguments == 1 ? QStringLiteral("a value")
                                                            : QStringLiteral("two values")));
        Action action;
        action.words = words.mid(at, 1 + verb->arguments);
        at += 1 + verb->arguments;
        const QString arg = action.words.value(1);

        if (name == u"emulation") {
            const auto row = findName(arg, kEmulationNames);
            if (!row)
                return fail(QStringLiteral("emulation %1: not one of %2")
                                .arg(arg, listed(kEmulationNames, QStringLiteral(", "),
                                                 QStringLiteral(", "))));
            const Emulation& e = kEmulations[size_t(*row)];
            action.writes << displayCommand(prefix, e.mode);
            clearCmd = QByteArray(e.clear.data(), qsizetype(e.clear.size()));
        } else if (name == u"reset") {
            action.writes << resetCommand();
        } else if (name == u"display-line") {
            const LineChoices rows =
                preselectLine(arg, action.words[2].toUpper().replace(u'_', u','));
            if (!rows.baud || !rows.frame)
                return fail(
                    QStringLiteral("display-line %1 %2: the display takes %3 to %4 baud and %5")
                        .arg(arg, action.words[2], QString::fromLatin1(kBaudTexts.front()),
                             QString::fromLatin1(kBaudTexts.back()),
                             listed(kFrameTexts, QStringLiteral(" "), QStringLiteral(" or "))));
            action.writes << displaySettingsCommands(rows);
            action.lineAfter =
                LineSettings::parse(QString::fromLatin1(kBaudTexts[*rows.baud]) + u',' +
                                    QString::fromLatin1(kFrameTexts[*rows.frame]));
        } else if (name == u"charset") {
            std::optional<int> row = findName(arg, kCharsetNames);
            bool isCode = false;
            const int code = arg.toInt(&isCode, 16);
            if (!row && isCode && arg.size() == 2 && code >= 0x30 && code < 0x30 + kCharsetCount)
                row = code - 0x30;
            if (!row)
                return fail(QStringLiteral("charset %1: not a character set; see --help").arg(arg));
            action.writes << charsetCommand(*row + 1);
        } else if (name == u"upper" || name == u"lower") {
            // An empty text stores nothing, as the input box sends nothing for it.
            if (!arg.isEmpty())
                action.writes << storeCommand(name == u"upper" ? DemoLine::Upper : DemoLine::Lower,
                                              arg);
        } else if (name == u"show") {
            action.writes << showCommand();
        } else if (name == u"clear-upper" || name == u"clear-lower") {
            action.writes << clearCommand(name == u"clear-upper" ? DemoLine::Upper
                                                                 : DemoLine::Lower);
        } else if (name == u"type") {
            // One write a key, as the interactive window sends them.
            for (const char byte : toDisplayBytes(unescaped(arg)))
                action.writes << QByteArray(1, byte);
        } else if (name == u"clear") {
            action.writes << clearCmd + '\r';
        }
        plan.actions << action;
    }
    return plan;
}

QStringList actionWords(const QString& line)
{
    const QString trimmed = line.trimmed();
    const QString name = trimmed.section(u' ', 0, 0);
    const QString rest = trimmed.section(u' ', 1).trimmed();
    if (name == u"upper" || name == u"lower" || name == u"type")
        return {name, trimmed.mid(name.size() + 1)};
    QStringList words{name};
    if (!rest.isEmpty())
        words << rest.split(u' ', Qt::SkipEmptyParts);
    return words;
}

QString actionsHelp()
{
    // The character sets' names, wrapped to the help's column.
    QString charsets;
    qsizetype column = 0;
    for (const char* c : kCharsetNames) {
        const QString name =
            QString::fromLatin1(c) +
            (c == kCharsetNames[kCharsetCount - 1] ? QStringLiteral(";") : QStringLiteral(", "));
        if (column + name.size() > 56) {
            charsets = charsets.trimmed() + QStringLiteral("\n                       ");
            column = 0;
        }
        charsets += name;
        column += name.size();
    }
    return QStringLiteral(
               "Actions, in the order given:\n"
               "  emulation NAME       %2\n"
               "  reset                the display's settings to their defaults\n"
               "  display-line BAUD FRAMING\n"
               "                       the display's own line: BAUD 300 to 38400, FRAMING N,8,1\n"
               "                       N,7,1 E,8,1 E,7,1 O,8,1 or O,7,1; later actions go out at\n"
               "                       that line, as the display has switched\n"
               "  charset NAME|CODE    %1\n"
               "                       or the code, 30 to 3F\n"
               "  upper TEXT           store the upper demonstration line\n"
               "  lower TEXT           store the lower demonstration line\n"
               "  show                 show the demonstration lines\n"
               "  clear-upper          clear the stored upper line\n"
               "  clear-lower          clear the stored lower line\n"
               "  type TEXT            type TEXT as in the interactive window; \\r is Enter,\n"
               "                       \\b Backspace\n"
               "  clear                the clear sequence of the last emulation chosen, then CR\n"
               "Names take any case; dots, spaces, dashes and slashes may be left out.\n"
               "A character beyond Latin-1 goes out as ?.\n")
        .arg(charsets.trimmed(),
             listed(kEmulationNames, QStringLiteral(", "), QStringLiteral(" or ")));
}

QString hexBytes(const QList<QByteArray>& writes)
{
    QByteArray all;
    for (const QByteArray& w : writes)
        all += w;
    return QString::fromLatin1(all.toHex(' ').toUpper());
}

} // namespace vq::ctl
