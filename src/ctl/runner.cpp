#include "ctl/runner.h"

#include "serial/drain.h"
#include "serial/termiosport.h"
#include "shared/guardedsend.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace vq::ctl {

namespace {

// What a display may still be doing with the last byte: taking it from its receiver, or, after
// its line changed, switching to the new one.
constexpr qint64 kSettleMs = 20;

// Bytes handed to the driver are on the wire for as long as the line needs for them: until
// then the line keeps its speed, or the display would receive their end at another one.
class LineClock {
public:
    LineClock() { m_since.start(); }
    void sent(qint64 bytes) { m_bytes += bytes; }
    // Waits out what the bytes sent since the last wait still need, and a moment.
    void waitOut(const LineSettings& line)
    {
        const qint64 need = line.lineTimeMs(m_bytes) + kSettleMs - m_since.elapsed();
        if (need > 0)
            QThread::msleep(static_cast<unsigned long>(need));
        m_bytes = 0;
        m_since.restart();
    }

private:
    qint64 m_bytes = 0;
    QElapsedTimer m_since;
};

QString said(const Action& action)
{
    return action.words.join(u' ');
}

void say(QTextStream& out, Report report, const QString& device, const QString& text,
         QJsonObject json)
{
    if (report == Report::Text) {
        out << (device.isEmpty() ? text : device + QStringLiteral(": ") + text) << '\n';
    } else {
        if (!device.isEmpty())
            json.insert(QStringLiteral("device"), device);
        out << QJsonDocument(json).toJson(QJsonDocument::Compact) << '\n';
    }
    out.flush();
}

QJsonObject actionJson(const Action& action)
{
    return {{QStringLiteral("action"), action.words.constFirst()},
            {QStringLiteral("arguments"), QJsonArray::fromStringList(action.words.mid(1))},
            {QStringLiteral("bytes"), hexBytes(action.writes)}};
}

} // namespace

void printPlan(const Plan& plan, Report report, QTextStream& out)
{
    for (const Action& action : plan.actions)
        say(out, report, {}, said(action) + QStringLiteral(": ") + hexBytes(action.writes),
            actionJson(action));
}

bool runPlan(const Plan& plan, const QList<QByteArray>& devices, const LineSettings& line,
             Report report, QTextStream& out)
{
    bool allDone = true;
    for (const QByteArray& device : devices) {
        const QString name = QFile::decodeName(device);
        TermiosPort port(PortMap{{{1, device}}});
        qsizetype sent = 0;
        QString why;
        try {
            port.setSettings(line.toString());
            port.setPortOpen(true);
            LineSettings now = line;
            LineClock clock;
            for (const Action& action : plan.actions) {
                for (const QByteArray& bytes : action.writes) {
                    port.output(bytes);
                    clock.sent(bytes.size());
                }
                say(out, report, name,
                    said(action) + QStringLiteral(": ") + hexBytes(action.writes),
                    actionJson(action));
                if (action.lineAfter) {
                    // The PC side follows once the display has the bytes and has switched.
                    if (const qint64 left = drainOrDiscard(port)) {
                        why = notSentText(left);
                        break;
                    }
                    clock.waitOut(now);
                    now = *action.lineAfter;
                    port.setSettings(now.toString());
                    say(out, report, name,
                        QStringLiteral("the line is now %1, as the display's").arg(port.settings()),
                        {{QStringLiteral("line"), port.settings()}});
                }
                ++sent;
            }
            if (why.isEmpty()) {
                if (const qint64 left = drainOrDiscard(port))
                    why = notSentText(left);
                else
                    clock.waitOut(now); // closing puts back the line as it was found
            }
            port.setPortOpen(false);
        } catch (const CommError& e) {
            why = writeFailureText(e);
        }
        const qsizetype total = plan.actions.size();
        if (why.isEmpty()) {
            say(out, report, name, QStringLiteral("done, %1 actions sent").arg(total),
                {{QStringLiteral("ok"), true}, {QStringLiteral("actions"), int(total)}});
        } else {
            allDone = false;
            say(out, report, name,
                QStringLiteral("failed after %1 of %2 actions: %3").arg(sent).arg(total).arg(why),
                {{QStringLiteral("ok"), false},
                 {QStringLiteral("actions"), int(sent)},
                 {QStringLiteral("error"), why}});
        }
    }
    return allDone;
}

} // namespace vq::ctl
