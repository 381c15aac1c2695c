#include "ctl/runner.h"

#include "cli/termination.h"
#include "ctl/failurewords.h"
#include "serial/portlist.h"
#include "serial/termiosport.h"
#include "shared/failureparts.h"

#include <algorithm>
#include <cstring>
#include <QFileInfo>
#include <QJsonArray>
#include <QLoggingCategory>

namespace vq::ctl {

namespace {

Q_LOGGING_CATEGORY(lcCtl, "vq.ctl", QtWarningMsg)

bool stopAsked()
{
    return cli::TerminationSignals::count() > 0;
}
bool cutShort()
{
    return cli::TerminationSignals::count() > 1;
}

QString signalName(int signal)
{
    const char* abbrev = ::sigabbrev_np(signal);
    return abbrev ? QStringLiteral("SIG") + QLatin1String(abbrev) : QString::number(signal);
}

// What did not go out: the count is kept, the device fails.
struct NotSent {};

// One device's run, in its own words.
class DeviceRun {
public:
    DeviceRun(const Plan& plan, const QByteArray& device, const LineSettings& pcSettings,
              Report& report)
        : m_plan(plan), m_device(device), m_pcSettings(pcSettings), m_report(report),
          m_port(PortMap{{{1, device}}})
    {
        m_port.setOnLost([this](qint64 dropped, bool) { m_dropped += dropped; });
        m_port.setDrainWatch([](qint64) { return !cutShort(); });
    }

    // True when every action went out.
    bool run()
    {
        QString failure;
        try {
            m_port.setSettings(m_pcSettings.toString());
            m_port.setPortOpen(true);
            qCDebug(lcCtl) << m_device << "opened at" << m_pcSettings.toString();
            const bool named = std::any_of(m_plan.actions.begin(), m_plan.actions.end(),
                                           [](const Action& a) { return bool(a.forDevice); });
            const DeviceInfo info = named ? deviceInfo(m_device) : DeviceInfo{m_device, {}, 0};
            for (const Action& action : m_plan.actions) {
                if (stopAsked())
                    break;
                send(action, info);
            }
            settle();
            m_port.setPortOpen(false);
        } catch (const CommError& e) {
            failure = failureWords(e, m_device);
        } catch (const NotSent&) {
        }
        // Actions whose every byte left: bytes handed over, less those that never went.
        const qint64 delivered = m_handed - m_dropped;
        const qsizetype sent = std::count_if(m_ends.begin(), m_ends.end(),
                                             [&](qint64 end) { return end <= delivered; });
        const qsizetype total = m_plan.actions.size();
        QStringList why;
        if (!failure.isEmpty())
            why << failure;
        else if (stopAsked() && sent < total)
            why << QStringLiteral("stopped by %1")
                       .arg(signalName(cli::TerminationSignals::first()));
        if (m_dropped > 0)
            why << notSentText(m_dropped);
        if (why.isEmpty()) {
            m_report.done(m_device, total);
            return true;
        }
        m_report.failed(m_device, sent, total, why.join(QStringLiteral("; ")));
        return false;
    }

private:
    void send(const Action& action, const DeviceInfo& info)
    {
        QStringList refused;
        Action sent = action; // as it went: a sweep without the lines the device refused
        sent.steps.clear();
        const QList<Step> steps =
            action.forDevice ? QList<Step>{{{}, false, action.forDevice(info)}} : action.steps;
        for (const Step& step : steps) {
            if (step.pcSettings && *step.pcSettings != m_pcSettings &&
                !switchTo(*step.pcSettings, step.mayRefuse)) {
                refused << step.pcSettings->toString();
                continue;
            }
            for (const QByteArray& bytes : step.writes) {
                m_port.output(bytes);
                m_handed += bytes.size();
            }
            sent.steps << step;
        }
        m_ends << m_handed;
        m_report.action(m_device, sent, info);
        if (!refused.isEmpty())
            m_report.note(m_device,
                          QStringLiteral("skipped %1 the device refuses: %2")
                              .arg(counted(refused.size(), "line"), refused.join(u' ')),
                          {{QStringLiteral("skipped"), QJsonArray::fromStringList(refused)}});
        if (action.settingsAfter) {
            if (*action.settingsAfter != m_pcSettings)
                switchTo(*action.settingsAfter, false);
            m_report.note(
                m_device,
                QStringLiteral("the line is now %1, as the display's").arg(m_pcSettings.toString()),
                {{QStringLiteral("line"), m_pcSettings.toString()}});
        }
    }

    // The PC side follows once the display has the bytes before; false when the device refuses a
    // line it may refuse.
    bool switchTo(const LineSettings& settings, bool mayRefuse)
    {
        settle();
        try {
            m_port.setSettings(settings.toString());
        } catch (const CommError& e) {
            if (mayRefuse && e.number() == err::SettingsRefused)
                return false;
            throw;
        }
        qCDebug(lcCtl) << m_device << "PC side now" << settings.toString();
        m_pcSettings = settings;
        return true;
    }

    // Waits until the display has what is on its way, bounded as a close is and watching the
    // device all the while; what did not go fails the device.
    void settle()
    {
        const qint64 left = m_port.drain();
        m_dropped += left;
        if (!m_port.portOpen())
            throw CommError(PortFailure::DeviceGone);
        if (left > 0)
            throw NotSent{};
    }

    const Plan& m_plan;
    QByteArray m_device;
    LineSettings m_pcSettings;
    Report& m_report;
    TermiosPort m_port;
    qint64 m_handed = 0;
    qint64 m_dropped = 0;
    QList<qint64> m_ends;
};

} // namespace

void printPlan(const Plan& plan, Report& report)
{
    for (const Action& action : plan.actions)
        report.action({}, action);
}

bool runPlan(const Plan& plan, const QList<QByteArray>& devices, const LineSettings& pcSettings,
             Report& report)
{
    bool allDone = true;
    for (const QByteArray& device : devices) {
        if (stopAsked()) {
            report.failed(device, 0, plan.actions.size(),
                          QStringLiteral("not started: stopped by %1")
                              .arg(signalName(cli::TerminationSignals::first())));
            allDone = false;
            continue;
        }
        allDone = DeviceRun(plan, device, pcSettings, report).run() && allDone;
    }
    return allDone;
}

DeviceInfo deviceInfo(const QByteArray& device)
{
    DeviceInfo info{device, {}, 0};
    const QList<PortInfo> ports = systemPorts();
    const PortMap numbers = numberPorts(ports);
    const QString real = QFileInfo(QFile::decodeName(device)).canonicalFilePath();
    for (const PortInfo& p : ports) {
        if (QFileInfo(p.device).canonicalFilePath() == real)
            info.stableName = p.stableName;
    }
    for (auto it = numbers.devices.cbegin(); it != numbers.devices.cend(); ++it) {
        if (QFileInfo(QFile::decodeName(*it)).canonicalFilePath() == real)
            info.comNumber = it.key();
    }
    return info;
}

} // namespace vq::ctl
