#pragma once

#include "virtual_display/commandset.h"
#include "virtual_display/serialline.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <memory>

namespace vq::vdisplay {

// One thing the display did, with the bytes that made it happen and the screen afterwards.
// Most events are one byte each, so an event holds no text of its own that it need not.
struct DisplayEvent {
    EventKind kind = EventKind::Text;
    Fields fields; // the kind's own, in output order
    QString message;
    QByteArray bytes;
    ScreenState screen; // afterwards

    QJsonValue field(const QString& key) const;
    bool operator==(const DisplayEvent&) const = default;
};

// The display's receiver and the byte-at-a-time decoder behind it, plus the state they drive.
// Each feed is one write of the PC's: its bytes back to back on the line, idle around them. On
// the display's own line the bytes arrive as sent, however they are split; on another, as a
// receiver sampling at the display's rate and framing takes them.
class DisplayDecoder {
public:
    // A frame longer than this without its ETX is given up on.
    static constexpr int FrameCap = 4096;
    // The display shows twenty characters; this much is plenty to keep.
    static constexpr int StoredTextCap = 1024;
    static constexpr int PowerOnBaud = 9600;

    DisplayDecoder();
    ~DisplayDecoder();

    QList<DisplayEvent> feed(QByteArrayView data);
    // The same, adding the events to a list the caller keeps.
    void feed(QByteArrayView data, QList<DisplayEvent>& events);
    // The PC side's line for the writes that follow: data bits 5 to 8, stop bits 1 or 2. A baud
    // of 0 means it cannot be told, and bytes are taken as sent.
    void setPcLine(const SerialLine& line);

    const ScreenModel& screen() const { return m_screen; }
    Emulation emulation() const { return m_set->emulation(); }
    unsigned char charsetCode() const { return m_screen.state().charset; }
    int displayBaud() const { return m_line.baud; }
    Framing framing() const { return m_line.framing; }
    SerialLine pcLine() const { return m_pcLine; }
    // The demo message stored for a row.
    QByteArray storedText(int row) const { return row == 0 ? m_upper : m_lower; }
    // Bytes of a frame or sequence begun but not finished yet.
    QByteArray pendingBytes() const { return m_set->pending() + m_pending; }

    // The glyph a byte received with an error turns into.
    static unsigned char garbleGlyph(unsigned char byte);

private:
    struct Command;
    struct Phrases;
    static const Command kCommands[];
    static const Phrases& phrases();

    // What the emulation's command set acts on.
    class Sink final : public Display {
    public:
        explicit Sink(DisplayDecoder& decoder) : m_decoder(decoder) {}
        ScreenModel& screen() override { return m_decoder.m_screen; }
        void report(const Said& said, QByteArrayView bytes) override
        {
            m_decoder.addEvent(said, bytes);
        }
        void switchTo(Emulation emulation) override;

    private:
        DisplayDecoder& m_decoder;
    };

    enum class State { Idle, AfterStx, AfterEnq, AfterCode, AwaitEtx, StoreText };
    enum class Reason;

    void receive(QByteArrayView data);
    void take(unsigned char byte, LineError error);
    void decodeByte(unsigned char byte);
    void catchUpLine(unsigned char byte);
    bool staysOnOldLine(unsigned char byte) const;
    void switchLine();
    void checkLine();
    void handleIdle(unsigned char byte, bool notFrame = false);
    void handleFrameByte(unsigned char byte);
    void handleStoreText(unsigned char byte);
    void executeFrame();
    void executeStore();
    void restartFrame();
    void giveUpPending(Reason reason);
    void select(Emulation emulation);

    void addEvent(const Said& said, QByteArrayView bytes);
    void startPending(char first);

    ScreenModel m_screen;
    Sink m_sink{*this};
    std::unique_ptr<CommandSet> m_set;
    // Chosen by the set in use while it reads a byte; it takes over once that byte is read.
    std::unique_ptr<CommandSet> m_nextSet;
    SerialLine m_line{PowerOnBaud, {}};
    SerialLine m_rxLine{PowerOnBaud, {}}; // lags m_line, see m_lag
    // A new line is obeyed from the next byte, unless a frame follows the command straight on,
    // as the framing command follows the baud command: that frame was clocked in at the old one.
    enum class Lag { None, NextFrame, InFrame };
    Lag m_lag = Lag::None;
    QByteArray m_upper;
    QByteArray m_lower;

    State m_state = State::Idle;
    QByteArray m_pending;

    SerialLine m_pcLine;
    bool m_mismatchShown = false;
    SerialLine m_shownPc;
    SerialLine m_shownDisplay;

    QList<DisplayEvent>* m_out = nullptr;
};

} // namespace vq::vdisplay
