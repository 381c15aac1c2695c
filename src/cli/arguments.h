#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <span>

namespace vq::cli {

// One option a program takes, the way Qt's own tools take them: -name and --name alike,
// with its value after "=" or as the next argument.
struct OptionDef {
    QStringList names;   // the first is the one reported
    QString valueName;   // empty: a flag
    QString description; // empty: hidden from the help
};

// The arguments as given, walked once: options in their order with their values as bytes (a
// device name need not be text), and the positional words.
struct Arguments {
    struct Option {
        QStringList names; // the definition's
        QByteArray value;
        QByteArray given; // the argument as written, for pass-through and messages
    };
    QList<Option> options;
    QList<QByteArray> positionals;
    QString error; // one line naming the bad argument; empty when none

    bool isSet(const QString& name) const;
    QList<QByteArray> values(const QString& name) const;
    // The last value given, as text.
    QString value(const QString& name) const;
};

enum class Positionals {
    Anywhere,   // options may follow positional words
    EndOptions, // the first positional word and all after it are positional
};

// Unknown options, a value missing or given to a flag, are errors. "--" ends the options.
Arguments scan(const QList<QByteArray>& args, std::span<const OptionDef> defs,
               Positionals positionals = Positionals::Anywhere);

// The window system's own options (-platform, -style, -reverse...), hidden from the help.
std::span<const OptionDef> qtOptions();
// Those of `parsed` in the order given, each with its value, for the window system.
QList<QByteArray> qtArguments(const Arguments& parsed);

// The help as Qt's parser lays it out, several lines ending with a newline.
QString helpText(const QString& program, const QString& description,
                 std::span<const OptionDef> defs, const QString& positionalName = {},
                 const QString& positionalHelp = {}, const QString& positionalSyntax = {});

// The same options as a manual page's OPTIONS section, so the page and the help say one thing.
QString manualOptions(std::span<const OptionDef> defs);
// Text as a manual page's source takes it: backslashes, dashes and line-leading dots escaped.
QString roffText(const QString& text);
// A usage such as "rescue [BAUD FRAMING]": the words to type bold, the values italic.
QString roffUsage(const QString& usage);

// argv without the program name, byte for byte.
QList<QByteArray> rawArguments(int argc, char** argv);

} // namespace vq::cli
