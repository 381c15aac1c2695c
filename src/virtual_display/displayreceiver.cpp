#include "virtual_display/displaydecoder.h"

#include <algorithm>

// How the display's receiver takes what the PC puts on the line, and follows its own line.
namespace vq::vdisplay {

unsigned char DisplayDecoder::garbleGlyph(unsigned char byte)
{
    // Symbols only, never letters or digits, so garbled output cannot pass for what was sent.
    static constexpr unsigned char glyphs[16] = {0xA4, 0xA7, 0xB1, 0xB6, 0xBF, 0xD7, 0xDF, 0xF0,
                                                 0xFE, 0xA9, 0xAE, 0xB0, 0xF7, 0xAC, 0xB5, 0xA1};
    return glyphs[(byte * 7 + 3) & 0x0F];
}

void DisplayDecoder::setPcLine(const SerialLine& line)
{
    m_pcLine = line;
    m_pcLine.framing.dataBits = std::clamp(line.framing.dataBits, 5, 8);
    m_pcLine.framing.stopBits = std::clamp(line.framing.stopBits, 1, 2);
}

QList<DisplayEvent> DisplayDecoder::feed(QByteArrayView data)
{
    QList<DisplayEvent> events;
    feed(data, events);
    return events;
}

void DisplayDecoder::feed(QByteArrayView data, QList<DisplayEvent>& events)
{
    m_out = &events;
    if (m_pcLine.baud > 0) {
        receive(data);
    } else {
        for (const char byte : data) {
            catchUpLine(static_cast<unsigned char>(byte));
            decodeByte(static_cast<unsigned char>(byte));
        }
    }
    m_out = nullptr;
}

bool DisplayDecoder::staysOnOldLine(unsigned char byte) const
{
    return m_lag == Lag::NextFrame && m_state == State::Idle && byte == STX;
}

void DisplayDecoder::switchLine()
{
    m_lag = Lag::None;
    m_rxLine = m_line;
}

// The PC's line is not known: the bytes are taken as sent, the line followed as it would be.
void DisplayDecoder::catchUpLine(unsigned char byte)
{
    if (staysOnOldLine(byte))
        m_lag = Lag::InFrame;
    else if (m_lag == Lag::NextFrame || (m_lag == Lag::InFrame && m_state == State::Idle))
        switchLine();
}

void DisplayDecoder::receive(QByteArrayView data)
{
    const Wire wire(data, m_pcLine);
    const int frameBits = wire.frameBits();
    const unsigned char mask = static_cast<unsigned char>((1u << m_pcLine.framing.dataBits) - 1);
    if (m_lag == Lag::InFrame && m_state == State::Idle)
        switchLine();
    if (m_lag != Lag::NextFrame)
        checkLine();
    qint64 from = 0; // where the receiver waits for a falling edge
    for (;;) {
        if (m_lag == Lag::None && m_rxLine == m_pcLine && from % frameBits == 0) {
            // In step with the PC on its own line: each byte arrives as sent.
            const qint64 index = from / frameBits;
            if (index >= data.size())
                break;
            take(static_cast<unsigned char>(data[index]) & mask, LineError::None);
            from += frameBits;
            continue;
        }
        const qint64 edge = wire.fallingEdge(from);
        if (edge < 0)
            break;
        if (m_lag == Lag::InFrame && m_state == State::Idle)
            switchLine();
        Reception got = vdisplay::receive(wire, edge, m_rxLine);
        if (m_lag == Lag::NextFrame) {
            if (got.started && got.error == LineError::None && staysOnOldLine(got.byte)) {
                m_lag = Lag::InFrame;
            } else {
                const bool same = m_rxLine == m_line;
                switchLine();
                if (!same)
                    got = vdisplay::receive(wire, edge, m_rxLine);
            }
        }
        from = got.resume;
        if (got.started) {
            checkLine();
            take(got.byte, got.error);
        }
    }
}

void DisplayDecoder::checkLine()
{
    if (m_pcLine != m_rxLine) {
        if (m_mismatchShown && m_shownPc == m_pcLine && m_shownDisplay == m_rxLine)
            return;
        addEvent({EventKind::SpeedMismatch,
                  QStringLiteral("line differs: PC %1, display %2")
                      .arg(m_pcLine.text(), m_rxLine.text()),
                  {{QStringLiteral("pc"), m_pcLine.baud},
                   {QStringLiteral("display"), m_rxLine.baud},
                   {QStringLiteral("pc_framing"), m_pcLine.framing.text()},
                   {QStringLiteral("display_framing"), m_rxLine.framing.text()}}},
                 {});
        m_mismatchShown = true;
        m_shownPc = m_pcLine;
        m_shownDisplay = m_rxLine;
    } else if (m_mismatchShown) {
        addEvent({EventKind::SpeedMatch,
                  QStringLiteral("lines agree again: %1").arg(m_rxLine.text()),
                  {{QStringLiteral("baud"), m_rxLine.baud},
                   {QStringLiteral("framing"), m_rxLine.framing.text()}}},
                 {});
        m_mismatchShown = false;
    }
}

} // namespace vq::vdisplay
