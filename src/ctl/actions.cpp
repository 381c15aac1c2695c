#include "ctl/actions.h"

#include "cli/arguments.h"
#include "ctl/text.h"

#include "demo/democommands.h"
#include "display/charset.h"
#include "display/displaysettings.h"
#include "display/emulation.h"
#include "display/session.h"
#include "shared/frame.h"
#include "shared/linechoices.h"

#include <algorithm>
#include <QRegularExpression>

namespace vq::ctl {

namespace {

// Case, dots, spaces, dashes, slashes and underscores do not count: "adm787", "esc-pos" and
// "denmark-ii" name what the menus and dialogs call AD&M787, ESC/&POS and DENMARK II.
QString folded(QString name)
{
    static const QRegularExpression ignored(QStringLiteral("[ ._/\\-]"));
    return name.remove(ignored).toLower();
}

template <class Rows, class Name>
std::optional<int> findName(const QString& given, const Rows& rows, Name name)
{
    for (int i = 0; i < int(rows.size()); ++i) {
        if (folded(QString::fromLatin1(name(rows[i]))) == folded(given))
            return i;
    }
    return std::nullopt;
}

QString listed(const QStringList& names, const QString& between, const QString& last)
{
    QStringList all = names;
    const QString tail = all.takeLast();
    return all.join(between) + last + tail;
}

QStringList emulationNames()
{
    QStringList names;
    for (const Emulation& e : kEmulations)
        names << QString::fromLatin1(e.name.data(), qsizetype(e.name.size()));
    return names;
}

QStringList charsetNames()
{
    QStringList names;
    for (const Charset& c : kCharsets)
        names << QString::fromLatin1(c.name);
    return names;
}

QStringList rateNames()
{
    QStringList names;
    for (const LineRate& r : kLineRates)
        names << QString::fromLatin1(r.text);
    return names;
}

QStringList framingNames()
{
    QStringList names;
    for (const LineFraming& f : kLineFramings)
        names << QString::fromLatin1(f.text);
    return names;
}

// The display's own line from BAUD and FRAMING as the dialogs offer them; N_8_1 and n,8,1 too.
std::optional<LineChoices> displayChoices(const QString& baud, const QString& framing)
{
    const LineChoices rows = preselectLine(baud, framing.toUpper().replace(u'_', u','));
    if (!rows.baud || !rows.frame)
        return std::nullopt;
    return rows;
}

QString settingsRefusal(const QString& what)
{
    return QStringLiteral("%1: the display takes %2 to %3 baud and %4")
        .arg(what, rateNames().constFirst(), rateNames().constLast(),
             listed(framingNames(), QStringLiteral(" "), QStringLiteral(" or ")));
}

LineSettings settingsOf(const LineChoices& rows)
{
    return *LineSettings::parse(settingsText(rows));
}

// What one action's handler works with.
struct Build {
    const QStringList& args;
    Action& action;
    DisplaySession& session;
    std::optional<DemoRow> demoRow; // the verb's, where it writes one
    QString error;
    QString arg(int i) const { return args.value(i); }
};

bool buildEmulation(Build& b)
{
    const auto row =
        findName(b.arg(0), kEmulations, [](const Emulation& e) { return e.name.data(); });
    if (!row) {
        b.error = QStringLiteral("emulation %1: not one of %2")
                      .arg(b.arg(0), emulationNames().join(QStringLiteral(", ")));
        return false;
    }
    const Emulation& e = kEmulations[size_t(*row)];
    b.action.steps = {{{}, false, {b.session.emulationCommand(e)}}};
    b.session.emulationSent(e);
    return true;
}

bool buildReset(Build& b)
{
    b.action.steps = {{{}, false, {resetCommand()}}};
    return true;
}

bool buildDisplayLine(Build& b)
{
    const auto rows = displayChoices(b.arg(0), b.arg(1));
    if (!rows) {
        b.error = settingsRefusal(QStringLiteral("display-line %1 %2").arg(b.arg(0), b.arg(1)));
        return false;
    }
    b.action.steps = {{{}, false, displaySettingsCommands(*rows)}};
    b.action.settingsAfter = settingsOf(*rows);
    return true;
}

// Every line the display could be on gets the commands for the target, at that line; then
// the target line gets them once more, so the display ends there whatever it was on.
bool buildRescue(Build& b)
{
    const QString startup = DisplaySession::startupLine().toString();
    const auto rows = b.args.isEmpty()
                          ? displayChoices(startup.section(u',', 0, 0), startup.section(u',', 1))
                          : displayChoices(b.arg(0), b.arg(1));
    if (!rows) {
        b.error = settingsRefusal(QStringLiteral("rescue %1 %2").arg(b.arg(0), b.arg(1)));
        return false;
    }
    const QList<QByteArray> commands = displaySettingsCommands(*rows);
    for (int rate = 0; rate < int(kLineRates.size()); ++rate) {
        for (int framing = 0; framing < int(kLineFramings.size()); ++framing)
            b.action.steps << Step{settingsOf({rate, framing}), true, commands};
    }
    b.action.steps << Step{settingsOf(*rows), false, commands};
    b.action.settingsAfter = settingsOf(*rows);
    return true;
}

bool buildCharset(Build& b)
{
    const QString arg = b.arg(0);
    std::optional<int> row = findName(arg, kCharsets, [](const Charset& c) { return c.name; });
    bool isCode = false;
    const int code = arg.toInt(&isCode, 16);
    if (!row && isCode && arg.size() == 2 && code >= 0x30 && code < 0x30 + kCharsetCount)
        row = code - 0x30;
    if (!row) {
        b.error = QStringLiteral("charset %1: not a character set; see --help").arg(arg);
        return false;
    }
    b.action.steps = {{{}, false, {charsetCommand(*row + 1)}}};
    return true;
}

bool text(Build& b, QString* plain)
{
    if (b.arg(0).size() > kMaxTextLength) {
        b.error = QStringLiteral("%1: a text of more than %2 characters")
                      .arg(b.action.words.constFirst(), QString::number(kMaxTextLength));
        return false;
    }
    *plain = unescaped(b.arg(0), &b.error);
    if (!b.error.isEmpty()) {
        b.error = b.action.words.constFirst() + QStringLiteral(": ") + b.error;
        return false;
    }
    return true;
}

bool buildStore(Build& b)
{
    QString plain;
    if (!text(b, &plain))
        return false;
    // An empty text stores nothing, as the input box sends nothing for it.
    if (!plain.isEmpty())
        b.action.steps = {{{}, false, {storeCommand(*b.demoRow, plain)}}};
    return true;
}

bool buildShow(Build& b)
{
    b.action.steps = {{{}, false, {showCommand()}}};
    return true;
}

bool buildClearLine(Build& b)
{
    b.action.steps = {{{}, false, {clearCommand(*b.demoRow)}}};
    return true;
}

bool buildType(Build& b)
{
    QString plain;
    if (!text(b, &plain))
        return false;
    // One write a key, as the interactive window sends them.
    Step keys;
    for (const char byte : toDisplayBytes(plain))
        keys.writes << QByteArray(1, byte);
    b.action.steps = {keys};
    return true;
}

bool buildClear(Build& b)
{
    b.action.steps = {{{}, false, {b.session.clearCommand()}}};
    return true;
}

// Its name on the display, whichever emulation and line it is on: plain text from the start of
// the line the cursor is on, filling both lines, so each reads on its own whichever is upper.
// Names are the system's, any bytes at all: shown as the tool's own stderr shows them, so no
// control byte of a name reaches the display as a command.
QList<QByteArray> identifyWrites(const DeviceInfo& d)
{
    const QByteArray shortName = d.device.startsWith("/dev/") ? d.device.mid(5) : d.device;
    QString first = printable(shortName);
    if (d.comNumber)
        first.prepend(QStringLiteral("COM%1 ").arg(d.comNumber));
    QString second = printable(d.device);
    if (!d.stableName.isEmpty()) {
        second = printable(d.stableName.section(u'/', -1));
        second.remove(QRegularExpression(QStringLiteral("^usb-|-if[0-9]+(-port[0-9]+)?$")));
    }
    const auto cell = [](const QByteArray& text) { return text.right(20).leftJustified(20, ' '); };
    return {"\r" + cell(toDisplayBytes(first).left(20)) + cell(toDisplayBytes(second))};
}

bool buildIdentify(Build& b)
{
    b.action.forDevice = identifyWrites;
    return true;
}

struct Verb {
    const char* name;
    int minArgs;
    int maxArgs;
    const char* usage;
    // For --help and the manual page alike. {names}: the names it takes; {first} and {last}: the
    // display's slowest and fastest rates; {framings}: its framings.
    const char* help;
    bool (*build)(Build&);
    QStringList (*names)() = nullptr;
    bool takesText = false; // the rest of a profile's line, blanks and all
    std::optional<DemoRow> demoRow = std::nullopt;
};

// clang-format off
const Verb kVerbs[] = {
    {"emulation", 1, 1, "emulation NAME", "{names}.", buildEmulation, emulationNames},
    {"reset", 0, 0, "reset", "The display's settings to their defaults.", buildReset, nullptr},
    {"display-line", 2, 2, "display-line BAUD FRAMING",
     "The display's own line: BAUD from {first} to {last}, FRAMING {framings}; both commands, "
     "the rate first. The display switches at once, so the PC side follows for the later actions "
     "of the run, and says so.", buildDisplayLine, rateNames},
    {"charset", 1, 1, "charset NAME|CODE", "{names}; or the code, 30 to 3F.", buildCharset,
     charsetNames},
    {"upper", 1, 1, "upper TEXT",
     "Store the upper demonstration line; an empty text stores nothing.", buildStore, nullptr,
     true, DemoRow::Upper},
    {"lower", 1, 1, "lower TEXT",
     "Store the lower demonstration line; an empty text stores nothing.", buildStore, nullptr,
     true, DemoRow::Lower},
    {"show", 0, 0, "show", "Show the demonstration lines.", buildShow, nullptr},
    {"clear-upper", 0, 0, "clear-upper", "Clear the stored upper demonstration line.",
     buildClearLine, nullptr, false, DemoRow::Upper},
    {"clear-lower", 0, 0, "clear-lower", "Clear the stored lower demonstration line.",
     buildClearLine, nullptr, false, DemoRow::Lower},
    {"type", 1, 1, "type TEXT",
     "The bytes the interactive window sends for TEXT typed key by key, one write a key; \\r is "
     "Enter and \\b Backspace.", buildType, nullptr, true},
    {"clear", 0, 0, "clear",
     "The clear sequence of the last emulation chosen in the run (form feed before any), then "
     "CR.", buildClear, nullptr},
    {"rescue", 0, 2, "rescue [BAUD FRAMING]",
     "Bring a display whose line nobody knows to BAUD FRAMING (9600 N,8,1 when none is given): at "
     "each of the eight rates and six framings the display could be on, the PC side is set there, "
     "the two display-line commands for the target are sent and their line time waited; then "
     "they are sent once more at the target, where the PC side stays. Lines the device refuses (a "
     "pseudo-terminal takes only 8 data bits without parity) are skipped and named. About 5 "
     "seconds on a real port, nearly all at the slow rates. The stored demonstration lines and "
     "the emulation are kept; the garbage the sweep put on the screen stays until the next show "
     "or clear. It runs only on the devices named with --device: the same sweep prints garbage "
     "on a receipt printer.", buildRescue, rateNames},
    {"identify", 0, 0, "identify",
     "Write on the display, as plain text whatever its emulation, which device it is: its COM "
     "number in vq3360 and its name on one line, its stable name on the other. The stored "
     "demonstration lines are kept.", buildIdentify, nullptr},
};
// clang-format on

const Verb* findVerb(const QString& name)
{
    const auto it = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                 [&](const Verb& v) { return name == QLatin1String(v.name); });
    return it == std::end(kVerbs) ? nullptr : &*it;
}

// A verb's help with its names filled in.
QString verbHelp(const Verb& v)
{
    const auto either = [](const QStringList& names) {
        return listed(names, QStringLiteral(", "), QStringLiteral(" or "));
    };
    QString help = QString::fromLatin1(v.help);
    if (v.names)
        help.replace(QStringLiteral("{names}"), either(v.names()));
    return help.replace(QStringLiteral("{first}"), rateNames().constFirst())
        .replace(QStringLiteral("{last}"), rateNames().constLast())
        .replace(QStringLiteral("{framings}"),
                 listed(framingNames(), QStringLiteral(" "), QStringLiteral(" or ")));
}

const QString& textNotes()
{
    static const QString notes = QStringLiteral(
        "Names take any case; dots, spaces, dashes and slashes may be left out. In a TEXT, \\r "
        "is CR, \\n LF, \\t a tab, \\b Backspace, \\e ESC, \\xHH any byte and \\\\ a "
        "backslash; any other character goes out as its Latin-1 byte, or ? beyond Latin-1.");
    return notes;
}

} // namespace

QList<QByteArray> Action::writes(const DeviceInfo& device) const
{
    if (forDevice)
        return forDevice(device);
    QList<QByteArray> all;
    for (const Step& s : steps)
        all << s.writes;
    return all;
}

bool Planner::fail(const QString& why)
{
    m_plan.actions.clear();
    m_plan.error = why;
    return false;
}

bool Planner::addAction(const QStringList& words, const QString& where)
{
    if (!m_plan.error.isEmpty())
        return false;
    const QString name = words.value(0);
    const Verb* verb = findVerb(name);
    if (!verb)
        return fail(QStringLiteral("%1unknown action '%2'").arg(where, name));
    const QStringList args = words.mid(1);
    if (args.size() < verb->minArgs || args.size() > verb->maxArgs ||
        (verb->minArgs != verb->maxArgs && args.size() != verb->minArgs &&
         args.size() != verb->maxArgs)) {
        const QString takes = verb->maxArgs == 0   ? QStringLiteral("takes no value")
                              : verb->minArgs == 0 ? QStringLiteral("takes no value or two")
                              : verb->maxArgs == 1 ? QStringLiteral("takes one value")
                                                   : QStringLiteral("takes two values");
        return fail(
            QStringLiteral("%1%2 %3: %4").arg(where, name, takes, QLatin1String(verb->usage)));
    }
    if (m_plan.actions.size() >= kMaxActions)
        return fail(QStringLiteral("%1more than %2 actions").arg(where).arg(kMaxActions));
    Action action;
    action.words = words;
    action.where = where;
    Build b{args, action, m_session, verb->demoRow, {}};
    if (!verb->build(b))
        return fail(where + b.error);
    m_plan.actions << action;
    return true;
}

bool Planner::addWords(const QList<QByteArray>& words)
{
    for (qsizetype at = 0; at < words.size();) {
        const QString name = textOf(words[at]);
        const Verb* verb = findVerb(name);
        if (!verb)
            return fail(QStringLiteral("unknown action '%1'").arg(name));
        qsizetype count = verb->maxArgs;
        // rescue's line is optional: it takes one when a rate follows.
        if (verb->minArgs != verb->maxArgs) {
            const QByteArray next = words.value(at + 1);
            const bool number =
                !next.isEmpty() &&
                std::all_of(next.begin(), next.end(), [](char c) { return c >= '0' && c <= '9'; });
            count = number ? verb->maxArgs : verb->minArgs;
        }
        if (words.size() - at - 1 < count)
            return fail(
                QStringLiteral("%1 needs %2: %3")
                    .arg(name,
                         count == 1 ? QStringLiteral("a value") : QStringLiteral("two values"),
                         QLatin1String(verb->usage)));
        QStringList action{name};
        for (qsizetype i = 1; i <= count; ++i)
            action << textOf(words[at + i]);
        at += 1 + count;
        if (!addAction(action, {}))
            return false;
    }
    return true;
}

bool takesText(const QString& name)
{
    const Verb* verb = findVerb(name);
    return verb && verb->takesText;
}

QString unescaped(const QString& text, QString* error)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        static const QString plain = QStringLiteral("rntbe\\");
        static const QString means = QStringLiteral("\r\n\t\b\x1b\\");
        if (const qsizetype k = plain.indexOf(next); k >= 0 && !next.isNull()) {
            out += means[k];
            ++i;
            continue;
        }
        // Exactly two hex digits: no sign, no blank, as toInt would take.
        const QString digits = text.mid(i + 2, 2);
        bool ok = next == u'x' && digits.size() == 2 &&
                  std::all_of(digits.begin(), digits.end(), [](QChar c) {
                      return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
                  });
        const int byte = ok ? digits.toInt(&ok, 16) : 0;
        if (!ok) {
            *error = QStringLiteral("unknown escape %1 (write \\\\ for a backslash)")
                         .arg(text.mid(i, next == u'x' ? 4 : 2));
            return {};
        }
        out += QChar(byte);
        i += 3;
    }
    return out;
}

QStringList actionNames()
{
    QStringList names;
    for (const Verb& v : kVerbs)
        names << QString::fromLatin1(v.name);
    return names;
}

QStringList namesFor(const QString& action)
{
    const Verb* verb = findVerb(action);
    return verb && verb->names ? verb->names() : QStringList{};
}

QString actionsHelp()
{
    constexpr qsizetype kColumn = 23, kWidth = 79;
    // Words filled to the width, each line after the first starting at `indent`.
    const auto wrapped = [](QString line, const QString& text, qsizetype indent) {
        qsizetype column = line.size() - line.lastIndexOf(u'\n') - 1;
        for (const QString& word : text.split(u' ')) {
            if (column > indent && column + 1 + word.size() > kWidth) {
                line += u'\n' + QString(indent, u' ');
                column = indent;
            } else if (column > indent) {
                line += u' ';
                ++column;
            }
            line += word;
            column += word.size();
        }
        return line + u'\n';
    };
    QString out = QStringLiteral("Actions, in the order given:\n");
    for (const Verb& v : kVerbs) {
        QString line = QStringLiteral("  ") + QString::fromLatin1(v.usage);
        line = line.size() < kColumn - 1 ? line.leftJustified(kColumn)
                                         : line + u'\n' + QString(kColumn, u' ');
        out += wrapped(line, verbHelp(v), kColumn);
    }
    return out + wrapped({}, textNotes(), 0);
}

QString actionsManual()
{
    QString out = QStringLiteral(".SH ACTIONS\n") + cli::roffText(textNotes()) + u'\n';
    for (const Verb& v : kVerbs)
        out += QStringLiteral(".TP\n") + cli::roffUsage(QString::fromLatin1(v.usage)) + u'\n' +
               cli::roffText(verbHelp(v)) + u'\n';
    return out;
}

QString hexBytes(const QList<QByteArray>& writes)
{
    QByteArray all;
    for (const QByteArray& w : writes)
        all += w;
    return QString::fromLatin1(all.toHex(' ').toUpper());
}

} // namespace vq::ctl
