#include "cli/arguments.h"

#include <algorithm>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <vector>

namespace vq::cli {

namespace {

QString shown(const QByteArray& arg)
{
    return QString::fromLocal8Bit(arg);
}

const OptionDef* find(std::span<const OptionDef> defs, const QString& name)
{
    const auto it = std::find_if(defs.begin(), defs.end(),
                                 [&](const OptionDef& s) { return s.names.contains(name); });
    return it == defs.end() ? nullptr : &*it;
}

} // namespace

bool Arguments::isSet(const QString& name) const
{
    return std::any_of(options.begin(), options.end(),
                       [&](const Option& o) { return o.names.contains(name); });
}

QList<QByteArray> Arguments::values(const QString& name) const
{
    QList<QByteArray> out;
    for (const Option& o : options) {
        if (o.names.contains(name))
            out << o.value;
    }
    return out;
}

QString Arguments::value(const QString& name) const
{
    const QList<QByteArray> all = values(name);
    return all.isEmpty() ? QString() : shown(all.last());
}

Arguments scan(const QList<QByteArray>& args, std::span<const OptionDef> defs,
               Positionals positionals)
{
    Arguments out;
    bool optionsDone = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QByteArray& arg = args[i];
        if (optionsDone || arg.size() < 2 || !arg.startsWith('-')) {
            out.positionals << arg;
            optionsDone = optionsDone || positionals == Positionals::EndOptions;
            continue;
        }
        if (arg == "--") {
            optionsDone = true;
            continue;
        }
        const QByteArray body = arg.mid(arg.startsWith("--") ? 2 : 1);
        const qsizetype eq = body.indexOf('=');
        const QString name = shown(eq < 0 ? body : body.left(eq));
        const OptionDef* def = find(defs, name);
        if (!def) {
            out.error = QStringLiteral("unknown option '%1'").arg(name);
            return out;
        }
        Arguments::Option option{def->names, {}, arg};
        if (def->valueName.isEmpty()) {
            if (eq >= 0) {
                out.error = QStringLiteral("--%1 takes no value").arg(name);
                return out;
            }
        } else if (eq >= 0) {
            option.value = body.mid(eq + 1);
        } else if (i + 1 < args.size()) {
            option.value = args[++i];
            option.given += ' ' + option.value;
        } else {
            out.error = QStringLiteral("missing value after %1").arg(shown(arg));
            return out;
        }
        out.options << option;
    }
    return out;
}

std::span<const OptionDef> qtOptions()
{
    static const auto defs = [] {
        std::vector<OptionDef> all{
            {{QStringLiteral("platform")},
             QStringLiteral("name"),
             QStringLiteral("The window system to use, such as offscreen to run without a "
                            "display. Qt's other options (-style, -reverse...) are taken too.")}};
        for (const char* name :
             {"platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
              "qwindowtitle", "display", "geometry", "style", "stylesheet", "session"})
            all.push_back({{QString::fromLatin1(name)}, QStringLiteral("value"), {}});
        for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
            all.push_back({{QString::fromLatin1(name)}, {}, {}});
        return all;
    }();
    return defs;
}

QList<QByteArray> qtArguments(const Arguments& parsed)
{
    QList<QByteArray> out;
    for (const Arguments::Option& o : parsed.options) {
        const OptionDef* def = find(qtOptions(), o.names.constFirst());
        if (!def)
            continue;
        out << '-' + o.names.constFirst().toLatin1();
        if (!def->valueName.isEmpty())
            out << o.value;
    }
    return out;
}

QString helpText(const QString& program, const QString& description,
                 std::span<const OptionDef> defs, const QString& positionalName,
                 const QString& positionalHelp, const QString& positionalSyntax)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(description);
    for (const OptionDef& s : defs) {
        QCommandLineOption option(s.names, s.description, s.valueName);
        if (s.description.isEmpty())
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    if (!positionalName.isEmpty())
        parser.addPositionalArgument(positionalName, positionalHelp, positionalSyntax);
    // The parser names the program by how it was started, or not at all before the application.
    static const QRegularExpression usage(QStringLiteral("^Usage: \\S+"));
    return parser.helpText().replace(usage, QStringLiteral("Usage: ") + program);
}

QString roffText(const QString& text)
{
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\e")).replace(u'-', QStringLiteral("\\-"));
    if (out.startsWith(u'.') || out.startsWith(u'\''))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString roffUsage(const QString& usage)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-z][A-Za-z-]*"));
    QString out;
    qsizetype at = 0;
    for (const QRegularExpressionMatch& m : word.globalMatch(usage)) {
        out += roffText(usage.mid(at, m.capturedStart() - at));
        const QString w = m.captured();
        out += (w == w.toUpper() ? QStringLiteral("\\fI") : QStringLiteral("\\fB")) + roffText(w) +
               QStringLiteral("\\fR");
        at = m.capturedEnd();
    }
    return out + roffText(usage.mid(at));
}

QString manualOptions(std::span<const OptionDef> defs)
{
    QString out = QStringLiteral(".SH OPTIONS\n");
    for (const OptionDef& d : defs) {
        if (d.description.isEmpty())
            continue;
        QStringList names;
        for (const QString& n : d.names)
            names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
        const QString value = d.valueName.isEmpty() ? QString() : u' ' + d.valueName;
        out += QStringLiteral(".TP\n") + roffUsage(names.join(QStringLiteral(", ")) + value) +
               u'\n' + roffText(d.description) + u'\n';
    }
    return out;
}

QList<QByteArray> rawArguments(int argc, char** argv)
{
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args << QByteArray(argv[i]);
    return args;
}

} // namespace vq::cli
