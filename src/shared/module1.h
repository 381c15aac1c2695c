#pragma once

#include <QByteArray>
#include <QString>

namespace vq {

// The process-wide variables; they live for the whole process and are never saved.
struct Module1 {
    QString BaudText;
    QString FrameText;
    QString PortSettings;
    qint16 PortNumber = 0;
    // EmulationPrefix and ClearCmd are the display session's (display/session.h).

    // Used only by the message and input boxes.
    qint16 MsgResult = 0;
    bool MsgBoxBusy = false;
    QString InputText;
};

} // namespace vq
