#pragma once

#include "virtual_display/protocoltables.h"
#include "virtual_display/screenmodel.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <array>
#include <utility>

namespace vq::vdisplay {

// One thing the display did, with the bytes that made it happen and the screen afterwards.
// Most events are one byte each, so an event holds no text of its own that it need not.
struct DisplayEvent {
    QString event;
    QList<std::pair<QString, QJsonValue>> fields; // the kind's own, in output order
    QString message;
    QByteArray bytes;
    std::array<char, ScreenModel::CellCount> screen{};
    int cursor = 0;

    QJsonValue field(const QString& key) const;
    // The screen's lines afterwards, twenty Latin-1 characters each.
    QString line1() const { return QString::fromLatin1(screen.data(), ScreenModel::Columns); }
    QString line2() const
    {
        return QString::fromLatin1(screen.data() + ScreenModel::Columns, ScreenModel::Columns);
    }
    bool operator==(const DisplayEvent&) const = default;
};

// Byte-at-a-time decoder of everything the PC sends, plus the state it drives.
// Input may be cut anywhere: a frame split over many reads decodes the same as in one.
class DisplayDecoder {
public:
    // A frame longer than this without its ETX is given up on.
    static constexpr int FrameCap = 4096;
    // The display shows twenty characters; this much is plenty to keep.
    static constexpr int StoredTextCap = 1024;
    static constexpr int PowerOnBaud = 9600;

    DisplayDecoder();

    // One read's worth of input. A new display speed applies from the next read on.
    QList<DisplayEvent> feed(QByteArrayView data);
    // The same, adding the events to a list the caller keeps.
    void feed(QByteArrayView data, QList<DisplayEvent>& events);
    // The PC side's speed as the port reports it; 0 when it cannot be read.
    void setPcBaud(int baud) { m_pcBaud = baud; }

    const ScreenModel& screen() const { return m_screen; }
    Emulation emulation() const { return m_emulation; }
    unsigned char charsetCode() const { return m_charset; }
    int displayBaud() const { return m_displayBaud; }
    Framing framing() const { return m_framing; }
    int pcBaud() const { return m_pcBaud; }
    bool speedMismatch() const { return m_pcBaud > 0 && m_pcBaud != m_displayBaud; }
    QByteArray storedLine(int row) const { return row == 0 ? m_upper : m_lower; }
    // Bytes of a frame or sequence begun but not finished yet.
    QByteArray pendingBytes() const { return m_pending; }

    // The glyph a byte turns into when the line speeds differ.
    static unsigned char garbleGlyph(unsigned char byte);

    // What an event of a kind says; most are made once and shared by every such event.
    struct Said {
        QString event;
        QString message;
        QList<std::pair<QString, QJsonValue>> fields;
    };

private:
    static const Said& frameSaid(char code, char param);

    enum class State { Idle, AfterStx, AfterEnq, AfterCode, AwaitEtx, StoreText, Dsp800Sequence };

    void feedByte(unsigned char byte);
    void catchUpSpeed(unsigned char byte);
    bool misclocked() const { return m_pcBaud > 0 && m_pcBaud != m_receiveBaud; }
    void checkSpeed();
    void handleIdle(unsigned char byte);
    void handleFrameByte(unsigned char byte);
    void handleStoreText(unsigned char byte);
    void handleDsp800(unsigned char byte);
    void executeFrame();
    void executeStore();
    void restartFrame();
    void giveUpPending(const QString& reason);
    bool isClearByte(unsigned char byte) const;

    DisplayEvent& addEvent(const QString& name, const QString& message, const QByteArray& bytes);
    void startPending(char first);

    ScreenModel m_screen;
    Emulation m_emulation = Emulation::Ztk;
    unsigned char m_charset = PowerOnCharset;
    int m_displayBaud = PowerOnBaud;
    int m_receiveBaud = PowerOnBaud; // lags m_displayBaud, see m_lag
    // A new speed is obeyed from the next byte, unless a frame follows the baud command straight
    // on, as the framing command does: that frame was clocked in at the old speed.
    enum class Lag { None, NextFrame, InFrame };
    Lag m_lag = Lag::None;
    Framing m_framing;
    QByteArray m_upper;
    QByteArray m_lower;

    State m_state = State::Idle;
    QByteArray m_pending;

    int m_pcBaud = 0;
    bool m_mismatchShown = false;
    int m_shownPc = 0;
    int m_shownDisplay = 0;

    QList<DisplayEvent>* m_out = nullptr;
};

} // namespace vq::vdisplay
