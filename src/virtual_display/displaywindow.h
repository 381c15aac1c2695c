#pragma once

#include "virtual_display/displaydecoder.h"

#include <QMainWindow>

class QLabel;
class QPlainTextEdit;

namespace vq::vdisplay {

class PtyEndpoint;
class VfdWidget;

class DisplayWindow : public QMainWindow {
    Q_OBJECT

public:
    // Lines kept in the log; older ones scroll away.
    static constexpr int LogLimit = 5000;

    DisplayWindow(DisplayDecoder& decoder, PtyEndpoint& pty, QWidget* parent = nullptr);

    void receive(const QByteArray& data, const SerialLine& pc);

private:
    void refreshState();
    void refreshPcLine();

    DisplayDecoder& m_decoder;
    PtyEndpoint& m_pty;
    VfdWidget* m_vfd = nullptr;
    QLabel* m_emulation = nullptr;
    QLabel* m_charset = nullptr;
    QLabel* m_displayLine = nullptr;
    QLabel* m_pcLine = nullptr;
    QLabel* m_upper = nullptr;
    QLabel* m_lower = nullptr;
    QLabel* m_pending = nullptr;
    QPlainTextEdit* m_log = nullptr;
};

} // namespace vq::vdisplay
