#pragma once

#include "ctl/actions.h"
#include "ctl/text.h"
#include "serial/commerror.h"

#include <QJsonObject>
#include <QString>

namespace vq::ctl {

// What a run says: the actions on stdout, a line for people or one JSON object a line for
// other tools, and failures on stderr (and, with JSON, as an object on stdout too). Writes that
// fail (a closed pipe) are let go: the run goes on as it would have.
class Report {
public:
    explicit Report(bool json) : m_json(json) {}
    bool json() const { return m_json; }

    // One action as sent (or, without a device, as it would be).
    void action(const QByteArray& device, const Action& action, const DeviceInfo& info = {});
    // What a run says on the way: the line it is on, the lines a device refused.
    void note(const QByteArray& device, const QString& text, const QJsonObject& json);
    void done(const QByteArray& device, qsizetype actions);
    void failed(const QByteArray& device, qsizetype sent, qsizetype total, const QString& why);
    // Bad usage, before anything is opened.
    void usage(const QString& why);
    void raw(const QByteArray& text);

private:
    void out(const QString& text, QJsonObject json, const QByteArray& device);

    bool m_json;
};

// "1 action", "3 actions".
QString counted(qsizetype n, const char* what);

} // namespace vq::ctl
