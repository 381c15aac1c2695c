#include "ctl/report.h"

#include <cstdio>
#include <cstring>
#include <QJsonArray>
#include <QJsonDocument>

namespace vq::ctl {

namespace {

void put(std::FILE* stream, const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stream);
    std::fflush(stream);
}

QJsonObject actionJson(const Action& action, const QList<QByteArray>& writes)
{
    QJsonObject json{{QStringLiteral("action"), action.words.constFirst()},
                     {QStringLiteral("arguments"), QJsonArray::fromStringList(action.words.mid(1))},
                     {QStringLiteral("bytes"), hexBytes(writes)}};
    if (std::any_of(action.steps.begin(), action.steps.end(),
                    [](const Step& s) { return bool(s.pcSettings); })) {
        QJsonArray steps;
        for (const Step& s : action.steps)
            steps << QJsonObject{
                {QStringLiteral("line"), s.pcSettings ? s.pcSettings->toString() : QString()},
                {QStringLiteral("bytes"), hexBytes(s.writes)}};
        json.insert(QStringLiteral("steps"), steps);
    }
    return json;
}

} // namespace

QString counted(qsizetype n, const char* what)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(what)).arg(n == 1 ? "" : "s");
}

void Report::out(const QString& text, QJsonObject json, const QByteArray& device)
{
    if (!m_json) {
        put(stdout, ((device.isEmpty() ? QString() : printable(device) + QStringLiteral(": ")) +
                     text + u'\n')
                        .toUtf8());
        return;
    }
    if (!device.isEmpty())
        json.insert(QStringLiteral("device"), QString::fromLocal8Bit(device));
    put(stdout, QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n');
}

void Report::action(const QByteArray& device, const Action& action, const DeviceInfo& info)
{
    const QList<QByteArray> writes = action.writes(info);
    QStringList words;
    for (const QString& w : action.words)
        words << printable(w);
    QString text = words.join(u' ') + QStringLiteral(": ");
    if (action.steps.size() > 1 && action.steps.constFirst().pcSettings) {
        // A sweep says its bytes once; a dry run shows it whole, a line at each PC-side line.
        text += QStringLiteral("%1 at each of %2")
                    .arg(hexBytes(action.steps.constFirst().writes),
                         counted(action.steps.size(), "line"));
        for (const Step& s : action.steps) {
            if (device.isEmpty())
                text += QStringLiteral("\n  at %1: %2")
                            .arg(s.pcSettings->toString(), hexBytes(s.writes));
        }
    } else {
        text += hexBytes(writes);
    }
    out(text, actionJson(action, writes), device);
}

void Report::note(const QByteArray& device, const QString& text, const QJsonObject& json)
{
    out(text, json, device);
}

void Report::done(const QByteArray& device, qsizetype actions)
{
    out(QStringLiteral("done, %1 sent").arg(counted(actions, "action")),
        {{QStringLiteral("ok"), true}, {QStringLiteral("actions"), int(actions)}}, device);
}

void Report::failed(const QByteArray& device, qsizetype sent, qsizetype total, const QString& why)
{
    const QString text =
        QStringLiteral("failed after %1 of %2: %3").arg(sent).arg(counted(total, "action"), why);
    put(stderr,
        (QStringLiteral("vq3360ctl: ") + printable(device) + QStringLiteral(": ") + text + u'\n')
            .toUtf8());
    if (m_json) {
        QJsonObject json{{QStringLiteral("ok"), false},
                         {QStringLiteral("actions"), int(sent)},
                         {QStringLiteral("error"), why}};
        json.insert(QStringLiteral("device"), QString::fromLocal8Bit(device));
        put(stdout, QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n');
    }
}

void Report::usage(const QString& why)
{
    put(stderr, (QStringLiteral("vq3360ctl: ") + printable(why) + QStringLiteral("\nTry --help.\n"))
                    .toUtf8());
    if (m_json)
        put(stdout, QJsonDocument(QJsonObject{{QStringLiteral("ok"), false},
                                              {QStringLiteral("error"), why},
                                              {QStringLiteral("usage"), true}})
                            .toJson(QJsonDocument::Compact) +
                        '\n');
}

void Report::raw(const QByteArray& text)
{
    put(stdout, text);
}

} // namespace vq::ctl
