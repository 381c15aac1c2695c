#pragma once

#include <exception>
#include <QString>

namespace vq {

// Error numbers follow the classic serial control, so reports read as operators know them.
namespace err {
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPortNumber = 8002;
inline constexpr int PortAlreadyOpen = 8005;
inline constexpr int PortInUse = 8010;
inline constexpr int OpenFailed = 8012;
inline constexpr int SettingsRefused = 8015;
inline constexpr int PortNotOpen = 8018;
} // namespace err

// A failing property access of the port: a number and a description shown verbatim.
class CommError : public std::exception {
public:
    CommError(int number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
    {
    }
    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace vq
